// Finding the registered Java runtime and creating its virtual machine,
// observed through the real executable and the recording stand-in jvm.dll.
#include "wine_test.h"

#include "tests/stand_in_jvm/stand_in_runtime.h"

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
// Runtimes as newer installers lay them out: the library at the server place.
std::string home11;
std::string home17;
std::string home17b;
std::string home21;
std::string homeRelease; // its release file says 21.0.1
std::string homeJdk8;    // a Java 8 JDK: the runtime in its jre folder

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

// The options files: the administrator's beside the executable, the user's
// in %APPDATA%\Tavora; the runtime's words and endings with them.
void testOptionsFiles() {
    group = "options files";
    SETUP(registerRuntime("1.8", homeClient));
    const std::string folder = files->root + "\\app with options";
    const std::string program = folder + "\\Pellix2.exe";
    const std::string admins = folder + "\\Pellix2.vmoptions";
    const std::string users = files->root + "\\app data\\Tavora\\Pellix2.vmoptions";
    makeDirectories(folder);
    makeDirectories(files->root + "\\app data\\Tavora");
    SETUP(CopyFileA(launcher.c_str(), program.c_str(), FALSE));
    char appData[MAX_PATH] = "";
    GetEnvironmentVariableA("APPDATA", appData, MAX_PATH);
    SetEnvironmentVariableA("APPDATA", (files->root + "\\app data").c_str());
    const std::string reserve = "Could not reserve enough space for object heap";
    const struct {
        const char* what;
        std::string admins;
        std::string users; // UTF-16 LE with its mark, as Notepad saves "Unicode"
        std::string config;
        std::string quoted; // the window's; none: the application runs
        std::string named;
        DWORD exitCode;
    } cases[] = {
        // The best fit of U+0142 would be "-Dbest=l": not what was written.
        {"both files", "-Xms64m\r\n# heap\r\n  -Dadmin=1\r\n-Dbest=\xC5\x82\r\n",
         "-XX:MaxRAMPercentage=70\r\n-cp x.jar", "", "", "", 0},
        {"a refused option", "-Xmx16q\n", "",
         "create_result -6\nprint Invalid maximum heap size: -Xmx16q\nprint Error: no VM\n",
         "Invalid maximum heap size: -Xmx16q\nError: no VM", admins, 1},
        {"an ending while the machine is created", "", "-Xmx100000g",
         "print Error occurred during initialization of VM\nprint " + reserve +
             "\nend_in_creation abort\n",
         "Error occurred during initialization of VM\n" + reserve, users, 1},
        {"System.exit after a good start", "-Xss2m\n", "", "exit_in_main 3\n", "", "", 3},
    };
    for (const auto& c : cases) {
        DeleteFileA(admins.c_str());
        DeleteFileA(users.c_str());
        SETUP(c.admins.empty() || writeFile(admins, c.admins));
        std::string unicode = "\xFF\xFE";
        for (char ch : c.users) {
            unicode += {ch, '\0'};
        }
        SETUP(c.users.empty() || writeFile(users, unicode));
        files->configure(c.config);
        LauncherRun run(*files, program);
        if (c.exitCode == 0) {
            run.launches(c.what);
            std::string options; // the class path as testOptions pins it
            for (const auto& line : linesStartingWith(run.log(), "OPTION")) {
                const std::string text = line.substr(line.find(' ', 7) + 1);
                options += (startsWith(text, "\"-Djava.class.path=") ? "cp" : text) + " ";
            }
            ok(options ==
                       R"("vfprintf" "exit" "abort" "-Xms40m" "-Dosgi.requiredJavaVersion=1.5;" )"
                       R"("-Djava.compiler=NONE;" cp "" "-Xms64m" "-Dadmin=1" )"
                       R"("-XX:MaxRAMPercentage=70" )" &&
                   run.count("EXTRAINFO") == 3,
               "%s: not the options: %s", c.what, options.c_str());
        } else if (c.quoted.empty()) {
            const DWORD code = run.process.wait(10000);
            ok(code == c.exitCode && countDialogs(run.id()) == 0 && run.count("HOOK returned") == 1,
               "%s: exit code %lu, expected %lu without a window", c.what, code, c.exitCode);
        } else {
            const HWND box = findDialog(run.id(), 10000, L"Tavora");
            const std::wstring text = box != nullptr ? windowText(GetDlgItem(box, 0xFFFF)) : L"";
            ok(text.find(widen(c.named)) != std::wstring::npos &&
                   text.find(widen(c.quoted)) != std::wstring::npos,
               "%s: the window says \"%s\"", c.what, printable(text).c_str());
            run.endsWithDialog(c.what);
            ok(run.count("HOOK returned") == 0, "%s: the hook let the runtime go on", c.what);
        }
    }
    SetEnvironmentVariableA("APPDATA", appData); // the files go with the test's root
    files->configure("");
    unregisterAll();
}

