#include "runtime/runtime_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ParseJavaVersion, ReadsTheFeatureNumberThenTheRest) {
    const struct {
        std::string text;
        bool known;
        std::vector<uint32_t> parts;
    } cases[] = {
        {"1.8.0_402", true, {8, 0, 402, 0}},
        {"1.8", true, {8, 0}},
        {"1.7.0_80", true, {7, 0, 80}},
        {"17.0.9", true, {17, 0, 9, 0}},
        {"21.0.1.12", true, {21, 0, 1, 12}},
        {"8.0.402.6", true, {8, 0, 402, 6}},
        {"17", true, {17, 0}},
        {"jdk-17.0.9+9", true, {17, 0, 9, 9}},
        {"zulu-17", true, {17, 0}},
        {"1.8.0_402-b06", true, {8, 0, 402, 0}}, // "-b06" joins no number
        {"21-ea", true, {21, 0}},
        {"Liberica JDK 21 x64", true, {21, 0}},
        {"x64 17", true, {17}}, // the 64 of x64 begins no number
        {"jdk17", false, {}},   // nor the 17 of jdk17
        {"1", true, {1, 0}},    // a lone 1 is not the legacy form
        {"17.", true, {17, 0}}, // a dot that no digit follows ends it
        {"1.2.3.4.5.6.7.8", true, {2, 3, 4, 5, 6, 7}},
        {"99999999999999999999", true, {4294967295U}}, // saturates, never wraps
        {"", false, {}},
        {"jre", false, {}},
        {"hotspot", false, {}},
    };
    for (const auto& c : cases) {
        const JavaVersion version = parseJavaVersion(c.text);
        EXPECT_EQ(version.known, c.known) << "[" << c.text << "]";
        for (std::size_t i = 0; i < c.parts.size(); ++i) {
            EXPECT_EQ(version.parts[i], c.parts[i]) << "[" << c.text << "] part " << i;
        }
    }
}

TEST(CompareVersions, OrdersByFeatureThenTheRestUnknownLowest) {
    const struct {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"17.0.9", "1.8.0_402", 1},
        {"21.0.1.12", "21.0.1", 1},
        {"17", "17.0.0", 0},
        {"1.8.0_402", "8.0.402", 0},
        {"1.8.0_402", "8.0.402.6", -1},
        {"11.0.21", "11.0.3", 1},
        {"jre", "1.6", -1},
        {"", "", 0},
        {"zulu-17", "17.0.1", -1},
        {"1.10", "1.9", 1}, // not read as a decimal number here
    };
    for (const auto& c : cases) {
        const int result = compareVersions(parseJavaVersion(c.a), parseJavaVersion(c.b));
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " against " << c.b;
    }
}

