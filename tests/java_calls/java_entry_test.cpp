// The launcher's calls into Java: main with the command-line arguments, and
// toFront from the watcher of the first instance, observed through the real
// executable and the recording stand-in jvm.dll.
#include "wine_test.h"

#include "tests/stand_in_jvm/stand_in_runtime.h"

using namespace winetest;
using namespace standin;

namespace {

const char* const kEventName = "SignalAnother";
const wchar_t* const kMessageCaption = L"Java/C++";

std::string launcher;
const StandInFiles* files = nullptr;

struct Run : LauncherRun {
    explicit Run(const std::string& commandLine = "")
        : LauncherRun(*files, launcher, commandLine) {}
    explicit Run(const std::wstring& commandLine) : LauncherRun(*files, launcher, commandLine) {}
};

// What the launcher asked of Java, handles and all; the frame and exception
// calls around them are left out.
Lines javaCalls(const Lines& log) {
    Lines calls;
    for (std::string line : log) {
        for (const char* call : {"FindClass", "GetStaticMethodID", "NewObjectArray", "NewStringUTF",
                                 "SetObjectArrayElement", "CallStatic"}) {
            if (startsWith(line, call)) {
                // The C++ members of JNIEnv reach the variadic calls through
                // their va_list forms; either is the same call.
                if (startsWith(line, "CallStaticVoidMethodV ")) {
                    line.erase(20, 1);
                }
                calls.push_back(line);
            }
        }
    }
    return calls;
}

std::string quotedLauncher() {
    return "\"" + launcher + "\"";
}

void testLookups() {
    group = "lookups";
    files->configure("");
    {
        Run run;
        run.launches("defaults");
        const std::string mainClass = quoted(kMainClass);
        const Lines expected = {
            "FindClass \"java/lang/String\" -> c1",
            "FindClass \"javax/swing/JFrame\" -> c2",
            "FindClass " + mainClass + " -> c3",
            "GetStaticMethodID c3 \"main\" \"([Ljava/lang/String;)V\" -> m0",
            "FindClass \"java/lang/String\" -> c4",
            "NewObjectArray 0 c4 null -> a5",
            "CallStaticVoidMethod c3 m0 a5",
        };
        ok(javaCalls(run.log()) == expected, "not the lookups in order, then main");
    }

    // Looked up and ignored; the launcher clears what the failed lookup left
    // pending, which the stand-in would otherwise report.
    files->configure("no_class javax/swing/JFrame\n");
    {
        Run run;
        run.launches("no JFrame");
    }

    files->configure("no_class java/lang/String\n");
    {
        Run run;
        run.endsSilently("no String");
        ok(run.count("INVOKE") == 0, "no String: main was called");
    }
    files->configure("");
}

void testMainArguments() {
    group = "main's arguments";
    files->configure("");
    std::string twentyOne = quotedLauncher();
    std::vector<std::string> firstTwenty;
    for (int i = 1; i <= 21; ++i) {
        twentyOne += " a" + std::to_string(i);
        if (i <= 20) {
            firstTwenty.push_back("a" + std::to_string(i));
        }
    }
    const std::string longest(511, 'x');
    const std::string tooLong(512, 'y');
    const struct {
        const char* what;
        std::string commandLine;
        std::vector<std::string> expected;
    } cases[] = {
        // An empty array, never null.
        {"no arguments", quotedLauncher(), {}},
        {"bare program name", "Pellix2.exe  a   b", {"a", "b"}},
        {"quoted program name", quotedLauncher() + " a b", {"a", "b"}},
        // The character behind the closing quote is skipped, whatever it is.
        {"no blank behind the name", quotedLauncher() + "xy z", {"y", "z"}},
        {"quotes", quotedLauncher() + " \"two words\"", {"\"two", "words\""}},
        {"tab", quotedLauncher() + " a\tb", {"a\tb"}},
        {"21 arguments", twentyOne, firstTwenty},
        {"512 characters",
         quotedLauncher() + " a " + longest + " " + tooLong + " b",
         {"a", longest, "b"}},
    };
    for (const auto& c : cases) {
        Run run(c.commandLine);
        run.launches(c.what);
        const Lines log = run.log();
        ok(countLines(log, invokeLine("main", c.expected)) == 1, "%s: main did not get %zu strings",
           c.what, c.expected.size());
    }

    // A fresh prefix runs in code page 1252, where E9 is e acute and 80 the
    // euro sign; Java wants them as modified UTF-8.
    if (GetACP() != 1252) {
        std::printf("skipping the code page 1252 arguments: the code page is %u\n", GetACP());
        return;
    }
    Run run(quotedLauncher() + " caf\xE9 \x80uro");
    run.launches("code page 1252");
    const Lines log = run.log();
    const std::vector<std::string> utf8 = {"caf\xC3\xA9", "\xE2\x82\xACuro"};
    ok(countLines(log, "NewStringUTF " + quoted(utf8[0]) + " ") == 1 &&
           countLines(log, "NewStringUTF " + quoted(utf8[1]) + " ") == 1,
       "code page 1252: not handed over as modified UTF-8");
    ok(countLines(log, invokeLine("main", utf8)) == 1, "code page 1252: main did not get them");
}

// Started with a UTF-16 command line, as the shell starts a program for a
// document: main receives every name as the same UTF-16, whatever the code
// page holds, through one NewStringUTF of its modified UTF-8 each.
void testUnicodeArguments() {
    group = "main's arguments in UTF-16";
    files->configure("");
    const std::wstring program = L"\"" + widen(launcher) + L"\"";
    for (const UnicodeCase& c : unicodeCases()) {
        Run run(program + c.arguments);
        run.launches(c.what.c_str());
        const Lines log = run.log();
        ok(countLines(log, invokeLine("main", c.inJava)) == 1,
           "%s: main did not get the %zu names as their UTF-16", c.what.c_str(), c.inJava.size());
        for (const std::string& text : c.inJava) {
            ok(countLines(log, "NewStringUTF " + quoted(text) + " ") == 1,
               "%s: not one NewStringUTF of %s", c.what.c_str(), quoted(text).c_str());
        }
    }
}

void testMissingMain() {
    group = "missing main";
    const std::string mainClass = kMainClass;
    const struct {
        const char* what;
        std::string config;
    } cases[] = {
        {"no main class", "no_class " + mainClass},
        {"no main", "no_method " + mainClass + " main ([Ljava/lang/String;)V"},
        {"main of another descriptor", "no_method " + mainClass +
                                           " main ([Ljava/lang/String;)V\nmethod " + mainClass +
                                           " main ()V"},
    };
    for (const auto& c : cases) {
        files->configure(c.config + "\n");
        Run run;
        run.endsSilently(c.what);
        ok(run.count("INVOKE") == 0, "%s: Java was called", c.what);
    }

    // main threw, perhaps with the application's windows already up: the
    // exception is described, and the first instance stays and serves later
    // starts as after a normal return.
    files->configure("throw " + mainClass + " main java/lang/IllegalStateException\n");
    {
        Run run;
        run.launches("main threw");
        ok(run.waitFor("ExceptionDescribe \"java/lang/IllegalStateException\""),
           "main threw: the exception was not described");
        std::string output;
        const DWORD code =
            runCapturingOutput(quotedLauncher() + " after.txt", files->workDir, output);
        ok(code == 1 && output.empty(), "main threw: a later start ended with %lu [%s]", code,
           output.c_str());
        ok(run.waitFor(invokePrefix("toFront")) &&
               run.waitFor(invokeLine("openFiles", {"after.txt"})),
           "main threw: the later start reached neither toFront nor openFiles");
    }
    files->configure("");
}

// The watcher's signal, as a later start gives it.
bool signal() {
    const UniqueHandle event(OpenEventA(EVENT_MODIFY_STATE, FALSE, kEventName));
    return event && SetEvent(event.get());
}

// Closes the message box that run shows for a method's result; false when
// none comes up.
bool closeMessageBox(const Run& run, const char* what) {
    HWND box = findDialog(run.id(), 5000, kMessageCaption);
    if (box == nullptr) {
        return false;
    }
    wchar_t text[128] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 128);
    ok(lstrcmpW(text, L"callJavaMethod(), ending error") == 0, "%s: message box says %s", what,
       printable(text).c_str());
    ok(countDialogs(run.id(), kMessageCaption) == 1, "%s: more than one message box", what);
    ok(GetWindow(box, GW_OWNER) == nullptr && GetDlgItem(box, IDOK) != nullptr &&
           GetDlgItem(box, IDCANCEL) == nullptr,
       "%s: not an ownerless box with an OK button alone", what);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 250 && IsWindow(box); ++i) {
        Sleep(20);
    }
    return !IsWindow(box);
}

