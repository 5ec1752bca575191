#include "java_creation.h"

#include <cstdarg>
#include <mutex>

#include "common/trace.h"
#include "java_calls/java_calls.h"

namespace {

constexpr jint kJniVersion14 = 0x00010004;

// The runtime prints from any of its threads, also while another ends the
// process; the lock keeps the text and the line whole.
struct Listening {
    std::mutex lock;
    RuntimeListener listener;
    bool creating = false;
    std::string printed; // while creating
    std::string partLine;
};

Listening& listening() {
    // Never destroyed: the runtime may print while the process ends.
    static auto* state = new Listening;
    return *state;
}

void passLines(Listening& state, std::string_view text, bool whole) {
    state.partLine += text;
    std::size_t start = 0;
    for (std::size_t end; (end = state.partLine.find('\n', start)) != std::string::npos;
         start = end + 1) {
        std::string_view line(state.partLine.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (state.listener.line != nullptr) {
            state.listener.line(line);
        }
    }
    state.partLine.erase(0, start);
    if (whole && !state.partLine.empty()) {
        if (state.listener.line != nullptr) {
            state.listener.line(state.partLine);
        }
        state.partLine.clear();
    }
}

// Outside the creation, the hooks only listen: the runtime then goes on as
// without them, and an application's System.exit ends the process with its
// code.
void ended(const char* how, jint code) {
    Listening& state = listening();
    void (*endedInCreation)(JavaOutcome) = nullptr;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        passLines(state, {}, true);
        endedInCreation = state.creating ? state.listener.endedInCreation : nullptr;
        TRACE("runtime ends the process: %s %ld, %s", how, static_cast<long>(code),
              state.creating ? "while the machine is created" : "after its creation");
    }
    if (endedInCreation != nullptr) {
        endedInCreation(JavaOutcome::EndedInCreation);
    }
}

jint JNICALL printHook(std::FILE* stream, const char* format, va_list args) {
    try {
        const std::string text = formatToString(format, args);
        Listening& state = listening();
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.listener.forward != nullptr) {
            state.listener.forward(stream, text);
        }
        if (state.creating && state.printed.size() < kPrintedLimit) {
            state.printed.append(text, 0, kPrintedLimit - state.printed.size());
        }
        passLines(state, text, false);
        return static_cast<jint>(text.size());
    } catch (...) {
        return -1; // out of memory; nothing may escape into the runtime
    }
}

void JNICALL exitHook(jint code) {
    ended("exit", code);
}

void JNICALL abortHook() {
    ended("abort", 1);
}

// The runtime compares the names and never writes them.
char kPrintName[] = "vfprintf";
char kExitName[] = "exit";
char kAbortName[] = "abort";

} // namespace

std::vector<JavaVMOption> runtimeHooks() {
    return {{kPrintName, reinterpret_cast<void*>(&printHook)},
            {kExitName, reinterpret_cast<void*>(&exitHook)},
            {kAbortName, reinterpret_cast<void*>(&abortHook)}};
}

JavaOutcome createJavaMachine(CreateJavaVMFn create, JavaLaunchOptions& launch,
                              const RuntimeListener& listener) {
    Listening& state = listening();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        state.listener = listener;
        state.printed.clear();
        state.creating = true;
    }
    const jint version = launch.initArgs.version;
    const jint created = create(&javaVM, reinterpret_cast<void**>(&javaEnv), &launch.initArgs);
    {
        std::lock_guard<std::mutex> guard(state.lock);
        state.creating = false;
        passLines(state, {}, true);
    }
    TRACE("JNI_CreateJavaVM with version 0x%08lx: %ld, version read back 0x%08lx",
          static_cast<unsigned long>(version), static_cast<long>(created),
          static_cast<unsigned long>(launch.initArgs.version));
    if (created < 0) {
        return listener.endedInCreation != nullptr ? JavaOutcome::OptionsRefused
                                                   : JavaOutcome::CreationFailed;
    }
    // The version is read back: a runtime that was asked for 1.2 does not
    // pass, whatever it answered.
    if (launch.initArgs.version < kJniVersion14) {
        return JavaOutcome::VersionTooLow;
    }
    return JavaOutcome::Created;
}

std::string printedInCreation() {
    Listening& state = listening();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.printed;
}
