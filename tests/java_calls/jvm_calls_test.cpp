// The launcher's calls into Java, run against the JDK's real virtual machine
// and the tests' own Java application (app/com/norvane/apps/websetup).
//
// A process can create one virtual machine only: the environment below
// creates it once, with the options the launcher itself builds. Run with
// --check-jni, the machine also checks every JNI call (-Xcheck:jni).
#include "app/launch_settings.h"
#include "common/trace.h"
#include "launcher/arguments.h"
#include "class_data/class_data.h"
#include "java_calls/java_calls.h"
#include "vm/java_creation.h"
#include "vm_options/java_options.h"
#include "runtime/runtime_choice.h"
#include "launcher/launcher.h"
#include "tests/printable.h"

#include <gtest/gtest.h>

#include <jni.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::u16string commandLine;
int messageBoxes = 0;
bool checkJni = false;

} // namespace

// The platform seams that the Windows build implements with Windows calls
// (systemTextToUtf16: utf8_system_text.cpp).

void parseCommandLine(WideArgList& args) {
    splitCommandLine(commandLine, args);
}

void showJavaMethodError() {
    ++messageBoxes;
}

namespace {

constexpr const char* kWrongShapes = "com/norvane/apps/websetup/WrongShapes";
constexpr const char* kMissingClass = "com/norvane/apps/websetup/NoSuchClass";

// What is written to a file descriptor while this lives. The virtual machine
// writes its warnings straight to 1, Java's System.err to 2.
class Captured {
  public:
    explicit Captured(int fd) : fd_(fd), file_(std::tmpfile()) {
        std::fflush(nullptr);
        saved_ = dup(fd_);
        dup2(fileno(file_), fd_);
    }
    ~Captured() {
        finish();
        std::fclose(file_);
    }
    Captured(const Captured&) = delete;
    Captured& operator=(const Captured&) = delete;

    std::string finish() {
        if (saved_ >= 0) {
            std::fflush(nullptr);
            dup2(saved_, fd_);
            close(saved_);
            saved_ = -1;
        }
        std::string text;
        std::rewind(file_);
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file_)) > 0;) {
            text.append(buffer, n);
        }
        return text;
    }

  private:
    int fd_;
    std::FILE* file_;
    int saved_ = -1;
};

std::string classPathOption;
std::string creationOutput;
jclass appClass = nullptr;
jclass wrongShapesClass = nullptr;