void testWatcher() {
    group = "watcher";
    const std::string mainClass = kMainClass;
    const std::string toFront = invokePrefix("toFront");
    files->configure("");
    {
        Run run;
        run.launches("defaults");
        constexpr std::size_t kSignals = 50;
        for (std::size_t i = 1; i <= kSignals; ++i) {
            if (!ok(signal() && run.waitFor(toFront, i), "no toFront after signal %zu", i)) {
                break;
            }
        }
        Sleep(100);
        const Lines log = run.log();
        ok(countLines(log, toFront) == kSignals &&
               countLines(log, invokeLine("toFront", {})) == kSignals,
           "not one toFront with an empty array per signal");
        ok(countLines(log, invokePrefix("openFiles")) == 0, "openFiles without forwarded files");
        ok(countLines(log, "PushLocalFrame") == countLines(log, "PopLocalFrame") &&
               countLines(log, "PopLocalFrame null -> null depth=0 live=0") ==
                   countLines(log, "PopLocalFrame"),
           "local references outlive the calls");
        ok(run.process.wait(0) == STILL_ACTIVE, "the watcher ended");
    }

    // A result other than 0, -5 included, shows the message box once per
    // call, and the watcher goes on once it is closed.
    for (int result : {1, -5}) {
        files->configure("method " + mainClass + " toFront ([Ljava/lang/String;)I " +
                         std::to_string(result) + "\n");
        Run run;
        run.launches("toFront fails");
        for (std::size_t i = 1; i <= 2; ++i) {
            signal();
            ok(closeMessageBox(run, "toFront fails"), "result %d: no message box after signal %zu",
               result, i);
            Sleep(100);
            ok(countDialogs(run.id()) == 0 && run.count(toFront) == i,
               "result %d: not one toFront and one message box for signal %zu", result, i);
        }
    }

    // An exception is described and cleared: no message box, and the next
    // call goes through.
    files->configure("throw " + mainClass + " toFront java/lang/IllegalStateException 1\n");
    {
        Run run;
        run.launches("toFront threw");
        signal();
        ok(run.waitFor("ExceptionDescribe \"java/lang/IllegalStateException\""),
           "toFront threw: the exception was not described");
        ok(findDialog(run.id(), 300) == nullptr, "toFront threw: a message box came up");
        signal();
        ok(run.waitFor(toFront, 2) && run.waitFor("RETURN 0"),
           "toFront threw: the next signal did not reach it");
    }

    // A toFront of another descriptor is no toFront: nothing is called and
    // nothing is shown.
    files->configure("no_method " + mainClass + " toFront ([Ljava/lang/String;)I\nmethod " +
                     mainClass + " toFront ([Ljava/lang/String;)V\n");
    {
        Run run;
        run.launches("toFront of another descriptor");
        const std::string notFound = "THROW \"java/lang/NoSuchMethodError\" \"toFront\"";
        for (std::size_t i = 1; i <= 2; ++i) {
            ok(signal() && run.waitFor(notFound, i), "no lookup of toFront after signal %zu", i);
        }
        ok(findDialog(run.id(), 300) == nullptr && run.count(toFront) == 0,
           "toFront of another descriptor: called, or a message box came up");
        ok(run.process.wait(0) == STILL_ACTIVE, "toFront of another descriptor: the watcher ended");
    }

    // A signal while the machine is still being created stays set, and
    // toFront follows main at once.
    files->configure("create_delay_ms 1000\n");
    {
        Run run;
        ok(run.waitFor("JNI_CreateJavaVM") && signal(), "no signal during creation");
        run.launches("signal during creation");
        ok(run.waitFor(toFront), "signal during creation: no toFront after main");
        Sleep(200);
        ok(run.count(toFront) == 1, "signal during creation: not one toFront");
    }
    files->configure("");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: java_entry_test PELLIX2.EXE JVM.DLL\n");
        return 2;
    }
    launcher = windowsPath(argv[1]);
    const StandInFiles standInFiles("pellix java entry");
    files = &standInFiles;

    installStandInRuntime(standInFiles.root, windowsPath(argv[2]), "client");

    startDesktop();
    const UnmanagedWindows unmanaged;
    testLookups();
    testMainArguments();
    testUnicodeArguments();
    testMissingMain();
    testWatcher();
    unregisterAll();
    ok(!isRegistered("SOFTWARE\\JavaSoft") && !isRegistered("SOFTWARE\\Norvane\\Brisca_qrt"),
       "the registry entries of the test are left behind");
    return finish("java_entry_test");
}
