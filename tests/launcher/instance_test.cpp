// One instance per logon session: the instance mutex and the event
// "SignalAnother", observed from outside through the real executable.
#include "wine_test.h"

using namespace winetest;

namespace {

const char* const kMutexName = "Norvane Pellix 1234432101233210";
const char* const kEventName = "SignalAnother";

std::string launcher;
std::string workDir;

bool isSignalled(HANDLE event) {
    return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

// Other programs reach the launcher by these two names, undecorated.
void testExports() {
    group = "exports";
    const UniqueModule image(
        LoadLibraryExA(launcher.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
    ok(image != nullptr, "set-up: cannot map %s: %lu", launcher.c_str(), GetLastError());
    for (const char* name : {"startApplication", "callJavaMethod"}) {
        ok(image && GetProcAddress(image.get(), name) != nullptr, "%s is not exported", name);
    }
    // The DPI awareness, as the runtime's javaw.exe declares it. Wine 8 reports
    // every process as aware whatever it declares: only the declaration is seen.
    const HRSRC found = FindResourceA(image.get(), MAKEINTRESOURCEA(1), RT_MANIFEST);
    const std::string manifest(
        found ? static_cast<const char*>(LockResource(LoadResource(image.get(), found))) : "",
        found ? SizeofResource(image.get(), found) : 0);
    for (const char* element :
         {R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/PM<)",
          R"(<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">)"
          "PerMonitorV2, PerMonitor, system<"}) {
        const std::size_t at = manifest.find(element);
        ok(at != std::string::npos && at > manifest.find("<asmv3:windowsSettings>"),
           "the manifest lacks %s in asmv3:windowsSettings", element);
    }
}

void testSecondStart(HANDLE event) {
    group = "second start";
    SetLastError(0xdeadbeef);
    const UniqueHandle mutex(CreateMutexA(nullptr, FALSE, kMutexName));
    ok(mutex && GetLastError() == 0, "set-up: could not create the mutex (%lu)", GetLastError());

    // Nobody serves the messaging interface: a start with arguments waits a
    // few seconds for a first instance that is still starting, then reports
    // the failed call on its standard output, and signals all the same.
    for (const char* arguments : {"", " a b", " x|y"}) {
        ResetEvent(event);
        std::string output;
        const DWORD startTime = GetTickCount();
        DWORD code = runCapturingOutput("\"" + launcher + "\"" + arguments, workDir, output);
        ok(GetTickCount() - startTime < 10000, "arguments '%s': gave up only after %lu ms",
           arguments, GetTickCount() - startTime);
        ok(code == 1, "arguments '%s': exit code %lu, expected 1", arguments, code);
        ok(isSignalled(event), "arguments '%s': SignalAnother not set", arguments);
        const bool sends = arguments[0] != '\0';
        ok((output.rfind("Runtime reported exception 0x", 0) == 0) == sends,
           "arguments '%s': output [%s]", arguments, output.c_str());
    }

    // A first instance that has hung, its pipe taking the call and never
    // answering: the start gives up on it 14 s after its first call, as on
    // any failed call; its own start and end add up to 7 s under load.
    const UniqueHandle pipe(fileHandle(
        CreateNamedPipeA("\\\\.\\pipe\\quennRemoteCalls", PIPE_ACCESS_DUPLEX,
                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 4096, 4096, 0, nullptr)));
    ResetEvent(event);
    CapturedProcess later;
    const DWORD startTime = GetTickCount();
    later.start("\"" + launcher + "\" a b", workDir);
    const DWORD code = later.process.wait(30000);
    const DWORD spent = GetTickCount() - startTime;
    later.process.kill();
    const std::string output = later.output();
    ok(pipe && spent >= 14000 && spent < 30000 && code == 1 && isSignalled(event) &&
           output.rfind("Runtime reported exception 0x", 0) == 0,
       "no answer: ended after %lu ms with %lu, the event %s, output [%s]", spent, code,
       isSignalled(event) ? "set" : "not set", output.c_str());
}

// Without a registered Java runtime the first-instance path ends in the
// missing-Java dialog, which is how it is told apart from the second.
void testFirstStart(HANDLE event) {
    group = "first start";
    SetEvent(event);
    Process first;
    ok(start(first, "\"" + launcher + "\"", workDir), "start failed: %lu", GetLastError());
    HWND dialog = findDialog(first.id());
    ok(dialog != nullptr, "the first instance shows no missing-Java dialog");
    ok(!isSignalled(event), "SignalAnother was not reset at start");

    // While it runs, it holds the instance lock.
    // Closed at once: held by the test, it would outlive the first instance.
    ok(UniqueHandle(OpenMutexA(SYNCHRONIZE, FALSE, kMutexName)) != nullptr,
       "the first instance holds no mutex named \"%s\"", kMutexName);
    Process second;
    start(second, "\"" + launcher + "\" file.txt", workDir);
    ok(second.wait() == 1, "a second start beside the first did not end with 1");
    ok(isSignalled(event), "the second start did not set SignalAnother");

    if (dialog != nullptr) {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
    DWORD code = first.wait();
    ok(code == 1, "failed launch: exit code %lu, expected 1", code);
    if (code == STILL_ACTIVE) {
        first.kill();
    }

    // The lock went with the process: the next start is a first one again.
    ResetEvent(event);
    Process again;
    start(again, "\"" + launcher + "\"", workDir);
    dialog = findDialog(again.id());
    ok(dialog != nullptr, "a start after the first ended is not a first instance");
    if (dialog != nullptr) {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
    ok(again.wait() == 1, "second first instance did not end with 1");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: instance_test PELLIX2.EXE\n");
        return 2;
    }
    launcher = windowsPath(argv[1]);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    workDir = std::string(temp) + "pellix-instance-test";
    CreateDirectoryA(workDir.c_str(), nullptr);

    const UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, kEventName));
    ok(event != nullptr, "set-up: could not create the event (%lu)", GetLastError());

    testExports();
    testSecondStart(event.get());
    testFirstStart(event.get());
    return finish("instance_test");
}
