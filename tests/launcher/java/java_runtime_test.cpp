// Finding the registered Java runtime and creating its virtual machine,
// observed through the real executable and the recording stand-in jvm.dll.
#include "wine_test.h"

#include "tests/launcher/java/stand_in_runtime.h"

using namespace winetest;
using namespace standin;

namespace {

std::string launcher;
const StandInFiles* files = nullptr;
std::string inheritedPath;

// Java homes, each with the stand-in at some of the three places.
std::string homeClient;  // client
std::string homeAll;     // client, hotspot and server
std::string homeHotspot; // hotspot and server
std::string homeServer;  // server
std::string homeEmpty;   // none
std::string homeNoInit;  // client without JNI_GetDefaultJavaVMInitArgs, and server
std::string homeBroken;  // a client file that is no library, and server

const char* const kClassPath =
    ".;Pellix.jar;.\\lib\\Kestrane.jar;.\\lib\\castor_validators.jar;.\\lib\\soap.jar;"
    ".\\lib\\mail.jar;.\\lib\\jaxrpc.jar;.\\lib\\activation.jar;.\\lib\\Hollowmark.jar;";

struct Run : LauncherRun {
    Run() : LauncherRun(*files, launcher) {}
};

std::string libraryOf(const std::string& home, const char* place) {
    return home + "\\bin\\" + place + "\\jvm.dll";
}

void testVersionTexts() {
    group = "version texts";
    // strtod reads 1.10 as 1.1; a text that is no number as 0.
    const struct {
        std::string version;
        bool replacesPath;
    } cases[] = {
        {"1.6", false}, {"1.7", true}, {"1.10", false},
        {"jre", false}, {"17", true},  {"1.8" + std::string(214, '0'), true},
    };
    for (const auto& c : cases) {
        const char* version = c.version.size() > 10 ? "(long)" : c.version.c_str();
        ok(registerRuntime(c.version, homeClient), "%s: could not register", version);
        Run run;
        run.launches(version);
        const Lines log = run.log();
        ok(countLines(log, "LOAD " + quoted(libraryOf(homeClient, "client"))) == 1,
           "%s: the runtime's library was not loaded", version);
        const std::string path = c.replacesPath ? homeClient + "\\bin" : inheritedPath;
        ok(countLines(log, "PATH " + quoted(path)) == 1, "%s: path is not %s", version,
           path.c_str());
        // Replaced, not joined by a second entry of another spelling.
        ok(countLines(log, "PATH_ENTRIES 1") == 1, "%s: not one path variable", version);
    }

    // Windows takes key name parts of up to 255 characters. Wine's narrow
    // registry calls refuse key paths of more than 260, as the versioned key
    // name then is: there the launcher cannot open it.
    const std::string longest = "1.8" + std::string(252, '0');
    ok(registerRuntime(longest, homeClient), "could not register version of 255 characters");
    {
        Run run;
        if (onWine()) {
            run.endsWithDialog("version of 255 characters, Wine");
        } else {
            run.launches("version of 255 characters");
        }
    }

    // Too long for a registry key name: the versioned key cannot exist.
    const std::string tooLong = "1.8" + std::string(600, '0');
    ok(setMachineText(kRuntimeKey, "CurrentVersion", tooLong), "could not set the version");
    ok(!setMachineText(versionedKey(tooLong), "JavaHome", homeClient),
       "a key name part of 603 characters was accepted");
    Run run;
    run.endsWithDialog("version of 603 characters");
}

void testMissingRegistration() {
    group = "missing registration";
    unregisterAll();
    {
        Run run;
        run.endsWithDialog("no JavaSoft key");
        ok(run.count("LOAD") == 0, "no JavaSoft key: a library was loaded");
    }

    // A version that cannot be read names no key worth opening.
    SETUP(setMachineText(kRuntimeKey, nullptr));
    {
        Run run;
        run.endsWithDialog("no CurrentVersion");
    }
    SETUP(setMachineText(kRuntimeKey, "CurrentVersion", std::string(5000, '1')));
    {
        Run run;
        run.endsWithDialog("CurrentVersion of 5000 bytes");
    }
    SETUP(setMachineText(kRuntimeKey, "CurrentVersion", "1.8"));
    {
        Run run;
        run.endsWithDialog("no versioned key");
    }

    // A runtime that is registered without its home ends the launch quietly.
    SETUP(setMachineText(versionedKey("1.8"), nullptr));
    {
        Run run;
        run.endsSilently("no JavaHome");
        ok(run.count("LOAD") == 0, "no JavaHome: a library was loaded");
    }
    SETUP(setMachineText(versionedKey("1.8"), "JavaHome", homeClient + std::string(4200, 'x')));
    {
        Run run;
        run.endsSilently("JavaHome of 4200 bytes");
    }
    unregisterAll();
}

void testLibraryPlaces() {
    group = "library places";
    const struct {
        const char* what;
        const std::string& home;
        const char* place;
        const char* version;
    } cases[] = {
        {"client", homeClient, "client", "0x00010004"},
        {"all three", homeAll, "client", "0x00010004"},
        {"server only", homeServer, "server", "0x00010004"},
        {"client that does not load", homeBroken, "server", "0x00010004"},
        {"hotspot and server", homeHotspot, "hotspot", "0x00010002"},
    };
    for (const auto& c : cases) {
        SETUP(registerRuntime("1.8", c.home));
        Run run;
        const bool hotspot = std::string(c.place) == "hotspot";
        if (hotspot) {
            // The version that the launcher reads back stays below 1.4.
            ok(run.waitFor("CREATED 0"), "%s: no creation call", c.what);
            run.endsWithDialog(c.what);
            ok(run.count("FindClass") == 0, "%s: Java was called", c.what);
        } else {
            run.launches(c.what);
        }
        const Lines log = run.log();
        ok(countLines(log, "LOAD") == 1 &&
               countLines(log, "LOAD " + quoted(libraryOf(c.home, c.place))) == 1,
           "%s: not the %s library alone was loaded", c.what, c.place);
        ok(countLines(log, std::string("JNI_CreateJavaVM ") + c.version + " ") == 1,
           "%s: not created with version %s", c.what, c.version);
        ok(countLines(log, "JNI_GetDefaultJavaVMInitArgs") == 0,
           "%s: JNI_GetDefaultJavaVMInitArgs was called", c.what);
    }

    SETUP(registerRuntime("1.8", homeEmpty));
    {
        Run run;
        run.endsWithDialog("no library");
    }

    // Refused before the creation call, with no second try at another place.
    SETUP(registerRuntime("1.8", homeNoInit));
    {
        Run run;
        run.endsWithDialog("no JNI_GetDefaultJavaVMInitArgs");
        const Lines log = run.log();
        ok(countLines(log, "LOAD " + quoted(libraryOf(homeNoInit, "client"))) == 1 &&
               countLines(log, "LOAD") == 1,
           "no JNI_GetDefaultJavaVMInitArgs: not the client library alone was loaded");
        ok(countLines(log, "JNI_CreateJavaVM") == 0,
           "no JNI_GetDefaultJavaVMInitArgs: the creation call was made");
    }
}

void testCreation() {
    group = "creation";
    SETUP(registerRuntime("1.8", homeClient));
    const std::string bin = quoted(homeClient + "\\bin");

    files->configure("create_result -1\n");
    {
        Run run;
        ok(run.waitFor("CREATED -1"), "negative result: no creation call");
        // Loaded for the life of the process, also after the failure.
        ok(findDialog(run.id(), 10000, L"Tavora") != nullptr && run.count("UNLOAD") == 0,
           "negative result: the library was unloaded before the process ended");
        run.endsWithDialog("negative result");
        const Lines log = run.log();
        ok(countLines(log, "FindClass") == 0, "negative result: Java was called");
        const Lines directories = linesStartingWith(log, "DLLDIR");
        ok(directories.size() == 3 && countLines(directories, "DLLDIR " + bin) == 3,
           "negative result: the library search directory was not %s from load to exit",
           bin.c_str());
    }

    // Only a negative result fails.
    files->configure("create_result 1\n");
    {
        Run run;
        run.launches("result 1");
    }

    // The version is read back after the call: a library reached at the
    // hotspot place passes when the call raised it.
    SETUP(registerRuntime("1.8", homeHotspot));
    files->configure("version_out 0x00010004\n");
    {
        Run run;
        run.launches("hotspot, version raised");
    }
    files->configure("");
}

void testOptions() {
    group = "options";
    SETUP(registerRuntime("1.8", homeClient));
    const std::string classPath = "-Djava.class.path=" + std::string(kClassPath) + homeClient +
                                  "\\lib;" + homeClient + "\\lib\\rt.jar;";
    const std::string extraDirectory = "D:\\Brisca qrt\\jars";
    const std::string longDirectory = "D:\\" + std::string(7997, 'b');
    const struct {
        const char* what;
        bool key;
        bool value;
        const std::string& directory;
        std::string option;
    } cases[] = {
        {"no extra-jar key", false, false, extraDirectory, classPath},
        {"extra-jar key without Path", true, false, extraDirectory, classPath},
        {"extra-jar directory", true, true, extraDirectory,
         classPath + extraDirectory + "\\briscaCombo.jar;"},
        // Past 8096 bytes in all: composed whole, not cut.
        {"extra-jar directory of 8000 characters", true, true, longDirectory,
         classPath + longDirectory + "\\briscaCombo.jar;"},
    };
    for (const auto& c : cases) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Norvane\\Brisca_qrt");
        if (c.key) {
            SETUP(setMachineText(kExtraJarKey, c.value ? "Path" : nullptr, c.directory));
        }
        Run run;
        run.launches(c.what);
        const Lines expected = {
            "JNI_CreateJavaVM 0x00010004 6 1",
            "OPTION 0 " + quoted("-Xms40m"),
            "OPTION 1 " + quoted("-Xmx364m"),
            "OPTION 2 " + quoted("-Dosgi.requiredJavaVersion=1.5;"),
            "OPTION 3 " + quoted("-Djava.compiler=NONE;"),
            "OPTION 4 " + quoted(c.option),
            "OPTION 5 " + quoted(""),
        };
        const Lines log = run.log();
        Lines options = linesStartingWith(log, "JNI_CreateJavaVM");
        for (const auto& line : linesStartingWith(log, "OPTION")) {
            options.push_back(line);
        }
        ok(options == expected && countLines(log, "EXTRAINFO") == 0 && run.count("EXTRAINFO") == 0,
           "%s: not the six options", c.what);
    }
    unregisterAll();
}

