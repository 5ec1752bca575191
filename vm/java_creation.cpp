#include "java_creation.h"

#include <cstdarg>
#include <mutex>

#include "common/trace.h"

namespace {

// The runtime prints from any of its threads, also while another ends the
// process; the lock keeps the text and the line whole.
struct ListenerState {
    std::mutex lock;
    RuntimeListener listener;
    bool creating = false;
    std::string printed; // while creating
    std::string partLine;
};

ListenerState& listenerState() {
    // Never destroyed: the runtime may print while the process ends.
    static auto* state = new ListenerState;
    return *state;
}

void passLines(ListenerState& state, std::string_view text, bool whole) {
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
void runtimeEnds(const char* how, jint code) {
    ListenerState& state = listenerState();
    void (*endInCreation)(std::string_view, void*) = nullptr;
    void* context = nullptr;
    std::string printed;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        passLines(state, {}, true);
        if (state.creating) {
            endInCreation = state.listener.endInCreation;
            context = state.listener.context;
            printed = state.printed;
        }
        TRACE("runtime ends the process: %s %ld, %s", how, static_cast<long>(code),
              state.creating ? "while the machine is created" : "after its creation");
    }
    if (endInCreation != nullptr) {
        endInCreation(printed, context);
    }
}

jint JNICALL printHook(std::FILE* stream, const char* format, va_list args) {
    try {
        const std::string text = formatToString(format, args);
        ListenerState& state = listenerState();
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
    runtimeEnds("exit", code);
}

void JNICALL abortHook() {
    runtimeEnds("abort", 1);
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

Listening listeningFor(bool optionsFromFiles, bool traceOn) {
    return {optionsFromFiles || traceOn, optionsFromFiles};
}

JavaOutcome creationOutcome(jint created, jint versionReadBack, bool blameOptions) {
    if (created < 0) {
        return blameOptions ? JavaOutcome::OptionsRefused : JavaOutcome::CreationFailed;
    }
    return versionReadBack < kJniVersion14 ? JavaOutcome::VersionTooLow : JavaOutcome::Created;
}

JavaOutcome createJavaMachine(CreateJavaVMFn create, JavaLaunchOptions& launch,
                              const RuntimeListener& listener, bool blameOptions, JavaVM** vm,
                              JNIEnv** env) {
    ListenerState& state = listenerState();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        state.listener = listener;
        state.printed.clear();
        state.creating = true;
    }
    const jint version = launch.initArgs.version;
    const jint created = create(vm, reinterpret_cast<void**>(env), &launch.initArgs);
    {
        std::lock_guard<std::mutex> guard(state.lock);
        state.creating = false;
        passLines(state, {}, true);
    }
    TRACE("JNI_CreateJavaVM with version 0x%08lx: %ld, version read back 0x%08lx",
          static_cast<unsigned long>(version), static_cast<long>(created),
          static_cast<unsigned long>(launch.initArgs.version));
    return creationOutcome(created, launch.initArgs.version, blameOptions);
}

std::string printedInCreation() {
    ListenerState& state = listenerState();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.printed;
}