TEST(ReleaseVersion, TakesTheWholeJavaVersionLine) {
    const struct {
        std::string text;
        std::string version;
    } cases[] = {
        {"IMPLEMENTOR=\"Vendor\"\nJAVA_VERSION=\"17.0.9\"\nOS_NAME=\"Windows\"\n", "17.0.9"},
        {"JAVA_VERSION=\"1.8.0_402\"\r\n", "1.8.0_402"},
        {"JAVA_VERSION=\"21.0.1\"", "21.0.1"}, // the last line, without a line feed
        {"JAVA_RUNTIME_VERSION=\"17.0.9+9\"\nJAVA_VERSION=\"17.0.9\"\n", "17.0.9"},
        {"IMPLEMENTOR_JAVA_VERSION=\"9\"\n", ""}, // not at the start of a line
        {"JAVA_VERSION=\"17.0", ""},              // cut before its closing quote
        {"JAVA_VERSION=17\n", ""},
        {"", ""},
        {std::string(9000, 'x') + "\nJAVA_VERSION=\"11\"\n", "11"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(releaseVersion(c.text), c.version) << "[" << c.text.substr(0, 40) << "]";
    }
}

TEST(RuntimeHome, DropsTrailingSeparatorsAndFindsTheJreFolder) {
    const struct {
        const char* value;
        bool jre;
        const char* home;
    } cases[] = {
        {"C:\\Program Files\\Eclipse Adoptium\\jdk-17.0.9.9-hotspot\\", false,
         "C:\\Program Files\\Eclipse Adoptium\\jdk-17.0.9.9-hotspot"},
        {"C:\\jdk1.8.0_402", true, "C:\\jdk1.8.0_402\\jre"},
        {"C:\\jdk1.8.0_402\\\\/", true, "C:\\jdk1.8.0_402\\jre"},
        {"C:\\jre", false, "C:\\jre"},
        {"", true, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(runtimeHome(c.value, c.jre), c.home) << c.value;
    }
}

TEST(IsAbsoluteHome, TakesDrivePathsAndUncPathsOnly) {
    const struct {
        const char* home;
        bool absolute;
    } cases[] = {
        {"C:\\jre", true},       {"c:/jre", true}, {"\\\\server\\share\\jre", true},
        {"C:jre", false},        {"jre", false},   {"\\jre", false},
        {"/usr/lib/jvm", false}, {"", false},      {"\\\\\\jre", false},
        {"1:\\jre", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isAbsoluteHome(c.home), c.absolute) << c.home;
    }
    EXPECT_TRUE(sameKeyName("jdk-17", "JDK-17"));
    EXPECT_FALSE(sameKeyName("17", "17.0"));
}

// A candidate of the fallback places with a home and, unless told, a library
// at the server place.
struct Candidate {
    const char* version;
    unsigned libraries = 4;
    long status = 0;
    RegistryRoot root = RegistryRoot::LocalMachine;
    int32_t place = 4;
    bool current = false;
    bool checked = true;
    std::string home = "";
    RuntimeSource source = RuntimeSource::Registry;
    bool read = true;
};

std::vector<RuntimeCandidate> candidates(const std::vector<Candidate>& list) {
    std::vector<RuntimeCandidate> out;
    for (const Candidate& c : list) {
        RuntimeCandidate r;
        r.source = c.source;
        r.root = c.root;
        r.place = c.place;
        r.status = c.status;
        r.version = c.version;
        r.home = c.home.empty() ? "C:\\java\\" + std::to_string(out.size()) : c.home;
        r.current = c.current;
        r.checked = c.checked;
        r.libraries = c.libraries;
        r.read = c.read;
        out.push_back(r);
    }
    return out;
}

TEST(ChooseRuntime, TakesTheHighestVersionWithALibraryTiesInListOrder) {
    const RegistryRoot user = RegistryRoot::CurrentUser;
    const std::string tooLong(5000, 'x');
    const struct {
        const char* what;
        std::vector<Candidate> list;
        std::size_t chosen;
    } cases[] = {
        {"nothing", {}, kNoCandidate},
        {"one", {{"17.0.9"}}, 0},
        {"legacy and new forms", {{"1.8.0_402"}, {"21.0.1.12"}, {"17.0.9"}}, 1},
        {"key names", {{"zulu-17"}, {"jdk-21.0.1+12"}, {"zulu-11"}}, 1},
        {"the rest after the feature", {{"17.0.9"}, {"17.0.10"}, {"17.0.9.9"}}, 1},
        {"tie: the earlier", {{"17.0.9"}, {"17.0.9"}}, 0},
        {"tie across roots: the machine's first", {{"21", 4, 0, user}, {"21"}}, 0},
        {"tie with JAVA_HOME: the registry's",
         {{"17"}, {"17", 4, 0, RegistryRoot::None, -1, false, true, "", RuntimeSource::JavaHome}},
         0},
        {"JAVA_HOME of a higher version: still the registry's",
         {{"17"}, {"21", 4, 0, RegistryRoot::None, -1, false, true, "", RuntimeSource::JavaHome}},
         0},
        {"JAVA_HOME where no installed one has a library",
         {{"17", 0},
          {"11", 4, 0, RegistryRoot::None, -1, false, true, "", RuntimeSource::JavaHome}},
         1},
        {"without a library", {{"21", 0}, {"17"}}, 1},
        {"none with a library", {{"21", 0}, {"17", 0}}, kNoCandidate},
        {"not yet checked", {{"21", 0, 0, RegistryRoot::LocalMachine, 4, false, false}, {"17"}}, 1},
        {"not yet read",
         {{"21", 4, 0, RegistryRoot::LocalMachine, 4, false, true, "", RuntimeSource::Registry,
           false},
          {"17"}},
         1},
        {"client or hotspot place", {{"11", 1}, {"17", 2}}, 1},
        {"value too long", {{"21", 4, 234}, {"17"}}, 1}, // ERROR_MORE_DATA
        {"key missing", {{"", 0, 2}, {"17"}}, 1},
        {"relative home",
         {{"21", 4, 0, RegistryRoot::LocalMachine, 4, false, true, "jdk"}, {"17"}},
         1},
        {"unknown version last", {{"jre"}, {"1.6"}}, 1},
        {"unknown versions: the earlier", {{"jre"}, {"hotspot"}}, 0},
        {"version text of 5000 characters", {{tooLong.c_str()}, {"1.8"}}, 1},
        {"CurrentVersion names one: the others stay out",
         {{"17", 4, 0, RegistryRoot::LocalMachine, 1, true},
          {"21", 4, 0, RegistryRoot::LocalMachine, 1}},
         0},
        {"CurrentVersion names one without a library: none of that place",
         {{"17", 0, 0, RegistryRoot::LocalMachine, 1, true},
          {"21", 4, 0, RegistryRoot::LocalMachine, 1}},
         kNoCandidate},
        {"CurrentVersion keeps out only its own place and root",
         {{"17", 4, 0, RegistryRoot::LocalMachine, 1, true},
          {"21", 4, 0, RegistryRoot::LocalMachine, 0},
          {"22", 4, 0, user, 1}},
         2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chooseRuntime(candidates(c.list)), c.chosen) << c.what;
    }
}

TEST(PreferenceOrder, LeavesOutWhatCannotBeUsedAndIgnoresLibraries) {
    // Not read yet: in, with its home still unknown; read and failed: out.
    const auto list = candidates({{"17", 0, 0, RegistryRoot::LocalMachine, 4, false, false},
                                  {"21", 0, 2},
                                  {"1.8"},
                                  {"21"},
                                  {"17"},
                                  {"25", 0, 0, RegistryRoot::LocalMachine, 4, false, false,
                                   "(unread)", RuntimeSource::Registry, false},
                                  {"25", 0, 0, RegistryRoot::LocalMachine, 4, false, false, "jdk",
                                   RuntimeSource::Registry}});
    EXPECT_EQ(preferenceOrder(list), (std::vector<std::size_t>{5, 3, 0, 4, 2}));
}

TEST(FallsBack, WhereTheClassicKeyWouldEndWithTheDialog) {
    const struct {
        JavaOutcome outcome;
        unsigned libraries;
        bool fallsBack;
    } cases[] = {
        {JavaOutcome::NoRuntimeKey, 0, true},   {JavaOutcome::NoCurrentVersion, 0, true},
        {JavaOutcome::NoVersionedKey, 0, true}, {JavaOutcome::HomeFound, 0, true},
        {JavaOutcome::HomeFound, 1, false},     {JavaOutcome::HomeFound, 6, false},
        {JavaOutcome::NoJavaHome, 0, false}, // ends silently, as it always did
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fallsBack(c.outcome, c.libraries), c.fallsBack)
            << "outcome " << static_cast<int>(c.outcome) << " libraries " << c.libraries;
    }
}

TEST(ReplacesSearchPathFor, ClassicByItsNumberOthersByTheFeature) {
    const struct {
        RuntimeSource source;
        const char* version;
        bool replaces;
    } cases[] = {
        {RuntimeSource::Classic, "1.7", true},      {RuntimeSource::Classic, "1.10", false},
        {RuntimeSource::Classic, "zulu-17", false}, {RuntimeSource::Registry, "zulu-17", true},
        {RuntimeSource::Registry, "1.10", true},    {RuntimeSource::Registry, "1.6.0_45", false},
        {RuntimeSource::Registry, "1.7", true},     {RuntimeSource::Shipped, "17.0.9", true},
        {RuntimeSource::Shipped, "", false},        {RuntimeSource::JavaHome, "jre", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replacesSearchPathFor(c.source, c.version), c.replaces)
            << static_cast<int>(c.source) << " " << c.version;
    }
}

// The keys and values that installers write: a change here misses their
// runtimes.
TEST(FallbackPlaces, AreTheInstallersKeysInTheirOrder) {
    const struct {
        const char* key;
        const char* valuePath;
        const char* value;
        bool jre;
    } expected[kFallbackPlaceCount] = {
        {"SOFTWARE\\JavaSoft\\JRE", "", "JavaHome", false},
        {"SOFTWARE\\JavaSoft\\JDK", "", "JavaHome", false},
        {"SOFTWARE\\JavaSoft\\Java Development Kit", "", "JavaHome", true},
        {"SOFTWARE\\Eclipse Adoptium\\JRE", "hotspot\\MSI", "Path", false},
        {"SOFTWARE\\Eclipse Adoptium\\JDK", "hotspot\\MSI", "Path", false},
        {"SOFTWARE\\AdoptOpenJDK\\JRE", "hotspot\\MSI", "Path", false},
        {"SOFTWARE\\AdoptOpenJDK\\JDK", "hotspot\\MSI", "Path", false},
        {"SOFTWARE\\Eclipse Foundation\\JDK", "hotspot\\MSI", "Path", false},
        {"SOFTWARE\\Eclipse Foundation\\JRE", "hotspot\\MSI", "Path", false},
        {"SOFTWARE\\Microsoft\\JDK", "hotspot\\MSI", "Path", false},
        {"SOFTWARE\\Semeru\\JRE", "openj9\\MSI", "Path", false},
        {"SOFTWARE\\Semeru\\JDK", "openj9\\MSI", "Path", false},
        {"SOFTWARE\\Azul Systems\\Zulu", "", "InstallationPath", false},
        {"SOFTWARE\\BellSoft\\Liberica", "", "InstallationPath", false},
    };
    for (std::size_t i = 0; i < kFallbackPlaceCount; ++i) {
        const FallbackPlace& place = kFallbackPlaces[i];
        EXPECT_STREQ(place.keyName, expected[i].key);
        EXPECT_STREQ(place.valuePath, expected[i].valuePath) << place.keyName;
        EXPECT_STREQ(place.valueName, expected[i].value) << place.keyName;
        EXPECT_EQ(place.jreOnly, expected[i].jre) << place.keyName;
        EXPECT_EQ(place.shape == PlaceShape::CurrentOrEach, i < 3) << place.keyName;
        EXPECT_EQ(place.openJ9, i == 10 || i == 11) << place.keyName; // Semeru's
    }
}

} // namespace

