// startApplication: one instance per logon session. The first start runs the
// Java application and then watches for signals from later starts; a later
// start hands its arguments over and signals.
#include "launch_driver.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "arguments.h"
#include "common/trace.h"
#include "common/unique_handle_win.h"
#include "java_calls/java_calls.h"
#include "launcher.h"
#include "outcome/java_outcome.h"
#include "pending_files.h"
#include "prompt/java_prompt.h"
#include "rpc/remote_calls.h"
#include "sender_folder.h"

namespace {

constexpr const char* kSignalEventName = "SignalAnother";

// The instance mutex and the event, deliberately never closed: the mutex's
// existence is what tells a later start that this one runs, and the system
// closes both at exit.
struct InstanceLock {
    DWORD creationError = 0;
    HANDLE mutex = nullptr;
    HANDLE event = nullptr;
};

InstanceLock instanceLock;

// Lets whichever process the user starts next bring its window to the front,
// so that the running application may raise itself when a later start signals.
void grantForeground() {
    const UniqueModule user32(LoadLibraryA("user32.dll"));
    if (!user32) {
        return;
    }
    using AllowSetForegroundWindowFn = BOOL(WINAPI*)(DWORD);
    auto allow = reinterpret_cast<AllowSetForegroundWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(user32.get(), "AllowSetForegroundWindow")));
    if (allow != nullptr) {
        allow(ASFW_ANY);
    }
}

void takeInstanceLock(const char* mutexName) {
    instanceLock.mutex = CreateMutexA(nullptr, FALSE, mutexName);
    instanceLock.creationError = GetLastError();
    instanceLock.event = CreateEventA(nullptr, TRUE, TRUE, kSignalEventName);
    const DWORD eventError = GetLastError();
    if (instanceLock.event != nullptr) {
        ResetEvent(instanceLock.event);
    }
    const bool later = instanceLock.creationError == ERROR_ALREADY_EXISTS;
    TRACE("instance mutex: %s, creation status %lu: %s; event %s, status %lu",
          instanceLock.mutex != nullptr ? "held" : "none",
          static_cast<unsigned long>(instanceLock.creationError),
          later ? "a later start" : "the first instance",
          instanceLock.event != nullptr ? "held" : "none", static_cast<unsigned long>(eventError));
}

// Whether an argument names an existing file or folder relative to this
// start's working directory: only then need the first instance know it.
// Explorer passes full paths; a command prompt passes what the user typed.
bool namesRelativeFiles(const WideArgList& args) {
    for (int32_t i = 0; i < args.count; ++i) {
        if (isRelativeName(args.entries[i]) && GetFileAttributesW(reinterpret_cast<const wchar_t*>(
                                                   args.entries[i])) != INVALID_FILE_ATTRIBUTES) {
            return true;
        }
    }
    return false;
}

// The arguments go over as UTF-16, which keeps every file name whole. The
// narrow text, made as earlier launchers make it, is for a first instance
// of such a launcher, which takes nothing else.
int32_t forwardToFirstInstance(const std::u16string& workingFolder) {
    WideArgList args;
    parseCommandLine(args);
    int32_t result = 0;
    if (args.count != 0) {
        char16_t text[kJoinedSize];
        joinArguments(args, text);
        ArgList narrowArgs;
        parseCommandLine(narrowArgs);
        char narrowText[kJoinedSize];
        joinArguments(narrowArgs, narrowText);
        result = sendToFirstInstance(text, narrowArgs.count != 0 ? narrowText : nullptr,
                                     folderToSend(namesRelativeFiles(args), workingFolder));
    }
    // Signalled whatever the send gave: the first instance comes to the front
    // even when the arguments were lost.
    if (instanceLock.event != nullptr) {
        SetEvent(instanceLock.event);
    }
    return result;
}

[[noreturn]] void blockForever() {
    for (;;) {
        Sleep(INFINITE);
    }
}

void openPendingFiles() {
    for (const PendingList& list : takePendingFiles()) {
        const int32_t opened = callOpenFiles(list);
        TRACE("openFiles with %ld entries: %ld",
              static_cast<long>(list.wide != nullptr     ? list.wide->count
                                : list.narrow != nullptr ? list.narrow->count
                                                         : 0),
              static_cast<long>(opened));
    }
}

// Wakes on every signal from a later start. Without an event, or once a wait
// fails, there will never be a signal again: block rather than spin.
[[noreturn]] void watchForSignals() {
    if (instanceLock.event == nullptr) {
        blockForever();
    }
    for (;;) {
        if (WaitForSingleObject(instanceLock.event, INFINITE) != WAIT_OBJECT_0) {
            blockForever();
        }
        ResetEvent(instanceLock.event);
        const int32_t toFront = callToFront();
        TRACE("signal served: toFront %ld", static_cast<long>(toFront));
        openPendingFiles();
    }
}

// The one place where a failed launch becomes what the user sees.
FailureReport report(const JavaLaunchResult& launched) {
    const FailureReport report = reportFor(launched.outcome);
    const char* const shown[] = {"watching for later starts", "missing-Java dialog", "silent end",
                                 "options refusal window"};
    TRACE("launch: %s, %s", outcomeName(launched.outcome), shown[static_cast<int>(report)]);
    switch (report) {
    case FailureReport::GoOn:
    case FailureReport::SilentEnd:
        break;
    case FailureReport::MissingJavaDialog:
        showJavaPrompt(javaPromptInfo);
        break;
    case FailureReport::OptionsRefusal:
        MessageBoxW(nullptr,
                    reinterpret_cast<const wchar_t*>(
                        optionsRefusalText(launched.optionsFiles, launched.printed).c_str()),
                    javaPromptInfo.title, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
        break;
    }
    return report;
}

void reportEndInCreation(const JavaLaunchResult& ended) {
    report(ended);
}

} // namespace

int32_t startApplicationIn(const LaunchPlaces& places, const char* mutexName, const char* classPath,
                           const char* mainClass, const char* laterCallsClass,
                           int32_t extraJarMode) {
    grantForeground();
    // A name that does not fit is not cut: a cut name would name another
    // class. The earlier name is kept instead.
    if (laterCallsClass != nullptr && std::strlen(laterCallsClass) < sizeof mainClassName) {
        std::strcpy(mainClassName, laterCallsClass);
    }
    takeInstanceLock(mutexName);
    if (instanceLock.creationError == ERROR_ALREADY_EXISTS) {
        return forwardToFirstInstance(places.workingFolder);
    }

    // Listening before Java starts keeps the arguments of a start that
    // arrives while the virtual machine is being created. Without the server
    // the launch goes on: later starts still bring it to the front.
    const int32_t serving = startRemoteCallsServer(places.workingFolder);
    TRACE("messaging server: %ld", static_cast<long>(serving));
    // An ending inside the creation is reported from within the runtime's
    // hook, which then ends the process.
    const JavaLaunchResult launched =
        launchJava(places.java, classPath, mainClass, extraJarMode, reportEndInCreation);
    if (report(launched) == FailureReport::GoOn) {
        watchForSignals();
    }
    return kJavaUnreachable;
}
