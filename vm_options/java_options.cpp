#include "java_options.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

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

namespace {

constexpr std::uint64_t kMegabyte = std::uint64_t{1} << 20;
constexpr std::uint64_t kFixedInitialHeap = 40 * kMegabyte;
constexpr std::uint64_t kFixedMaximumHeap = 364 * kMegabyte;

// The flags that the runtime reads only for a heap that no size option set:
// it computes the maximum, or the initial size, from them.
constexpr std::string_view kMaximumForms[] = {
    "-XX:MaxRAMPercentage=", "-XX:MaxRAMFraction=",    "-XX:MinRAMPercentage=",
    "-XX:MinRAMFraction=",   "-XX:ErgoHeapSizeLimit=", "-XX:MaxRAM=",
};
constexpr std::string_view kInitialForms[] = {
    "-XX:InitialRAMPercentage=",
    "-XX:InitialRAMFraction=",
    "-XX:MaxRAM=",
};
constexpr std::string_view kMaximumSizes[] = {"-Xmx", "-XX:MaxHeapSize="};
constexpr std::string_view kInitialSizes[] = {"-Xms", "-XX:InitialHeapSize=", "-XX:MinHeapSize="};

// A size as the runtime reads one: digits and at most one unit letter.
// Zero for anything else, which the runtime refuses in its own words.
std::uint64_t heapSize(std::string_view text) {
    const std::size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
    const std::string_view units = "kKmMgGtT";
    const std::size_t unit = digits < text.size() ? units.find(text[digits]) : units.size();
    if (digits == 0 || digits + 1 < text.size() || unit == std::string_view::npos) {
        return 0;
    }
    const int shift = unit < units.size() ? 10 * static_cast<int>(1 + unit / 2) : 0;
    std::uint64_t value = 0;
    for (const char digit : text.substr(0, digits)) {
        if (value > (UINT64_MAX >> shift) / 10) {
            return UINT64_MAX;
        }
        value = value * 10 + static_cast<std::uint64_t>(digit - '0');
    }
    return value > (UINT64_MAX >> shift) ? UINT64_MAX : value << shift;
}

template <std::size_t N>
bool startsWithAny(std::string_view option, const std::string_view (&prefixes)[N],
                   std::string_view* rest = nullptr) {
    return std::any_of(std::begin(prefixes), std::end(prefixes), [&](std::string_view prefix) {
        const bool starts = option.substr(0, prefix.size()) == prefix;
        if (starts && rest != nullptr) {
            *rest = option.substr(prefix.size());
        }
        return starts;
    });
}

} // namespace

FixedHeap fixedHeapBeside(const std::vector<std::string>& fileOptions) {
    FixedHeap heap;
    // The runtime takes the last size given.
    std::uint64_t maximum = 0;
    std::uint64_t initial = 0;
    for (const std::string& option : fileOptions) {
        std::string_view size;
        heap.maximum = heap.maximum && !startsWithAny(option, kMaximumForms);
        heap.initial = heap.initial && !startsWithAny(option, kInitialForms);
        if (startsWithAny(option, kMaximumSizes, &size)) {
            maximum = heapSize(size);
        } else if (startsWithAny(option, kInitialSizes, &size)) {
            initial = heapSize(size);
        }
    }
    heap.maximum = heap.maximum && initial <= kFixedMaximumHeap;
    heap.initial = heap.initial && (maximum == 0 || maximum >= kFixedInitialHeap);
    return heap;
}

void composeLaunchOptions(JavaLaunchOptions& launch, std::string classPathOption, jint version,
                          const AddedOptions& added) {
    // The semicolons of the two properties belong to their texts; the last
    // fixed option is an empty text, not a missing one.
    const char* const fixed[] = {added.heap.initial ? "-Xms40m" : nullptr,
                                 added.heap.maximum ? kFixedMaximumHeapOption : nullptr,
                                 "-Dosgi.requiredJavaVersion=1.5;", "-Djava.compiler=NONE;"};
    auto& texts = launch.texts;
    texts.clear();
    texts.reserve(7 + added.userOptions.size());
    std::copy_if(std::begin(fixed), std::end(fixed), std::back_inserter(texts),
                 [](const char* text) { return text != nullptr; });
    texts.push_back(std::move(classPathOption));
    texts.push_back({});
    if (!added.cacheOption.empty()) {
        texts.push_back(added.cacheOption);
    }
    std::copy(added.userOptions.begin(), added.userOptions.end(), std::back_inserter(texts));

    // Pointers into the texts, taken once none of them moves any more.
    launch.options = added.hooks;
    launch.options.reserve(added.hooks.size() + texts.size());
    for (std::string& text : texts) {
        launch.options.push_back({text.data(), nullptr});
    }
    launch.initArgs.version = version;
    launch.initArgs.nOptions = static_cast<jint>(launch.options.size());
    launch.initArgs.options = launch.options.data();
    launch.initArgs.ignoreUnrecognized = JNI_TRUE;
}