// ---- Runtimes beyond the classic key -----------------------------------------

constexpr const char* kVendorRoot = "SOFTWARE\\";

enum class Kind { Text, Expandable, Number, Text32 };

// One registry value that a case writes; with no value name, the key alone.
struct Entry {
    HKEY root;
    std::string key;
    const char* value;
    std::string data;
    Kind kind = Kind::Text;
};

bool write(const Entry& e) {
    switch (e.kind) {
    case Kind::Number:
        return setRegistryNumber(e.root, e.key, e.value, 1);
    case Kind::Text32:
        return setRegistryText(e.root, e.key, e.value, e.data, KEY_WOW64_32KEY);
    case Kind::Expandable: {
        HKEY key = nullptr;
        if (RegCreateKeyExA(e.root, e.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                            nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const UniqueKey created(key);
        return RegSetValueExA(key, e.value, 0, REG_EXPAND_SZ,
                              reinterpret_cast<const BYTE*>(e.data.c_str()),
                              static_cast<DWORD>(e.data.size() + 1)) == ERROR_SUCCESS;
    }
    case Kind::Text:
        break;
    }
    return setRegistryText(e.root, e.key, e.value, e.data);
}

// A value under "SOFTWARE\JavaSoft\".
Entry javaSoft(const std::string& key, const char* value, const std::string& data) {
    return {HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft\\" + key, value, data};
}

// An MSI installer's "Path", which ends in a backslash.
Entry msiPath(const std::string& key, const std::string& home, HKEY root = HKEY_LOCAL_MACHINE) {
    return {root, kVendorRoot + key, "Path", home + "\\"};
}

Entry installationPath(const std::string& key, const std::string& home) {
    return {HKEY_LOCAL_MACHINE, kVendorRoot + key, "InstallationPath", home};
}

enum class Ends { Launches, Dialog, Silently };

struct FallbackCase {
    const char* what;
    std::vector<Entry> entries;
    Ends ends;
    std::string home = "";        // whose library loads
    bool pathReplaced = true;     // "path" is home\bin, or stays the inherited one
    const char* place = "server"; // of the library that loads
    std::string javaHome = "";    // JAVA_HOME, or none
    std::string program = "";     // when not the launcher
};

// Writes the case's entries alone, starts the launcher and checks that it
// used the expected runtime as the classic one is used, or ended as told.
void runCase(const FallbackCase& c) {
    unregisterAll();
    bool written = true;
    for (const Entry& e : c.entries) {
        written = write(e) && written;
    }
    ok(written, "%s: set-up failed: could not write the registry entries", c.what);
    SetEnvironmentVariableA("JAVA_HOME", c.javaHome.empty() ? nullptr : c.javaHome.c_str());
    LauncherRun run(*files, c.program.empty() ? launcher : c.program);
    switch (c.ends) {
    case Ends::Dialog:
        // Once: closing it ends the process.
        run.endsWithDialog(c.what);
        ok(run.count("LOAD") == 0, "%s: a library was loaded", c.what);
        break;
    case Ends::Silently:
        run.endsSilently(c.what);
        break;
    case Ends::Launches: {
        run.launches(c.what);
        const Lines log = run.log();
        const std::string library = libraryOf(c.home, c.place);
        ok(countLines(log, "LOAD") == 1 && countLines(log, "LOAD " + quoted(library)) == 1,
           "%s: not %s alone was loaded", c.what, library.c_str());
        const std::string bin = c.home + "\\bin";
        const std::string path = c.pathReplaced ? bin : inheritedPath;
        ok(countLines(log, "PATH " + quoted(path)) == 1 && countLines(log, "PATH_ENTRIES 1") == 1,
           "%s: path is not %s alone", c.what, path.c_str());
        const Lines directories = linesStartingWith(log, "DLLDIR");
        ok(!directories.empty() && directories.front() == "DLLDIR " + quoted(bin),
           "%s: the library search directory is not %s", c.what, bin.c_str());
        const std::string classPath = "-Djava.class.path=" + std::string(kClassPath) + c.home +
                                      "\\lib;" + c.home + "\\lib\\rt.jar;";
        ok(countLines(log, "OPTION 4 " + quoted(classPath)) == 1 && countLines(log, "OPTION") == 6,
           "%s: not the six options with the runtime's class path", c.what);
        break;
    }
    }
    SetEnvironmentVariableA("JAVA_HOME", nullptr);
}

void testFallbackPlaces() {
    group = "fallback places";
    const HKEY user = HKEY_CURRENT_USER;
    // As an installer that updates it holds it: its version is still read.
    const UniqueHandle held(fileHandle(
        CreateFileA((homeRelease + "\\release").c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)));
    // Many subkeys whose homes hold nothing, one that does in the middle, a
    // higher version whose value is too long to read whole.
    std::vector<Entry> many;
    for (int i = 0; i < 300; ++i) {
        const std::string version = "17.0." + std::to_string(i) + ".1";
        many.push_back(msiPath("Eclipse Adoptium\\JDK\\" + version + "\\hotspot\\MSI",
                               i == 150 ? home17 : homeEmpty));
    }
    many.push_back(msiPath("Eclipse Adoptium\\JDK\\25.0.0.1\\hotspot\\MSI",
                           home21 + "\\" + std::string(5000, 'x')));
    const Entry classic1_8[] = {javaSoft("Java Runtime Environment", "CurrentVersion", "1.8"),
                                javaSoft("Java Runtime Environment\\1.8", "JavaHome", homeClient)};
    const Entry stale1_8 = javaSoft("Java Runtime Environment\\1.8", "JavaHome", homeEmpty);
    const Entry temurin21 = msiPath("Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI", home21);
    const FallbackCase cases[] = {
        // Each form of key, under HKEY_LOCAL_MACHINE.
        {"JRE, its CurrentVersion",
         {javaSoft("JRE", "CurrentVersion", "17"), javaSoft("JRE\\17", "JavaHome", home17),
          javaSoft("JRE\\21", "JavaHome", home21)},
         Ends::Launches,
         home17},
        {"JRE without CurrentVersion: each subkey",
         {javaSoft("JRE\\11", "JavaHome", home11), javaSoft("JRE\\17.0.9", "JavaHome", home17)},
         Ends::Launches,
         home17},
        {"JDK, CurrentVersion of no subkey: each subkey",
         {javaSoft("JDK", "CurrentVersion", "25"), javaSoft("JDK\\21", "JavaHome", home17b),
          javaSoft("JDK\\21.0.1", "JavaHome", home21)},
         Ends::Launches,
         home21},
        {"Java 8 JDK: its jre folder",
         {javaSoft("Java Development Kit", "CurrentVersion", "1.8"),
          javaSoft("Java Development Kit\\1.8", "JavaHome", homeJdk8)},
         Ends::Launches,
         homeJdk8 + "\\jre"},
        {"Eclipse Adoptium JRE",
         {msiPath("Eclipse Adoptium\\JRE\\17.0.9.9\\hotspot\\MSI", home17)},
         Ends::Launches,
         home17},
        {"Eclipse Adoptium JDK", {temurin21}, Ends::Launches, home21},
        {"Eclipse Adoptium JDK 8: its jre folder",
         {msiPath("Eclipse Adoptium\\JDK\\8.0.402.6\\hotspot\\MSI", homeJdk8)},
         Ends::Launches,
         homeJdk8 + "\\jre"},
        {"AdoptOpenJDK JRE",
         {msiPath("AdoptOpenJDK\\JRE\\11.0.11.9\\hotspot\\MSI", home11)},
         Ends::Launches,
         home11},
        {"AdoptOpenJDK JDK",
         {msiPath("AdoptOpenJDK\\JDK\\16.0.2.7\\hotspot\\MSI", home17)},
         Ends::Launches,
         home17},
        {"Eclipse Foundation JDK",
         {msiPath("Eclipse Foundation\\JDK\\17.0.1.12\\hotspot\\MSI", home17)},
         Ends::Launches,
         home17},
        {"Eclipse Foundation JRE",
         {msiPath("Eclipse Foundation\\JRE\\11.0.13.8\\hotspot\\MSI", home11)},
         Ends::Launches,
         home11},
        {"Microsoft JDK, whose JavaHome is a flag",
         {msiPath("Microsoft\\JDK\\17.0.9.8\\hotspot\\MSI", home17),
          {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\JDK\\17.0.9.8\\hotspot\\MSI", "JavaHome", "",
           Kind::Number}},
         Ends::Launches,
         home17},
        {"Semeru JRE",
         {msiPath("Semeru\\JRE\\17.0.9.9\\openj9\\MSI", home17)},
         Ends::Launches,
         home17},
        {"Semeru JDK",
         {msiPath("Semeru\\JDK\\21.0.1.12\\openj9\\MSI", home21)},
         Ends::Launches,
         home21},
        {"Zulu", {installationPath("Azul Systems\\Zulu\\zulu-17", home17)}, Ends::Launches, home17},
        {"Liberica, its version from the release file",
         {installationPath("BellSoft\\Liberica\\LibericaJDK", homeRelease)},
         Ends::Launches,
         homeRelease},
        // With no version anywhere, "path" stays as the classic key leaves
        // it for a version it cannot read.
        {"Liberica, no version anywhere",
         {installationPath("BellSoft\\Liberica\\Liberica", home11)},
         Ends::Launches,
         home11,
         false},
        {"a folder with a variable in it",
         {{HKEY_LOCAL_MACHINE, "SOFTWARE\\Azul Systems\\Zulu\\zulu-17", "InstallationPath",
           "%PELLIX_TEST_ROOT%\\jdk 17", Kind::Expandable}},
         Ends::Launches,
         home17},
        {"Eclipse Adoptium JDK under HKEY_CURRENT_USER",
         {msiPath("Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI", home21, user)},
         Ends::Launches,
         home21},

        // Beside the classic key.
        {"the classic key beside a Java 17 under JavaSoft\\JDK",
         {classic1_8[0], classic1_8[1], javaSoft("JDK", "CurrentVersion", "17"),
          javaSoft("JDK\\17", "JavaHome", home17)},
         Ends::Launches,
         homeClient,
         true,
         "client"},
        {"a stale classic key beside a Temurin 21",
         {classic1_8[0], stale1_8, temurin21},
         Ends::Launches,
         home21},
        {"a classic key without CurrentVersion beside a Temurin 21",
         {{HKEY_LOCAL_MACHINE, kRuntimeKey, nullptr, ""}, temurin21},
         Ends::Launches,
         home21},
        {"a classic key whose version has no key, beside a Temurin 21",
         {classic1_8[0], temurin21},
         Ends::Launches,
         home21},
        // A registered runtime without a home still ends quietly.
        {"a classic key without JavaHome beside a Temurin 21",
         {classic1_8[0], javaSoft("Java Runtime Environment\\1.8", nullptr, ""), temurin21},
         Ends::Silently},

        // Among several.
        {"two makers: the higher version",
         {msiPath("Eclipse Adoptium\\JRE\\17.0.9.9\\hotspot\\MSI", home17),
          installationPath("Azul Systems\\Zulu\\zulu-21", home21)},
         Ends::Launches,
         home21},
        {"two makers, the same version: the earlier key",
         {installationPath("Azul Systems\\Zulu\\zulu-17.0.9", home17b),
          msiPath("Eclipse Adoptium\\JRE\\17.0.9\\hotspot\\MSI", home17)},
         Ends::Launches,
         home17},
        {"the same version in both roots: the machine's",
         {msiPath("Eclipse Adoptium\\JRE\\17.0.9\\hotspot\\MSI", home17b, user),
          installationPath("Azul Systems\\Zulu\\zulu-17.0.9", home17)},
         Ends::Launches,
         home17},
        {"a subkey whose home has no library",
         {msiPath("Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI", homeEmpty),
          msiPath("Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI", home17)},
         Ends::Launches,
         home17},

        // JAVA_HOME.
        {"JAVA_HOME alone", {}, Ends::Launches, homeRelease, true, "server", homeRelease},
        {"JAVA_HOME of a Java 8 JDK",
         {},
         Ends::Launches,
         homeJdk8 + "\\jre",
         true,
         "server",
         homeJdk8 + "\\"},
        {"JAVA_HOME beside the classic key",
         {classic1_8[0], classic1_8[1]},
         Ends::Launches,
         homeClient,
         true,
         "client",
         home21},
        {"JAVA_HOME beside a registered runtime of its version",
         {msiPath("Eclipse Adoptium\\JDK\\21.0.1\\hotspot\\MSI", home21)},
         Ends::Launches,
         home21,
         true,
         "server",
         homeRelease},
        // Installed runtimes come first, also when JAVA_HOME is newer.
        {"JAVA_HOME of 21 beside a registered 17",
         {msiPath("Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI", home17)},
         Ends::Launches,
         home17,
         true,
         "server",
         homeRelease},
        {"JAVA_HOME without a library", {}, Ends::Dialog, "", true, "server", homeEmpty},
        {"JAVA_HOME of 5000 characters",
         {},
         Ends::Dialog,
         "",
         true,
         "server",
         home21 + "\\" + std::string(5000, 'x')},

        // Nothing usable.
        {"nothing anywhere", {}, Ends::Dialog},
        {"only under WOW6432Node",
         {{HKEY_LOCAL_MACHINE, kRuntimeKey, "CurrentVersion", "1.8", Kind::Text32},
          {HKEY_LOCAL_MACHINE, versionedKey("1.8"), "JavaHome", homeClient, Kind::Text32},
          {HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", home17, Kind::Text32},
          {HKEY_LOCAL_MACHINE, "SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI", "Path",
           home21, Kind::Text32}},
         Ends::Dialog},
        {"a stale classic key alone", {classic1_8[0], stale1_8}, Ends::Dialog},

        // Bounds.
        {"300 subkeys and a value of 5000 characters", many, Ends::Launches, home17},
        {"CurrentVersion of 5000 characters",
         {javaSoft("JRE", "CurrentVersion", std::string(5000, '1')),
          javaSoft("JRE\\17", "JavaHome", home17)},
         Ends::Launches,
         home17},
        // Key names of 255 characters, the registry's longest, read whole.
        {"a key name of 255 characters",
         {installationPath("Azul Systems\\Zulu\\zulu-21" + std::string(248, 'x'), home21),
          installationPath("Azul Systems\\Zulu\\zulu-17", home17)},
         Ends::Launches,
         home21},
    };
    for (const auto& c : cases) {
        runCase(c);
    }
    unregisterAll();
}

// A runtime shipped in the folder jre beside the executable comes first; one
// in the working directory is never looked at.
void testShippedRuntime(const std::string& standIn) {
    group = "shipped runtime";
    const std::string withRuntime = files->root + "\\app with jre";
    const std::string withEmpty = files->root + "\\app with empty jre";
    const std::string shipped = withRuntime + "\\jre";
    const std::string workJre = files->workDir + "\\jre";
    makeDirectories(withEmpty + "\\jre");
    SETUP(makeJavaHome(shipped, standIn, {"server"}));
    SETUP(writeFile(shipped + "\\release", "JAVA_VERSION=\"17.0.9\"\n"));
    SETUP(makeJavaHome(workJre, standIn, {"server"}));
    const std::string programWith = withRuntime + "\\Pellix2.exe";
    const std::string programEmpty = withEmpty + "\\Pellix2.exe";
    SETUP(CopyFileA(launcher.c_str(), programWith.c_str(), FALSE));
    SETUP(CopyFileA(launcher.c_str(), programEmpty.c_str(), FALSE));
    const Entry classic[] = {javaSoft("Java Runtime Environment", "CurrentVersion", "1.8"),
                             javaSoft("Java Runtime Environment\\1.8", "JavaHome", homeClient)};
    const FallbackCase cases[] = {
        {"beside the executable, before every registered runtime",
         {classic[0], classic[1],
          msiPath("Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI", home21)},
         Ends::Launches,
         shipped,
         true,
         "server",
         home21,
         programWith},
        {"an empty jre folder beside the executable",
         {classic[0], classic[1]},
         Ends::Launches,
         homeClient,
         true,
         "client",
         "",
         programEmpty},
        {"a jre folder in the working directory", {}, Ends::Dialog},
        {"a relative JAVA_HOME", {}, Ends::Dialog, "", true, "server", "jre"},
        // Unlike the one above, its library would load if tried: a relative
        // library path is looked for along the DLL search path, which leaves
        // the working directory out once a DLL directory is set, but a
        // drive-relative one ("C:jre") names the working directory's "jre".
        {"a JAVA_HOME relative to the working directory of its drive",
         {},
         Ends::Dialog,
         "",
         true,
         "server",
         files->workDir.substr(0, 2) + "jre"},
    };
    for (const auto& c : cases) {
        runCase(c);
    }
    removeTree(workJre);
    unregisterAll();
}

// Started by a file association in a document's folder: an installed copy
// takes its class path and its locale file from its own folder.
void testInstalledCopy() {
    group = "installed copy";
    const std::string install = files->root + "\\Tavora";
    const std::string program = install + "\\Pellix2.exe";
    makeDirectories(install + "\\lib");
    SETUP(CopyFileA(launcher.c_str(), program.c_str(), FALSE) &&
          writeFile(install + "\\Pellix.jar", "") &&
          writeFile(install + "\\dxr_tavora", "locale=de\n"));
    SETUP(registerRuntime("1.8", homeClient));
    // Its first entries; the native tables hold the rest of the rule.
    std::string classPath = quoted("-Djava.class.path=" + install + ";" + install +
                                   "\\Pellix.jar;" + install + "\\lib\\Kestrane.jar;");
    classPath.pop_back();
    {
        LauncherRun run(*files, program);
        run.launches("from a document's folder");
        ok(run.count("OPTION 4 " + classPath) == 1,
           "from a document's folder: not the installed class path");
    }
    unregisterAll();
    LauncherRun run(*files, program);
    const HWND dialog = findDialog(run.id(), 10000, L"Tavora");
    ok(dialog != nullptr && FindWindowExW(dialog, nullptr, L"Button", L"Abbrechen") != nullptr,
       "from a document's folder: not the installed locale's dialog");
    run.endsWithDialog("from a document's folder, no runtime");
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

// The class-data cache's option reaches the machine after the six: a list on
// a first start, on the next the archive that java.exe (this program, see
// makeArchive) made from it; none for Java 8, nor where %LOCALAPPDATA%\Tavora
// cannot be a folder.
void testClassDataCache(const std::string& standIn) {
    group = "class-data cache";
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string appData = files->root + "\\app data", folder = appData + "\\Tavora";
    makeDirectories(appData);
    SetEnvironmentVariableA("LOCALAPPDATA", appData.c_str());
    const auto added = [](const LauncherRun& run) {
        const Lines options = linesStartingWith(run.log(), "OPTION ");
        return options.size() > 6 ? Lines(options.begin() + 6, options.end()) : Lines();
    };
    std::string list = "OPTION 6 " + quoted("-XX:DumpLoadedClassList=" + folder + "\\cds-");
    list.pop_back(); // the closing quote: the key follows
    std::string stem17;
    const auto exists = [](const std::string& path) {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    const auto waitFor = [&exists](const std::string& path, bool there = true) {
        const DWORD startTime = GetTickCount();
        while (exists(path) != there && GetTickCount() - startTime < patience(10000)) {
            Sleep(50);
        }
        return exists(path) == there;
    };
    for (const char* version : {"17", "21.0.1", "1.8"}) {
        const std::string home = files->root + "\\cached " + version;
        SETUP(makeJavaHome(home, standIn, {"server"}));
        SETUP(CopyFileA(self, (home + "\\bin\\java.exe").c_str(), FALSE));
        SETUP(registerRuntime(version, home));
        removeTree(folder);
        std::string stem;
        {
            Run run;
            run.launches(version);
            const Lines options = added(run);
            if (std::string(version) == "1.8") {
                ok(options.empty() && GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES,
                   "Java 8: options added or the folder made");
                continue;
            }
            ok(options.size() == 1 && startsWith(options[0], list) &&
                   options[0].substr(list.size() + 16) == ".classlist\"",
               "%s, first start: not the list option alone after the six", version);
            stem = folder + "\\cds-" + (options.empty() ? "" : options[0].substr(list.size(), 16));
            waitFor(stem + ".jsa");
        }
        Run run;
        run.launches(version);
        ok(added(run) == Lines{"OPTION 6 " + quoted("-XX:SharedArchiveFile=" + stem + ".jsa")},
           "%s, later start: not the archive, made at idle priority with the launch's heap, alone "
           "after the six",
           version);
        stem17 = stem17.empty() ? stem : stem17;
    }
    SETUP(registerRuntime("17", files->root + "\\cached 17"));
    // Archives that a start must not pass on, and a making that another
    // start must not race: each time the cache mends itself or stays out of
    // the way. The maker (this program) does as PELLIX_TEST_MAKER says.
    const std::string archive = stem17 + ".jsa", temporary = stem17 + ".jsa.tmp";
    const struct {
        const char* what;
        const char* archive; // bytes at the start; null: none
        const char* maker;
        bool lists; // the start lists, and the archive is made again
    } bad[] = {
        {"a cut archive", "\xa2\xab\x0b\xf0 cut", "", true},
        {"an empty archive", "", "", true},
        {"a maker that leaves a cut archive", nullptr, "cut", false},
        {"a start while the maker runs", nullptr, "slow", false},
    };
    makeDirectories(folder);
    // The files of a runtime build that is gone go at the next start.
    const std::string gone = folder + "\\cds-00000000000000ff";
    SETUP(writeFile(gone + ".jsa", "x") &&
          writeFile(gone + ".runtime", "C:\\gone\n17\nC:\\gone\\bin\\server\\jvm.dll\n"));
    for (const auto& c : bad) {
        DeleteFileA(archive.c_str());
        DeleteFileA((stem17 + ".failed").c_str());
        SETUP(c.archive == nullptr || writeFile(archive, c.archive));
        SetEnvironmentVariableA("PELLIX_TEST_MAKER", c.maker);
        {
            Run run;
            run.launches(c.what);
            ok(added(run) == Lines{list + stem17.substr(stem17.size() - 16) + ".classlist\""},
               "%s: the first start does not list", c.what);
            ok(!exists(gone + ".jsa") && !exists(gone + ".runtime"),
               "%s: the files of a runtime that is gone stay", c.what);
            if (std::string(c.maker) == "slow") {
                // Killed while its maker runs, which holds the lock on.
                ok(waitFor(temporary), "%s: the maker did not start", c.what);
            } else {
                waitFor(c.lists ? archive : stem17 + ".failed");
            }
        }
        Run run;
        run.launches(c.what);
        const std::string kept = added(run).empty() ? "" : added(run)[0];
        if (c.lists) {
            ok(kept == "OPTION 6 " + quoted("-XX:SharedArchiveFile=" + archive),
               "%s: not made again and used", c.what);
        } else {
            ok(kept.empty() && !exists(archive), "%s: a later start adds [%s]", c.what,
               kept.c_str());
        }
        ok(std::string(c.maker) != "slow" || (exists(temporary) && !exists(stem17 + ".failed")),
           "%s: the running maker's file went, or the cache was switched off", c.what);
    }
    SetEnvironmentVariableA("PELLIX_TEST_MAKER", nullptr);
    ok(waitFor(stem17 + ".lock", false), "the slow maker did not end");
    removeTree(folder);
    // The user's own class-data option switches it off, archive or not.
    char roaming[MAX_PATH] = "";
    GetEnvironmentVariableA("APPDATA", roaming, MAX_PATH);
    SetEnvironmentVariableA("APPDATA", (files->root + "\\roaming").c_str());
    makeDirectories(files->root + "\\roaming\\Tavora");
    SETUP(writeFile(files->root + "\\roaming\\Tavora\\Pellix2.vmoptions", "-Xshare:off\n"));
    {
        Run run;
        run.launches("the user's -Xshare:off");
        const Lines options = linesStartingWith(run.log(), "OPTION ");
        ok(!options.empty() && options.back().find("\"-Xshare:off\"") != std::string::npos &&
               run.count("OPTION 9 ") == 1 && run.count("OPTION 10 ") == 0,
           "the user's -Xshare:off: not the hooks, the six and it alone");
    }
    SetEnvironmentVariableA("APPDATA", roaming);
    SETUP(writeFile(folder, "a file where the folder belongs"));
    {
        Run run;
        run.launches("unusable folder");
        ok(added(run).empty(), "unusable folder: options added");
    }
    DeleteFileA(folder.c_str());
    SetEnvironmentVariableA("LOCALAPPDATA", nullptr);
    unregisterAll();
}

// As java.exe -Xshare:dump, only at idle priority and with the launch's
// heap: a whole archive at the temporary name, its third argument. As
// PELLIX_TEST_MAKER says, a cut one instead, or a whole one and then 5 s
// more before it ends.
int makeArchive(int argc, char** argv) {
    char how[8] = "";
    GetEnvironmentVariableA("PELLIX_TEST_MAKER", how, sizeof how);
    std::string archive(std::string(how) == "cut" ? 4000 : 70000, '\0');
    archive.replace(0, 4, "\xa2\xab\x0b\xf0");
    const bool made = GetPriorityClass(GetCurrentProcess()) == IDLE_PRIORITY_CLASS &&
                      std::string(argv[argc - 1]) == "-Xmx364m" &&
                      writeFile(strchr(argv[3], '=') + 1, archive);
    Sleep(std::string(how) == "slow" ? 5000 : 0);
    return made ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "-Xshare:dump") {
        return makeArchive(argc, argv);
    }
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
    home11 = root + "\\jdk 11";
    home17 = root + "\\jdk 17";
    home17b = root + "\\jdk 17 other";
    home21 = root + "\\jdk 21";
    homeRelease = root + "\\jdk with release";
    homeJdk8 = root + "\\jdk 8";
    SetEnvironmentVariableA("PELLIX_TEST_ROOT", root.c_str());
    // The launcher looks at JAVA_HOME where nothing else gives a runtime.
    SetEnvironmentVariableA("JAVA_HOME", nullptr);
    ok(makeJavaHome(home11, standIn, {"server"}) && makeJavaHome(home17, standIn, {"server"}) &&
           makeJavaHome(home17b, standIn, {"server"}) &&
           makeJavaHome(home21, standIn, {"server"}) &&
           makeJavaHome(homeRelease, standIn, {"server"}) &&
           writeFile(homeRelease + "\\release",
                     "IMPLEMENTOR=\"Stand-in\"\r\nJAVA_VERSION=\"21.0.1\"\r\n") &&
           makeJavaHome(homeJdk8 + "\\jre", standIn, {"server"}) &&
           writeFile(homeJdk8 + "\\release", "JAVA_VERSION=\"1.8.0_402\"\n"),
       "could not lay out the newer Java homes");
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
    const std::string variants[3] = {windowsPath(argc >= 7 ? argv[4] : ""),
                                     windowsPath(argc >= 7 ? argv[5] : ""),
                                     windowsPath(argc >= 7 ? argv[6] : "")};
    runWhilePassing(
        testVersionTexts, testMissingRegistration, testLibraryPlaces, testCreation, testOptions,
        testOptionsFiles, testFallbackPlaces, [&standIn] { testShippedRuntime(standIn); },
        testInstalledCopy, [&standIn] { testClassDataCache(standIn); },
        [&variants, argc] {
            if (argc >= 7) {
                testExtraJarModes(variants);
            }
        });
    unregisterAll();
    ok(!leftBehind(), "the registry entries of the test are left behind");
    return finish("java_runtime_test");
}