// The other modes, through builds of the launcher that compile them in.
void testExtraJarModes(const std::string (&variants)[3]) {
    group = "extra-jar modes";
    SETUP(registerRuntime("1.8", homeClient));
    const std::string directory = "D:\\Brisca qrt\\jars";
    SETUP(setMachineText(kExtraJarKey, "Path", directory));
    const std::string classPath = "-Djava.class.path=" + std::string(kClassPath) + homeClient +
                                  "\\lib;" + homeClient + "\\lib\\rt.jar;";
    // The other product's module jars in their fixed order; the last one
    // has no ";" behind it.
    std::string modules;
    for (const char* jar :
         {"briscaCore",   "briscaChart",  "briscaData",  "briscaDraw",  "briscaExport",
          "briscaFont",   "briscaForms",  "briscaGrid",  "briscaHelp",  "briscaImage",
          "briscaImport", "briscaLayout", "briscaMail",  "briscaPrint", "briscaReport",
          "briscaScript", "briscaSearch", "briscaSheet", "briscaSpell", "briscaTable",
          "briscaText",   "briscaUtil"}) {
        modules += (modules.empty() ? "" : ";") + directory + "\\" + jar + ".jar";
    }
    const struct {
        int mode;
        std::string option;
    } cases[] = {{0, classPath}, {2, classPath + modules}, {3, classPath}};
    for (int i = 0; i < 3; ++i) {
        LauncherRun run(*files, variants[i]);
        run.launches(("mode " + std::to_string(cases[i].mode)).c_str());
        ok(run.count("OPTION 4 " + quoted(cases[i].option)) == 1, "mode %d: not the class path",
           cases[i].mode);
    }
    unregisterAll();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::printf("usage: java_runtime_test PELLIX2.EXE JVM.DLL JVM-WITHOUT-INIT-ARGS.DLL\n");
        return 2;
    }
    launcher = windowsPath(argv[1]);
    const std::string standIn = windowsPath(argv[2]);
    const std::string standInNoInit = windowsPath(argv[3]);

    const StandInFiles standInFiles("pellix java runtime");
    files = &standInFiles;
    const std::string& root = standInFiles.root;

    char path[4096] = "";
    GetEnvironmentVariableA("PATH", path, sizeof path);
    inheritedPath = std::string(path) + ";Z:\\inherited";
    SetEnvironmentVariableA("PATH", inheritedPath.c_str());

    homeClient = root + "\\jre client";
    homeAll = root + "\\jre all";
    homeHotspot = root + "\\jre hotspot";
    homeServer = root + "\\jre server";
    homeEmpty = root + "\\jre empty";
    homeNoInit = root + "\\jre no init";
    homeBroken = root + "\\jre broken client";
    makeDirectories(homeBroken + "\\bin\\client");
    ok(makeJavaHome(homeClient, standIn, {"client"}) &&
           makeJavaHome(homeAll, standIn, {"client", "hotspot", "server"}) &&
           makeJavaHome(homeHotspot, standIn, {"hotspot", "server"}) &&
           makeJavaHome(homeServer, standIn, {"server"}) && makeJavaHome(homeEmpty, standIn, {}) &&
           makeJavaHome(homeNoInit, standInNoInit, {"client"}) &&
           makeJavaHome(homeNoInit, standIn, {"server"}) &&
           makeJavaHome(homeBroken, standIn, {"server"}) &&
           writeFile(homeBroken + "\\bin\\client\\jvm.dll", "not a library"),
       "could not lay out the Java homes");

    startDesktop();
    const UnmanagedWindows unmanaged;
    unregisterAll();
    testVersionTexts();
    testMissingRegistration();
    testLibraryPlaces();
    testCreation();
    testOptions();
    if (argc >= 7) {
        const std::string variants[3] = {windowsPath(argv[4]), windowsPath(argv[5]),
                                         windowsPath(argv[6])};
        testExtraJarModes(variants);
    }
    unregisterAll();
    ok(!isRegistered("SOFTWARE\\JavaSoft") && !isRegistered("SOFTWARE\\Norvane\\Brisca_qrt"),
       "the registry entries of the test are left behind");
    return finish("java_runtime_test");
}