// The test's own lookups run in a local frame, so that they leave no
// references behind in the frame that the launcher's calls return to.
class Frame {
  public:
    Frame() { javaEnv->PushLocalFrame(16); }
    ~Frame() { javaEnv->PopLocalFrame(nullptr); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
};

class JavaMachine : public ::testing::Environment {
  public:
    void SetUp() override {
        // The application's class path ends with ':' so that this VM finds
        // the test jar; the launcher's Windows entries behind it are then
        // names of files that do not exist.
        classPathOption = buildClassPathOption(
            std::string(PELLIX_TEST_APP) + ":" + kApplicationClassPath, PELLIX_TEST_JDK,
            extraJarEntries("C:\\Program Files\\Norvane\\Brisca", kExtraJarMode));
        JavaLaunchOptions launch;
        composeLaunchOptions(launch, classPathOption, JNI_VERSION_1_4, {});

        std::vector<JavaVMOption> options = launch.options;
        JavaVMInitArgs initArgs = launch.initArgs;
        char checkOption[] = "-Xcheck:jni";
        if (checkJni) {
            options.push_back({checkOption, nullptr});
            initArgs.options = options.data();
            initArgs.nOptions = static_cast<jint>(options.size());
        }

        JavaVM* vm = nullptr;
        JNIEnv* env = nullptr;
        jint created;
        {
            Captured out(STDOUT_FILENO);
            Captured err(STDERR_FILENO);
            created = JNI_CreateJavaVM(&vm, reinterpret_cast<void**>(&env), &initArgs);
            creationOutput = out.finish() + err.finish();
        }
        std::fputs(creationOutput.c_str(), stdout);
        ASSERT_EQ(created, JNI_OK);
        javaVM = vm;
        javaEnv = env;
        std::strcpy(mainClassName, kMainClass);

        appClass = static_cast<jclass>(env->NewGlobalRef(env->FindClass(kMainClass)));
        wrongShapesClass = static_cast<jclass>(env->NewGlobalRef(env->FindClass(kWrongShapes)));
        ASSERT_NE(appClass, nullptr);
        ASSERT_NE(wrongShapesClass, nullptr);
    }
};

int intField(jclass cls, const char* name) {
    return javaEnv->GetStaticIntField(cls, javaEnv->GetStaticFieldID(cls, name, "I"));
}

void setAppField(const char* name, jint value) {
    javaEnv->SetStaticIntField(appClass, javaEnv->GetStaticFieldID(appClass, name, "I"), value);
}

void setAppFails(bool fails) {
    javaEnv->SetStaticBooleanField(appClass, javaEnv->GetStaticFieldID(appClass, "fail", "Z"),
                                   fails ? JNI_TRUE : JNI_FALSE);
}

std::u16string javaText(jstring text) {
    const jchar* chars = javaEnv->GetStringChars(text, nullptr);
    std::u16string out(reinterpret_cast<const char16_t*>(chars),
                       static_cast<std::size_t>(javaEnv->GetStringLength(text)));
    javaEnv->ReleaseStringChars(text, chars);
    return out;
}

// The strings of one of the application's String[] fields, nullopt for a
// null array; a null element reads as "(null)".
std::optional<std::vector<std::u16string>> received(const char* field) {
    Frame frame;
    JNIEnv* env = javaEnv;
    auto array = static_cast<jobjectArray>(env->GetStaticObjectField(
        appClass, env->GetStaticFieldID(appClass, field, "[Ljava/lang/String;")));
    if (array == nullptr) {
        return std::nullopt;
    }
    std::vector<std::u16string> texts;
    for (jsize i = 0; i < env->GetArrayLength(array); ++i) {
        auto text = static_cast<jstring>(env->GetObjectArrayElement(array, i));
        texts.push_back(text != nullptr ? javaText(text) : u"(null)");
        env->DeleteLocalRef(text);
    }
    return texts;
}

std::u16string systemProperty(const char* key) {
    Frame frame;
    JNIEnv* env = javaEnv;
    jclass system = env->FindClass("java/lang/System");
    jmethodID get =
        env->GetStaticMethodID(system, "getProperty", "(Ljava/lang/String;)Ljava/lang/String;");
    auto value =
        static_cast<jstring>(env->CallStaticObjectMethod(system, get, env->NewStringUTF(key)));
    EXPECT_FALSE(env->ExceptionCheck());
    return value != nullptr ? javaText(value) : u"(null)";
}

// Enough of a captured text to read in a failure message.
std::string head(const std::string& text) {
    return text.substr(0, 1500);
}

std::vector<std::u16string> utf16(const std::vector<std::string>& texts) {
    std::vector<std::u16string> out;
    for (const auto& text : texts) {
        out.push_back(systemTextToUtf16(text));
    }
    return out;
}

class JavaCalls : public ::testing::Test {
  protected:
    void SetUp() override {
        Frame frame;
        javaEnv->CallStaticVoidMethod(appClass,
                                      javaEnv->GetStaticMethodID(appClass, "reset", "()V"));
        ASSERT_FALSE(javaEnv->ExceptionCheck());
        javaEnv->SetStaticIntField(wrongShapesClass,
                                   javaEnv->GetStaticFieldID(wrongShapesClass, "calls", "I"), 0);
        commandLine = u"Pellix2.exe";
        messageBoxes = 0;
    }
    void TearDown() override {
        // Whatever a call did, the next call into Java must find no exception.
        EXPECT_FALSE(javaEnv->ExceptionCheck());
    }
};

using JavaMachineOptions = JavaCalls;
using JavaMain = JavaCalls;
using LaterCalls = JavaCalls;
using LocalReferences = JavaCalls;

TEST_F(JavaMachineOptions, ReachTheMachineAsTheyStand) {
    EXPECT_EQ(systemProperty("osgi.requiredJavaVersion"), u"1.5;");
    // The machine takes java.compiler for itself; with the semicolon it is
    // no "NONE" and leaves the compilers on.
    EXPECT_EQ(systemProperty("java.compiler"), u"(null)");
    EXPECT_NE(systemProperty("java.vm.info").find(u"mixed mode"), std::u16string::npos);
    EXPECT_EQ(systemProperty("java.class.path"),
              systemTextToUtf16(classPathOption.substr(std::strlen("-Djava.class.path="))));
    if (!checkJni) {
        // ignoreUnrecognized keeps the empty option from failing the
        // creation; it is then taken without a word.
        EXPECT_EQ(creationOutput, "");
    }
}

using Texts = std::vector<std::u16string>;

TEST_F(JavaMain, ReceivesTheCommandLineArgumentsUnitForUnit) {
    std::u16string many = u"Pellix2.exe";
    Texts first20;
    for (int i = 1; i <= 21; ++i) {
        const std::string name = "f" + std::to_string(i) + ".tav";
        many += u" " + std::u16string(name.begin(), name.end());
        if (i <= 20) {
            first20.emplace_back(name.begin(), name.end());
        }
    }
    // 511 units fit, 512 do not, counted in UTF-16 units: a supplementary
    // character takes two.
    std::u16string fits;
    for (int i = 0; i < 255; ++i) {
        fits += u"\U0001F600";
    }
    fits += u"a";
    const std::u16string tooLong = fits.substr(0, 510) + u"\U0001F600";
    const struct {
        std::u16string commandLine;
        Texts args;
    } cases[] = {
        {u"Pellix2.exe", {}}, // an empty array, not null
        {u"", {}},
        {u"\"C:\\Program Files\\Tavora\\Pellix2.exe\" report.tav", {u"report.tav"}},
        {u"Pellix2.exe  -open   a.tav b.tav ", {u"-open", u"a.tav", u"b.tav"}},
        {u"Pellix2.exe r\u00e9sum\u00e9.tav \u65e5\u672c.tav",
         {u"r\u00e9sum\u00e9.tav", u"\u65e5\u672c.tav"}},
        {u"Pellix2.exe Za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105.tav \u0395\u03BB.doc",
         {u"Za\u017C\u00F3\u0142\u0107", u"g\u0119\u015Bl\u0105.tav", u"\u0395\u03BB.doc"}},
        // A surrogate pair, unpaired surrogates of both halves, the fullwidth
        // vertical line (no separator) and the last units of the plane.
        {u"Pellix2.exe \U0001F600.txt a\xD800"
         u"b \xDC00 x\xDBFF \uFF5C|\uFF5C \uFFFE\uFFFF",
         {u"\U0001F600.txt",
          u"a\xD800"
          u"b",
          u"\xDC00", u"x\xDBFF", u"\uFF5C|\uFF5C", u"\uFFFE\uFFFF"}},
        {u"Pellix2.exe " + fits + u" " + tooLong + u" z", {fits, u"z"}},
        {many, first20},
    };
    for (const auto& c : cases) {
        SetUp();
        commandLine = c.commandLine;
        const std::string line = printable(c.commandLine);
        EXPECT_EQ(callJavaMain(kMainClass), 0) << line;
        EXPECT_EQ(intField(appClass, "mainCalls"), 1) << line;
        EXPECT_EQ(received("mainArgs"), c.args) << line;
        EXPECT_EQ(messageBoxes, 0) << line;
    }
}

TEST_F(JavaMain, IsMinusFiveWithoutTheClassOrTheMethod) {
    EXPECT_EQ(callJavaMain(kMissingClass), -5);
    EXPECT_EQ(callJavaMain(kWrongShapes), -5); // an int main
    EXPECT_EQ(intField(wrongShapesClass, "calls"), 0);
    EXPECT_EQ(messageBoxes, 0);
    EXPECT_EQ(callJavaMain(kMainClass), 0) << "the failed lookups left an exception behind";
}

std::vector<std::string> traced;

// A main that threw has the application up as far as it got: the launch goes
// on, the exception described on standard error and named in the trace.
TEST_F(JavaMain, GoesOnWhenMainThrowsAndTheNextCallWorks) {
    setAppFails(true);
    traced.clear();
    setTraceSink([](std::string_view line) { traced.emplace_back(line); });
    Captured err(STDERR_FILENO);
    EXPECT_EQ(callJavaMain(kMainClass), 0);
    const std::string described = err.finish();
    setTraceSink(nullptr);
    EXPECT_EQ(traced, std::vector<std::string>{
                          "Java: exception java.lang.IllegalStateException left pending"});
    EXPECT_EQ(intField(appClass, "mainCalls"), 1);
    EXPECT_NE(described.find("IllegalStateException: main was told to fail"), std::string::npos)
        << head(described);
    EXPECT_EQ(messageBoxes, 0);

    setAppFails(false);
    EXPECT_EQ(callToFront(), 0);
    EXPECT_EQ(intField(appClass, "toFrontCalls"), 1);
}

TEST_F(LaterCalls, ToFrontReceivesAnEmptyArray) {
    EXPECT_EQ(callToFront(), 0);
    EXPECT_EQ(intField(appClass, "toFrontCalls"), 1);
    EXPECT_EQ(received("toFrontArgs"), std::vector<std::u16string>{});
    EXPECT_EQ(messageBoxes, 0);
}

TEST_F(LaterCalls, OpenFilesReceivesTheTextsInOrderAsTheirCharacters) {
    // Around the two- and three-byte limits of modified UTF-8, a
    // supplementary character (a surrogate pair in Java) and a byte that
    // is no UTF-8 at all.
    const std::vector<std::string> files = {"C:\\Users\\a.tav",
                                            u8"\u00e9",
                                            u8"\u65e5\u672c",
                                            u8"\U0001F600",
                                            u8"\u007f\u0080\u07ff\u0800\uffff",
                                            u8"C:\\Users\\Zo\u00eb\\\U0001F600 notes.tav",
                                            "bad \xff byte"};
    std::vector<const char*> texts;
    for (const auto& file : files) {
        texts.push_back(file.c_str());
    }
    EXPECT_EQ(
        callJavaMethod(kMainClass, "openFiles", static_cast<int32_t>(texts.size()), texts.data()),
        0);
    EXPECT_EQ(intField(appClass, "openFilesCalls"), 1);
    const auto arrived = received("openFilesArgs");
    ASSERT_TRUE(arrived.has_value());
    ASSERT_EQ(arrived->size(), files.size());
    EXPECT_EQ((*arrived)[2], u"\u65e5\u672c");
    EXPECT_EQ((*arrived)[3], u"\xD83D\xDE00");
    EXPECT_EQ((*arrived)[6], u"bad \uFFFD byte");
    EXPECT_EQ(*arrived, utf16(files));
    EXPECT_EQ(messageBoxes, 0);
}

// What the watcher hands over: UTF-16 lists unit for unit, narrow ones
// through the system code page as the exported call converts them, each
// kind in the same String[].
TEST_F(LaterCalls, OpenFilesReceivesEitherKindOfListAsUtf16) {
    const Texts wide = {u"C:\\Users\\Zo\u00EB\\\U0001F600 notes.tav", u"\u65E5\u672C\u8A9E.txt",
                        u"lone \xD800 and \xDFFF",
                        u"\xDC00\xD800", // the halves of a pair in the wrong order
                        u"\uFF5C\u007F\u0080\u07FF\u0800\uFFFF"};
    PendingList list;
    list.wide = std::make_unique<WideArgList>();
    for (const auto& text : wide) {
        text.copy(list.wide->entries[list.wide->count++], text.size());
    }
    EXPECT_EQ(callOpenFiles(list), 0);
    EXPECT_EQ(received("openFilesArgs"), wide);

    // The same texts through the exported call's UTF-16 twin.
    std::vector<const char16_t*> texts;
    for (const auto& text : wide) {
        texts.push_back(text.c_str());
    }
    EXPECT_EQ(callJavaMethodUtf16(kMainClass, "openFiles", static_cast<int32_t>(texts.size()),
                                  texts.data()),
              0);
    EXPECT_EQ(received("openFilesArgs"), wide);

    const std::vector<std::string> narrow = {u8"r\u00e9sum\u00e9.tav", "bad \xff byte"};
    PendingList narrowList;
    narrowList.narrow = std::make_unique<ArgList>();
    for (const auto& text : narrow) {
        text.copy(narrowList.narrow->entries[narrowList.narrow->count++], text.size());
    }
    EXPECT_EQ(callOpenFiles(narrowList), 0);
    EXPECT_EQ(received("openFilesArgs"), utf16(narrow));

    EXPECT_EQ(intField(appClass, "openFilesCalls"), 3);
    EXPECT_EQ(messageBoxes, 0);
}

TEST_F(LaterCalls, OpenFilesTakesNullEntriesAndNoCount) {
    const char* withNull[] = {"a.tav", nullptr, "b.tav"};
    EXPECT_EQ(callJavaMethod(kMainClass, "openFiles", 3, withNull), 0);
    EXPECT_EQ(received("openFilesArgs"),
              (std::vector<std::u16string>{u"a.tav", u"(null)", u"b.tav"}));

    EXPECT_EQ(callJavaMethod(kMainClass, "openFiles", -3, nullptr), 0);
    EXPECT_EQ(received("openFilesArgs"), std::vector<std::u16string>{});

    EXPECT_EQ(callJavaMethod(kMainClass, "openFiles", 2, nullptr), -5);
    EXPECT_EQ(intField(appClass, "openFilesCalls"), 2);
    EXPECT_EQ(messageBoxes, 0);
}

TEST_F(LaterCalls, ANonZeroResultIsReturnedAndShownOnce) {
    const char* file[] = {"a.tav"};
    for (int result : {1, -1, 42}) {
        setAppField("result", result);
        messageBoxes = 0;
        EXPECT_EQ(callToFront(), result);
        EXPECT_EQ(messageBoxes, 1) << "toFront gave " << result;
        messageBoxes = 0;
        EXPECT_EQ(callJavaMethod(kMainClass, "openFiles", 1, file), result);
        EXPECT_EQ(messageBoxes, 1) << "openFiles gave " << result;
    }
    EXPECT_EQ(intField(appClass, "toFrontCalls"), 3);
    EXPECT_EQ(intField(appClass, "openFilesCalls"), 3);
}

TEST_F(LaterCalls, AWrongTargetIsMinusFiveWithoutAMessage) {
    const char* file[] = {"a.tav"};
    const struct {
        const char* className;
        const char* method;
    } targets[] = {
        {kMissingClass, "toFront"},
        {kMainClass, "noSuchMethod"},
        {kWrongShapes, "toFront"},   // void
        {kWrongShapes, "openFiles"}, // takes one String
    };
    for (const auto& t : targets) {
        EXPECT_EQ(callJavaMethod(t.className, t.method, 1, file), -5) << t.className << t.method;
        EXPECT_FALSE(javaEnv->ExceptionCheck()) << t.className << t.method;
        EXPECT_EQ(callToFront(), 0) << "after " << t.className << t.method;
    }
    EXPECT_EQ(intField(wrongShapesClass, "calls"), 0);
    EXPECT_EQ(intField(appClass, "toFrontCalls"), 4);
    EXPECT_EQ(messageBoxes, 0);
}

TEST_F(LaterCalls, AnExceptionIsDescribedClearedAndMinusFive) {
    const char* file[] = {"a.tav"};
    for (const char* method : {"toFront", "openFiles"}) {
        setAppFails(true);
        setAppField("result", 1); // a message box would mean the result was used
        Captured err(STDERR_FILENO);
        EXPECT_EQ(callJavaMethod(kMainClass, method, 1, file), -5) << method;
        const std::string described = err.finish();
        EXPECT_NE(
            described.find(std::string("IllegalStateException: ") + method + " was told to fail"),
            std::string::npos)
            << head(described);
        EXPECT_FALSE(javaEnv->ExceptionCheck()) << method;

        setAppFails(false);
        setAppField("result", 0);
        EXPECT_EQ(callJavaMethod(kMainClass, method, 1, file), 0) << "after " << method;
    }
    EXPECT_EQ(intField(appClass, "toFrontCalls"), 2);
    EXPECT_EQ(intField(appClass, "openFilesCalls"), 2);
    EXPECT_EQ(messageBoxes, 0);
}

// JNI has no call that counts local references, nor has JVMTI. Two measures
// of the frame that the calls return to, which the test pushes itself:
// - HotSpot hands out a frame's references one after another in its handle
//   block, so a reference made after the calls lands right behind one made
//   before them exactly when the calls left nothing in the frame and no frame
//   of theirs open. Exact, and needs no -Xcheck:jni.
// - Under -Xcheck:jni the machine counts the frame's live references itself
//   and prints "JNI local refs" once they exceed its capacity (16 here, plus
//   a margin of 32): the VM's own count, whatever its handle blocks become.
// The first test below shows that both see a leak.
struct Trace {
    bool adjacent;
    std::string printed;
};

Trace traceLocalReferences(
    int calls, const std::function<void()>& call, const std::function<void()>& cleanUp = [] {}) {
    JNIEnv* env = javaEnv;
    EXPECT_EQ(env->PushLocalFrame(16), 0);
    const jobject before = env->NewLocalRef(appClass);
    Captured out(STDOUT_FILENO);
    for (int i = 0; i < calls; ++i) {
        call();
    }
    const jobject after = env->NewLocalRef(appClass);
    Trace trace{reinterpret_cast<std::uintptr_t>(after) ==
                    reinterpret_cast<std::uintptr_t>(before) + sizeof(void*),
                out.finish()};
    cleanUp();
    env->PopLocalFrame(nullptr);
    return trace;
}

TEST_F(LocalReferences, TheMeasuresSeeALeakAndAFrameLeftOpen) {
    JNIEnv* env = javaEnv;
    const Trace clean = traceLocalReferences(100, [] { callToFront(); });
    EXPECT_TRUE(clean.adjacent);
    EXPECT_EQ(clean.printed, "") << head(clean.printed);

    const Trace leak = traceLocalReferences(100, [env] {
        callToFront();
        env->NewLocalRef(appClass);
    });
    EXPECT_FALSE(leak.adjacent);
    if (checkJni) {
        EXPECT_NE(leak.printed.find("JNI local refs"), std::string::npos) << head(leak.printed);
    }

    const Trace open = traceLocalReferences(
        1,
        [env] {
            env->PushLocalFrame(16);
            callToFront();
        },
        [env] { env->PopLocalFrame(nullptr); });
    EXPECT_FALSE(open.adjacent);
}

TEST_F(LocalReferences, StayFlatOverAHundredThousandToFrontCalls) {
    int failed = 0;
    const Trace trace = traceLocalReferences(100000, [&failed] { failed += callToFront() != 0; });
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(intField(appClass, "toFrontCalls"), 100000);
    EXPECT_TRUE(trace.adjacent) << "the calls left local references or a frame behind";
    EXPECT_EQ(trace.printed.find("JNI local refs"), std::string::npos) << head(trace.printed);
}

// A process of its own, since some end it: creates the machine the
// launcher's way ('.' first on the class path) with options from a file,
// prints the outcome and what the runtime printed, then calls main, or with
// an exit code System.exit as an application does.
int createWith(const char* exitCode, char** options, int count) {
    const std::vector<std::string> fromFiles(options, options + count);
    JavaLaunchOptions launch;
    composeLaunchOptions(
        launch, buildClassPathOption(".:" PELLIX_TEST_APP ":", PELLIX_TEST_JDK, ""),
        JNI_VERSION_1_4, {runtimeHooks(), fixedHeapBeside(fromFiles), "", fromFiles});
    RuntimeListener listener;
    listener.endInCreation = [](std::string_view printed, void*) {
        std::printf("%s: %.*s", outcomeName(JavaOutcome::EndedInCreation),
                    static_cast<int>(printed.size()), printed.data());
        std::fflush(stdout);
        _exit(1);
    };
    const JavaOutcome outcome =
        createJavaMachine(JNI_CreateJavaVM, launch, listener, true, &javaVM, &javaEnv);
    std::printf("%s: %s", outcomeName(outcome), printedInCreation().c_str());
    if (outcome == JavaOutcome::Created && std::strcmp(exitCode, "-") != 0) {
        jclass system = javaEnv->FindClass("java/lang/System");
        javaEnv->CallStaticVoidMethod(system, javaEnv->GetStaticMethodID(system, "exit", "(I)V"),
                                      std::atoi(exitCode));
    }
    commandLine = u"Pellix2.exe";
    return outcome != JavaOutcome::Created || callJavaMain(kMainClass) != 0 ? 5 : 0;
}

// The JDK of the build, and every other one here, by its own library.
std::set<std::filesystem::path> runtimesHere() {
    namespace fs = std::filesystem;
    std::set<fs::path> homes = {fs::canonical(PELLIX_TEST_JDK)};
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/usr/lib/jvm", error)) {
        if (fs::exists(entry.path() / "lib/server/libjvm.so", error)) {
            homes.insert(fs::canonical(entry.path(), error));
        }
    }
    return homes;
}

