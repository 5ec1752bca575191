#include "java_options.h"

namespace {

// The module jars of the other product, in the order they go on the class
// path.
const char* const kModuleJars[22] = {
    "briscaCore.jar",   "briscaChart.jar", "briscaData.jar",   "briscaDraw.jar",
    "briscaExport.jar", "briscaFont.jar",  "briscaForms.jar",  "briscaGrid.jar",
    "briscaHelp.jar",   "briscaImage.jar", "briscaImport.jar", "briscaLayout.jar",
    "briscaMail.jar",   "briscaPrint.jar", "briscaReport.jar", "briscaScript.jar",
    "briscaSearch.jar", "briscaSheet.jar", "briscaSpell.jar",  "briscaTable.jar",
    "briscaText.jar",   "briscaUtil.jar",
};

} // namespace

std::string buildClassPathOption(std::string_view classPath, std::string_view javaHome,
                                 std::string_view extraJars) {
    std::string option = "-Djava.class.path=";
    option += classPath;
    option += javaHome;
    option += "\\lib;";
    option += javaHome;
    option += "\\lib\\rt.jar;";
    option += extraJars;
    return option;
}

std::string extraJarEntries(std::string_view directory, int32_t mode) {
    std::string entries;
    if (directory.empty()) {
        return entries;
    }
    if (mode == 1) {
        entries += directory;
        entries += "\\briscaCombo.jar;";
    } else if (mode == 2) {
        for (const char* jar : kModuleJars) {
            if (!entries.empty()) {
                entries += ';';
            }
            entries += directory;
            entries += '\\';
            entries += jar;
        }
    }
    return entries;
}

void fillLaunchOptions(JavaLaunchOptions& launch, std::string classPathOption, jint version,
                       const char* const* extras, int extraCount) {
    // The semicolons of the two properties belong to their texts; the last
    // option is an empty text, not a missing one.
    launch.texts[0] = "-Xms40m";
    launch.texts[1] = "-Xmx364m";
    launch.texts[2] = "-Dosgi.requiredJavaVersion=1.5;";
    launch.texts[3] = "-Djava.compiler=NONE;";
    launch.texts[4] = std::move(classPathOption);
    launch.texts[5].clear();
    for (int i = 0; i < 6; ++i) {
        launch.options[i].optionString = launch.texts[i].data();
        launch.options[i].extraInfo = nullptr;
    }
    launch.initArgs.version = version;
    launch.initArgs.nOptions = 6;
    launch.initArgs.options = launch.options;
    launch.initArgs.ignoreUnrecognized = JNI_TRUE;
    // Without extras the six are passed exactly as they always were.
    for (int i = 0; i < extraCount && i < JavaLaunchOptions::kMaxExtras; ++i) {
        launch.options[6 + i].optionString = const_cast<char*>(extras[i]);
        ++launch.initArgs.nOptions;
    }
}