namespace {

// What the trace says of each place looked at.
TEST(DescribeCandidate, NamesThePlaceAndWhatItGave) {
    RuntimeCandidate shipped;
    shipped.source = RuntimeSource::Shipped;
    shipped.home = "C:\\App\\jre";
    shipped.checked = true;
    RuntimeCandidate classic;
    classic.source = RuntimeSource::Classic;
    classic.status = 2;
    RuntimeCandidate vendor;
    vendor.root = RegistryRoot::CurrentUser;
    vendor.place = 4; // Eclipse Adoptium\JDK
    vendor.subkey = "21.0.1.12";
    vendor.version = "21.0.1.12";
    vendor.home = "C:\\jdk-21";
    vendor.checked = true;
    vendor.libraries = 5;
    RuntimeCandidate unread = vendor;
    unread.read = false;
    RuntimeCandidate javaHome;
    javaHome.source = RuntimeSource::JavaHome;
    javaHome.status = 203; // ERROR_ENVVAR_NOT_FOUND
    const struct {
        const RuntimeCandidate& candidate;
        std::string text;
    } cases[] = {
        {shipped, "shipped runtime: C:\\App\\jre, no library"},
        {classic, "HKLM\\SOFTWARE\\JavaSoft\\Java Runtime Environment: status 2"},
        {vendor, "HKCU\\SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI \"Path\": "
                 "C:\\jdk-21, library at client server, version \"21.0.1.12\""},
        {unread, "HKCU\\SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI \"Path\": "
                 "not looked at"},
        {javaHome, "JAVA_HOME: status 203"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(describeCandidate(c.candidate), c.text);
    }
}

} // namespace