// The exit code of createWith in a child on home's runtime (the build's
// library by its run path, another one ahead of it), and what it printed.
int createOn(const std::string& home, const std::string& arguments, std::string* output) {
    const std::string command = "LD_LIBRARY_PATH='" + home + "/lib/server' '" +
                                std::filesystem::read_symlink("/proc/self/exe").string() +
                                "' --create-with " + arguments + " 2>/dev/null";
    std::FILE* child = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t n;
         child != nullptr && (n = std::fread(buffer, 1, sizeof buffer, child)) > 0;) {
        output->append(buffer, n);
    }
    const int status = child == nullptr ? -1 : pclose(child);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RuntimesWords, ReachTheLauncherAndAnApplicationsExitStaysSilent) {
    const struct {
        const char* arguments;
        int status;
        const char* outcome;
        const char* says;
    } cases[] = {
        {"- -Xmx16q", 5, "creation refused with", "Invalid maximum heap size: -Xmx16q"},
        // Reserving fails, and the runtime ends the process through abort.
        {"- -Xmx100000g", 1, "the runtime ended the process", "Could not reserve enough space"},
        // Newer runtimes print a warning on the fixed -Djava.compiler.
        {"3 -Xss2m", 3, "virtual machine created: ", ""},
    };
    for (const std::string home : runtimesHere()) {
        for (const auto& c : cases) {
            std::string output;
            const int status = createOn(home, c.arguments, &output);
            const std::string what = home + " " + c.arguments + ": " + head(output);
            EXPECT_EQ(status, c.status) << what;
            EXPECT_EQ(output.rfind(c.outcome, 0), 0u) << what;
            EXPECT_NE(output.find(c.says), std::string::npos) << what;
        }
    }
}

