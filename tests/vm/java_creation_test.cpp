#include "vm/java_creation.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <vector>

namespace {

// Only the options files' options can make the runtime refuse: with the
// trace on and no file, a refused creation still asks for Java.
TEST(Listening, HooksForTheFilesOrTheTraceAndOnlyTheFilesToBlame) {
    const struct {
        bool files, trace, hooks;
        jint created, versionBack;
        JavaOutcome outcome;
    } cases[] = {
        {false, false, false, -1, kJniVersion14, JavaOutcome::CreationFailed},
        {false, true, true, -1, kJniVersion14, JavaOutcome::CreationFailed},
        {true, false, true, -6, kJniVersion14, JavaOutcome::OptionsRefused},
        {true, true, true, 0, kJniVersion12, JavaOutcome::VersionTooLow},
        {false, false, false, 0, 0x00010008, JavaOutcome::Created},
    };
    for (const auto& c : cases) {
        const Listening listening = listeningFor(c.files, c.trace);
        EXPECT_EQ(listening.hooks, c.hooks) << c.files << c.trace;
        EXPECT_EQ(creationOutcome(c.created, c.versionBack, listening.blameOptions), c.outcome)
            << c.files << c.trace;
    }
}

std::vector<std::string> heard;

jint print(const JavaVMInitArgs& args, const char* format, ...) {
    const auto hook =
        reinterpret_cast<jint(JNICALL*)(FILE*, const char*, va_list)>(args.options[0].extraInfo);
    va_list list;
    va_start(list, format);
    const jint printed = hook(stderr, format, list);
    va_end(list);
    return printed;
}

// A runtime that prints as a refused one does, in pieces and with CR LF, then
// at length, and refuses.
jint JNICALL refuse(JavaVM**, void**, void* raw) {
    const auto& args = *static_cast<JavaVMInitArgs*>(raw);
    print(args, "Invalid maximum heap size: %s\r\nError: ", "-Xmx16q");
    print(args, "no VM\nCould not create");
    print(args, "%s", std::string(5000, 'x').c_str());
    return -6;
}

// The trace takes each whole line, the last one too; the window takes the
// first 4096 bytes.
TEST(RuntimesWords, ComeAsWholeLinesAndTheWindowsTextIsCut) {
    JavaLaunchOptions launch;
    composeLaunchOptions(launch, "-Dcp", kJniVersion14, {runtimeHooks(), {}, "", {}});
    RuntimeListener listener;
    listener.line = [](std::string_view line) { heard.emplace_back(line); };
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    EXPECT_EQ(createJavaMachine(refuse, launch, listener, true, &vm, &env),
              JavaOutcome::OptionsRefused);
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0], "Invalid maximum heap size: -Xmx16q");
    EXPECT_EQ(heard[1], "Error: no VM");
    EXPECT_EQ(heard[2], "Could not create" + std::string(5000, 'x'));
    const std::string printed = printedInCreation();
    EXPECT_EQ(printed.size(), 4096u);
    EXPECT_EQ(printed.substr(0, 36), "Invalid maximum heap size: -Xmx16q\r\n");
}

} // namespace
