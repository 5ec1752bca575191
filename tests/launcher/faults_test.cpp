// Faults from outside: a first instance that is killed, killed in the middle
// of a hand-over, or stuck creating its virtual machine. Later starts end as
// usual and nothing hangs.
#include "wine_test.h"

#include "tests/stand_in_jvm/stand_in_runtime.h"

using namespace winetest;
using namespace standin;

namespace {

std::string launcher;
const StandInFiles* files = nullptr;

std::string quotedLauncher() {
    return "\"" + launcher + "\"";
}

// A later start with arguments; returns its exit code and what it printed.
DWORD laterStart(const std::string& arguments, std::string& output, DWORD milliseconds = 20000) {
    return runCapturingOutput(quotedLauncher() + arguments, files->workDir, output, milliseconds);
}

void testKilledWhileIdle() {
    group = "killed while idle";
    files->configure("");
    {
        LauncherRun first(*files, launcher);
        first.launches("first instance");
        first.process.kill();
        ok(first.process.wait() != STILL_ACTIVE, "the first instance did not end");
    }
    // Its mutex went with it: the next start is a first instance again, and
    // serves later starts.
    LauncherRun next(*files, launcher);
    next.launches("after the kill");
    std::string output;
    ok(laterStart(" again.txt", output) == 1 && output.empty(),
       "a later start did not hand over: [%s]", output.c_str());
    ok(next.waitFor(invokeLine("openFiles", {"again.txt"})),
       "the new first instance does not serve");
}

void testKilledDuringHandOver() {
    group = "killed during a hand-over";
    files->configure("");
    LauncherRun first(*files, launcher);
    first.launches("first instance");
    suspendProcess(first.id());

    CapturedProcess later;
    ok(later.start(quotedLauncher() + " lost.txt", files->workDir),
       "set-up: cannot start a later start: %lu", GetLastError());
    ok(later.process.wait(1000) == STILL_ACTIVE,
       "the later start did not wait for the stopped instance");

    first.process.kill();
    const DWORD code = later.process.wait(20000);
    ok(code == 1, "the later start ended with %lu once the first was killed, expected 1", code);
    if (code == STILL_ACTIVE) {
        later.process.kill();
    }
    const std::string output = later.output();
    ok(output.rfind("Runtime reported exception 0x", 0) == 0,
       "the broken call was not reported: [%s]", output.c_str());
}

// Creation never returns; the messaging server, started before it, still
// answers, so later starts end at once and their lists wait in the queue.
void testCreationNeverReturns() {
    group = "creation never returns";
    files->configure("create_hang\n");
    LauncherRun first(*files, launcher);
    ok(first.waitFor("JNI_CreateJavaVM"), "creation did not begin");
    for (const char* arguments : {" one.txt", " two.txt", ""}) {
        std::string output;
        const DWORD startTime = GetTickCount();
        const DWORD code = laterStart(arguments, output, 10000);
        ok(code == 1 && output.empty(), "later start '%s' ended with %lu [%s]", arguments, code,
           output.c_str());
        ok(GetTickCount() - startTime < 5000, "later start '%s' took %lu ms", arguments,
           GetTickCount() - startTime);
    }
    ok(first.process.wait(0) == STILL_ACTIVE && first.count("INVOKE") == 0,
       "the stuck first instance ended or reached Java");
    files->configure("");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: faults_test PELLIX2.EXE JVM.DLL\n");
        return 2;
    }
    launcher = windowsPath(argv[1]);
    const StandInFiles standInFiles("pellix faults");
    files = &standInFiles;
    installStandInRuntime(standInFiles.root, windowsPath(argv[2]), "server");

    startDesktop();
    const UnmanagedWindows unmanaged;
    testKilledWhileIdle();
    testKilledDuringHandOver();
    testCreationNeverReturns();
    unregisterAll();
    return finish("faults_test");
}