// The class-data cache's cycle with each runtime here, from ctest's working
// directory, which holds files: list, make, map (-Xshare:on fails a start
// that cannot), then archives cut, empty, another build's or runtime's, or
// missing, which must start as without.
TEST(ClassDataCycle, ListMakeUseAndStartDespiteBadArchives) {
    const std::string root = "/tmp/pellix cds " + std::to_string(getpid());
    unsetenv("DISPLAY");
    const auto text = [](const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    std::string foreign; // the archive of the runtime before
    for (const std::string jdk : runtimesHere()) {
        const std::string release = text(jdk + "/release"), folder = root + jdk, quote = "'";
        std::filesystem::create_directories(folder);
        char key[kCacheKeySize], list[kCachePathSize], archive[kCachePathSize], make[1024];
        cacheKey(key, jdk, releaseVersion(release), 0, 0);
        const CacheFacts facts = {"", release, false, true, nullptr, folder, key};
        CacheFolderState state = CacheFolderState::Free;
        const auto lookedAt = [](const CacheFacts&, void* given) {
            return *static_cast<CacheFolderState*>(given);
        };
        const CachePlan first = planCache(facts, lookedAt, &state);
        std::string output;
        EXPECT_EQ(createOn(jdk, "- '" + std::string(first.option) + quote, &output), 0) << output;
        EXPECT_NE(text(cacheFile(list, folder, key, kClassListSuffix)).find("javax/swing/JFrame"),
                  std::string::npos);
        archiveCommand(make, sizeof make, jdk + "/bin/java", list,
                       cacheFile(archive, folder, key, kArchiveSuffix), first.makeOptions);
        ASSERT_EQ(std::system(make), 0) << make;
        const std::string made = text(archive), cut = made.substr(0, made.size() / 2);
        ASSERT_TRUE(archiveLooksWhole(made, made.size())) << jdk;
        state = CacheFolderState::Ready;
        const std::string use = quote + planCache(facts, lookedAt, &state).option + quote;
        EXPECT_EQ(createOn(jdk, "- " + use + " -Xshare:on", &output), 0)
            << jdk << ": the archive was not mapped";
        std::string otherBuild = made;
        otherBuild[8] ^= 0x40; // the header's version
        for (const std::string& bad : {cut, std::string(), otherBuild, foreign, std::string("-")}) {
            std::ofstream(archive, std::ios::binary) << bad;
            std::filesystem::remove(bad == "-" ? archive : list); // missing
            EXPECT_EQ(createOn(jdk, "- " + use + " '-XX:DumpLoadedClassList=" + root + "/none/l'",
                               &output),
                      0)
                << jdk << ": an archive of " << bad.size() << " bytes";
        }
        foreign = made;
    }
    std::filesystem::remove_all(root);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string_view(argv[1]) == "--create-with") {
        return createWith(argv[2], argv + 3, argc - 3);
    }
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        checkJni = checkJni || std::string_view(argv[i]) == "--check-jni";
    }
    ::testing::AddGlobalTestEnvironment(new JavaMachine);
    return RUN_ALL_TESTS();
}
