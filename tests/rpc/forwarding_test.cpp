// A later start's arguments reach the running application: the real
// executable as first and as later instances, the stand-in runtime recording
// what openFiles receives.
#include "wine_test.h"

#include <psapi.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "rpc/remote_calls_stubs_win.h"
#include "tests/rpc/raw_client.h"
#include "tests/launcher/taken_lists.h"
#include "tests/stand_in_jvm/stand_in_runtime.h"

using namespace winetest;
using namespace standin;

namespace {

using Strings = std::vector<std::string>;

std::string launcher;
const StandInFiles* files = nullptr;

// What two bursts of 100 later starts may add to the first instance's
// private memory once the first burst has passed. Wine's own heaps have
// grown by up to 440 KB here on a loaded machine; one leaked argument list
// (10 KB narrow, 20 KB wide) per start would add 2 MB over the 200 starts.
constexpr SIZE_T kBurstMemoryBound = 1024 * 1024;

std::string quotedLauncher() {
    return "\"" + launcher + "\"";
}

// A later start: it hands its arguments over and ends with 1, saying nothing
// on its standard output when the call went through.
bool forward(const std::string& arguments, const char* what, const std::string& directory = "") {
    std::string output;
    const DWORD code = runCapturingOutput(quotedLauncher() + arguments,
                                          directory.empty() ? files->workDir : directory, output);
    ok(code == 1, "%s: later start ended with %lu, expected 1", what, code);
    return ok(output.empty(), "%s: later start reported [%s]", what, output.c_str());
}

// The same, started with a UTF-16 command line through CreateProcessW.
bool forward(const std::wstring& arguments, const char* what) {
    std::string output;
    const DWORD code =
        runCapturingOutput(widen(quotedLauncher()) + arguments, files->workDir, output);
    ok(code == 1, "%s: later start ended with %lu, expected 1", what, code);
    return ok(output.empty(), "%s: later start reported [%s]", what, output.c_str());
}

// The watcher's signal, as a later start gives it.
bool signal() {
    const UniqueHandle event(OpenEventA(EVENT_MODIFY_STATE, FALSE, "SignalAnother"));
    return event && SetEvent(event.get());
}

// What a text of this process's code page becomes in Java's modified UTF-8,
// for the characters that the launcher forwards (no U+0000).
std::string inJava(const std::string& systemText) {
    const int length = MultiByteToWideChar(CP_ACP, 0, systemText.data(),
                                           static_cast<int>(systemText.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, systemText.data(), static_cast<int>(systemText.size()),
                        wide.data(), length);
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

void testForwarding() {
    group = "forwarding";
    files->configure("");
    LauncherRun first(*files, launcher);
    first.launches("first instance");
    const std::string toFront = invokePrefix("toFront");
    const std::string openFiles = invokePrefix("openFiles");

    // No arguments: no call at all, and the application only comes forward.
    forward("", "no arguments");
    ok(first.waitFor(toFront, 1), "no arguments: no toFront");
    Sleep(200);
    ok(first.count(openFiles) == 0, "no arguments: openFiles was called");

    const std::string longest(511, 'k');
    const std::string tooLong(512, 'x');
    std::string twentyOne;
    Strings firstTwenty;
    for (int i = 1; i <= 21; ++i) {
        twentyOne += " f" + std::to_string(i);
        if (i <= 20) {
            firstTwenty.push_back("f" + std::to_string(i));
        }
    }
    const struct {
        const char* what;
        std::string arguments;
        Strings expected;
    } cases[] = {
        {"a b", " a b", {"a", "b"}},
        {"a bar inside an argument", " x|y", {"x", "y"}},
        {"511 and 512 characters", " " + longest + " " + tooLong + " z", {longest, "z"}},
        {"21 arguments", twentyOne, firstTwenty},
        {"non-ASCII", " caf\xE9.txt \x80\xA9", {inJava("caf\xE9.txt"), inJava("\x80\xA9")}},
        {"a path with quotes", " \"C:\\My", {"\"C:\\My"}},
    };
    std::size_t signals = 1;
    for (const auto& c : cases) {
        forward(c.arguments, c.what);
        ++signals;
        ok(first.waitFor(toFront, signals), "%s: no toFront", c.what);
        ok(first.waitFor(invokeLine("openFiles", c.expected)),
           "%s: openFiles did not get %zu strings", c.what, c.expected.size());
    }
    // From a document's folder, the names that exist there arrive as their
    // full paths; an option, a file still to be made and an absolute name
    // as given.
    const std::string docs = files->root + "\\docs";
    makeDirectories(docs + "\\sub");
    ok(writeFile(docs + "\\notes.tav", "") && writeFile(docs + "\\sub\\deep.tav", ""),
       "set-up: no documents");
    forward(" notes.tav sub\\deep.tav -x new.tav sub\\..\\notes.tav C:\\abs.tav", "another folder",
            docs);
    ok(first.waitFor(invokeLine("openFiles", {docs + "\\notes.tav", docs + "\\sub\\deep.tav", "-x",
                                              "new.tav", docs + "\\notes.tav", "C:\\abs.tav"})),
       "another folder: the names did not arrive as the files they name");
    Sleep(200);
    ok(first.count(openFiles) == std::size(cases) + 1, "not one openFiles per later start");
    // Each wake-up brings the application forward before it opens anything.
    const Lines log = first.log();
    bool ordered = true;
    for (std::size_t i = 1; i < log.size(); ++i) {
        if (startsWith(log[i], openFiles)) {
            std::size_t j = i;
            while (j > 0 && !startsWith(log[j - 1], "INVOKE")) {
                --j;
            }
            ordered = ordered && j > 0 &&
                      (startsWith(log[j - 1], toFront) || startsWith(log[j - 1], openFiles));
        }
    }
    ok(ordered, "openFiles before toFront");
}

// Later starts with UTF-16 command lines, as the shell starts a program for
// a document: openFiles receives every name as the same UTF-16.
void testUnicodeForwarding() {
    group = "forwarding in UTF-16";
    files->configure("");
    LauncherRun first(*files, launcher);
    first.launches("first instance");

    const std::vector<UnicodeCase> cases = unicodeCases();
    for (const UnicodeCase& c : cases) {
        forward(c.arguments, c.what.c_str());
        ok(first.waitFor(invokeLine("openFiles", c.inJava)),
           "%s: openFiles did not get the %zu names as their UTF-16", c.what.c_str(),
           c.inJava.size());
    }
    Sleep(200);
    ok(first.count(invokePrefix("openFiles")) == cases.size(), "not one openFiles per later start");

    // A later start of a launcher from before operation 1 calls operation 0
    // alone, with its code page's text; the list waits for its signal.
    ok(sendRaw("old-style.txt|caf\xE9|") == 0, "operation 0 was refused");
    ok(signal(), "set-up: no signal");
    ok(first.waitFor(invokeLine("openFiles", {"old-style.txt", inJava("caf\xE9")})),
       "an older later start's list did not reach openFiles");
}

// Started while the first instance is still creating its virtual machine:
// the arguments wait in the queue and the signal stays set.
void testDuringCreation() {
    group = "timing";
    // Longer than a later start takes under load: Wine took up to 6 s.
    files->configure("create_delay_ms 8000\n");
    LauncherRun first(*files, launcher);
    ok(first.waitFor("JNI_CreateJavaVM"), "creation did not begin");
    forward(" early.txt", "during creation");
    ok(first.count("INVOKE") == 0, "during creation: Java was called before it existed");
    first.launches("slow creation");
    ok(first.waitFor(invokeLine("openFiles", {"early.txt"})),
       "during creation: the arguments were lost");
    ok(first.waitFor(invokePrefix("toFront")), "during creation: no toFront");
    files->configure("");
}

// One later start among many, its standard output going to a pipe of its
// own.
struct LaterStart {
    CapturedProcess run;
    DWORD startError = 0;
    DWORD code = STILL_ACTIVE;
    std::string printed;
};

using LaterStarts = std::vector<std::unique_ptr<LaterStart>>;

bool startCapturing(LaterStart& s, const std::string& name) {
    const bool started = s.run.start(quotedLauncher() + " " + name, files->workDir);
    s.startError = started ? 0 : GetLastError();
    return started;
}

// One later start per name, each started before any is waited for, as a
// user's many double-clicks are.
LaterStarts startAll(const Strings& names) {
    LaterStarts starts;
    for (const auto& name : names) {
        starts.push_back(std::make_unique<LaterStart>());
        LaterStart& s = *starts.back();
        // Wine, under load, now and then fails to create a process: the new
        // process cannot map its shared user data at 0x7ffe0000 (c0000018)
        // and ends before any of its code runs, and CreateProcess reports
        // ERROR_INTERNAL_ERROR. The launcher never ran, as if the user's
        // double-click had been lost; it is started again, and said so.
        for (int attempt = 1; !startCapturing(s, name) && onWine() &&
                              s.startError == ERROR_INTERNAL_ERROR && attempt < 3;
             ++attempt) {
            std::printf("forwarding_test: Wine could not create the start of %s (error %lu); "
                        "started again\n",
                        name.c_str(), s.startError);
        }
    }
    return starts;
}

// Waits for every start within one deadline. One that has not ended by then
// is ended, so that its pipe gives up what it printed.
void finishAll(const LaterStarts& starts, DWORD milliseconds) {
    const DWORD startTime = GetTickCount();
    for (const auto& s : starts) {
        const Process& process = s->run.process;
        if (!process.started()) {
            continue;
        }
        const DWORD spent = GetTickCount() - startTime;
        s->code = process.wait(spent < milliseconds ? milliseconds - spent : 0);
        if (s->code == STILL_ACTIVE) {
            process.kill();
            process.wait();
        }
        s->printed = s->run.output();
        while (!s->printed.empty() && (s->printed.back() == '\n' || s->printed.back() == '\r')) {
            s->printed.pop_back();
        }
    }
}

std::string howItEnded(const LaterStart& s) {
    char text[64];
    if (!s.run.process.started()) {
        std::snprintf(text, sizeof text, "was not started (error %lu)", s.startError);
    } else if (s.code == STILL_ACTIVE) {
        std::snprintf(text, sizeof text, "did not end in time");
    } else {
        std::snprintf(text, sizeof text, "ended with %lu (0x%lx)", s.code, s.code);
    }
    return text;
}

// Starts one later start per name at once. Each ends with 1 and says
// nothing, and its list reaches openFiles exactly once; of each that does
// not, the report says how it ended, what it printed (the exception line
// names the runtime's code) and whether its list was lost or came twice.
void handOverAll(const LauncherRun& first, const Strings& names, const char* what,
                 DWORD stalledMilliseconds = 0) {
    if (stalledMilliseconds != 0) {
        suspendProcess(first.id());
    }
    const LaterStarts starts = startAll(names);
    if (stalledMilliseconds != 0) {
        Sleep(stalledMilliseconds);
        suspendProcess(first.id(), false);
    }
    finishAll(starts, 60000);

    // A start that ended with 1 has had its list queued; the signals of the
    // last ones fetch it.
    std::size_t handedOver = 0;
    for (const auto& s : starts) {
        handedOver += s->code == 1 && s->printed.empty();
    }
    waitForLines(files->logFile, invokePrefix("openFiles") + "1 \"" + what, handedOver);
    Sleep(200);
    const Lines log = first.log();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const LaterStart& s = *starts[i];
        const std::size_t arrived = countLines(log, invokeLine("openFiles", {names[i]}));
        ok(s.code == 1 && s.printed.empty() && arrived == 1,
           "%s: start %zu %s, printed [%s], its list arrived %zu times", what, i,
           howItEnded(s).c_str(), s.printed.c_str(), arrived);
    }
}

Strings fileNames(const char* prefix, int count) {
    Strings names;
    for (int i = 0; i < count; ++i) {
        names.push_back(prefix + std::to_string(i) + ".txt");
    }
    return names;
}

// Private memory. PagefileUsage: Windows documents it as the same figure,
// and Wine leaves PrivateUsage at 0.
SIZE_T privateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return counters.PagefileUsage;
}

// The private memory of the first instance once the runtime's threads that
// served a burst have ended, and their stacks with them: Wine keeps an idle
// worker of its thread pool for 5 s, with about 1 MB each.
SIZE_T settledPrivateBytes(const LauncherRun& first, int idleThreads) {
    for (int i = 0; i < 150 && threadCount(first.id()) > idleThreads; ++i) {
        Sleep(100);
    }
    return privateBytes(first.process.handle());
}

// Later starts in quick succession, all at once, and while the first
// instance answers nothing: every list arrives exactly once, and the first
// instance stays as it was.
void testManyStarts() {
    group = "many starts";
    files->configure("");
    LauncherRun first(*files, launcher);
    first.launches("first instance");
    const int idleThreads = threadCount(first.id());

    Process one;
    Process two;
    start(one, quotedLauncher() + " one.txt", files->workDir);
    start(two, quotedLauncher() + " two.txt", files->workDir);
    ok(one.wait() == 1 && two.wait() == 1, "two quick starts did not end with 1");
    ok(first.waitFor(invokeLine("openFiles", {"one.txt"})) &&
           first.waitFor(invokeLine("openFiles", {"two.txt"})),
       "two quick starts: a list was lost");

    // The first burst takes the runtime's and the heaps' first growth; the
    // next two must add next to nothing.
    constexpr int kStarts = 100;
    handOverAll(first, fileNames("burst1-", kStarts), "burst1-");
    const SIZE_T afterFirst = settledPrivateBytes(first, idleThreads);
    handOverAll(first, fileNames("burst2-", kStarts), "burst2-");
    handOverAll(first, fileNames("burst3-", kStarts), "burst3-");
    const SIZE_T afterThird = settledPrivateBytes(first, idleThreads);
    std::printf("forwarding_test: private memory after one burst %zu, after three %zu bytes\n",
                static_cast<std::size_t>(afterFirst), static_cast<std::size_t>(afterThird));
    ok(afterFirst > 0 && afterThird < afterFirst + kBurstMemoryBound,
       "private memory grew from %zu to %zu bytes over two more bursts",
       static_cast<std::size_t>(afterFirst), static_cast<std::size_t>(afterThird));

    // Longer than the runtime waits for a free instance of the pipe (Wine:
    // the pipe's default time-out of 5 s): the starts that found it busy
    // call again, and none of their lists is lost.
    handOverAll(first, fileNames("stalled-", 3), "stalled-", 8000);
    ok(first.process.wait(0) == STILL_ACTIVE, "the first instance did not survive");
}

// Where a start was when the test gave up on it: the last line it wrote to
// the trace, or, where it wrote none, that Wine never ran its code.
std::string lastTraceLine(const std::string& trace, DWORD processId) {
    std::string last;
    for (const std::string& line : readLog(trace)) {
        last = line.find(" " + std::to_string(processId) + " ") == line.find(' ') ? line : last;
    }
    return last.empty() ? "nothing: Wine's process start, not the launcher"
                        : "[" + last.substr(0, last.find('\r')) + "]";
}

// Several documents opened at once with no instance running, as Explorer
// starts one process for each: one start becomes the first instance and
// runs main with its own list, and every other list reaches openFiles
// exactly once, however the starts interleave with its start-up.
void testColdBursts() {
    group = "cold bursts";
    files->configure("");
    const std::string trace = files->root + "\\cold bursts.trace";
    SetEnvironmentVariableA("PELLIX_TRACE", trace.c_str());
    for (int round = 0; round < 20; ++round) {
        DeleteFileA(files->logFile.c_str());
        DeleteFileA(trace.c_str());
        const Strings names = fileNames(("cold" + std::to_string(round) + "-").c_str(), 8);
        std::vector<Process> starts(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            start(starts[i], quotedLauncher() + " " + names[i], files->workDir);
        }
        // The start whose main ran is the first instance; it stays.
        waitForLines(files->logFile, invokePrefix("openFiles"), names.size() - 1);
        Sleep(100);
        const Lines log = readLog(files->logFile);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const bool first = countLines(log, invokeLine("main", {names[i]})) == 1;
            const std::size_t arrived = countLines(log, invokeLine("openFiles", {names[i]}));
            const DWORD code = starts[i].wait(first ? 0 : 10000);
            ok(first
                   ? countLines(log, invokePrefix("main")) == 1 && code == STILL_ACTIVE && !arrived
                   : code == 1 && arrived == 1,
               "round %d: start %zu %s main, ended with %lu, its list arrived %zu times; last "
               "traced %s",
               round, i, first ? "ran" : "did not run", code, arrived,
               lastTraceLine(trace, starts[i].id()).c_str());
        }
        for (const Process& p : starts) {
            p.kill();
            p.wait();
        }
    }
    SetEnvironmentVariableA("PELLIX_TRACE", nullptr);
}

void testBadInput() {
    group = "bad input";
    files->configure("");
    LauncherRun first(*files, launcher);
    first.launches("first instance");

    std::string fields;
    Strings twenty;
    for (int i = 0; i < 30; ++i) {
        const std::string kept(511, static_cast<char>('A' + i % 26));
        fields += std::string(600, 'f') + "|" + kept + "|";
        if (twenty.size() < 20) {
            twenty.push_back(kept);
        }
    }
    std::string high;
    for (int c = 0x80; c <= 0xFF; ++c) {
        high += static_cast<char>(c);
    }
    // Windows refuses the megabyte above the registered request size; Wine
    // does not enforce that size and delivers it, and then the queue keeps
    // only the field that fits.
    const DWORD megabyte = sendRaw(std::string(1 << 20, 'm') + "|ok|");
    ok(sendRaw(std::string(100000, '|')) == 0, "100,000 bars were refused");
    ok(sendRaw(fields) == 0, "600-character fields were refused");
    ok(sendRaw(high + "|") == 0, "bytes of 0x80 and above were refused");

    // The same over operation 1, counted in UTF-16 units, and unpaired
    // surrogates of either half, which reach Java unchanged.
    std::u16string wideFields;
    Strings wideTwenty;
    for (int i = 0; i < 30; ++i) {
        const std::u16string kept = std::u16string(509, u'\u0416') + u"\U0001F600";
        wideFields += std::u16string(600, u'\xD800') + u"|" + kept + u"|";
        if (wideTwenty.size() < 20) {
            std::string inJavaKept;
            for (int j = 0; j < 509; ++j) {
                inJavaKept += "\xD0\x96";
            }
            wideTwenty.push_back(inJavaKept + "\xED\xA0\xBD\xED\xB8\x80");
        }
    }
    // As above, Wine delivers the megabyte, here a million units.
    const DWORD wideMegabyte = sendRawWide(std::u16string(1 << 20, u'\u0416') + u"|ok wide|");
    ok(sendRawWide(std::u16string(100000, u'|')) == 0,
       "100,000 bars over operation 1 were refused");
    ok(sendRawWide(wideFields) == 0, "600-unit fields were refused");
    ok(sendRawWide(u"\xD800|\xDFFF|\xDC00\xD800|") == 0, "unpaired surrogates were refused");

    // The lists wait for the next signal, which a later start gives.
    forward(" after.txt", "after bad input");
    ok(first.waitFor(invokeLine("openFiles", {"after.txt"})), "the first instance stopped serving");
    ok(first.process.wait(0) == STILL_ACTIVE, "the first instance did not survive");
    ok(megabyte != 0 || first.count(invokeLine("openFiles", {"ok"})) == 1,
       "1 MB text: neither refused nor cut to what fits");
    ok(wideMegabyte != 0 || first.count(invokeLine("openFiles", {"ok wide"})) == 1,
       "1 M units over operation 1: neither refused nor cut to what fits");
    ok(first.count(invokeLine("openFiles", twenty)) == 1,
       "600-character fields: not the twenty that fit");
    ok(first.count(invokeLine("openFiles", wideTwenty)) == 1,
       "600-unit fields over operation 1: not the twenty that fit");
    ok(first.count(invokeLine("openFiles", {inJava(high)})) == 1,
       "bytes of 0x80 and above did not arrive as their characters");
    ok(first.count(invokeLine("openFiles",
                              {"\xED\xA0\x80", "\xED\xBF\xBF", "\xED\xB0\x80\xED\xA0\x80"})) == 1,
       "unpaired surrogates did not reach Java unchanged");
    // Each kind's ok, the fields, the high bytes, the surrogates and
    // after.txt: the bars gave nothing.
    const std::size_t delivered = (megabyte == 0) + (wideMegabyte == 0) + 5u;
    ok(first.count(invokePrefix("openFiles")) == delivered, "a list too many or too few");
}

// ---- A first instance of a launcher from before operation 1 ---------------

// What such a launcher serves: operation 0 alone, with the tables it was
// built with (a type format string of 7 bytes, a procedure format string of
// 33), and a dispatch table of one entry.
const unsigned char kOlderTypeFormat[] = {0x00, 0x00, 0x11, 0x08, 0x22, 0x5C, 0x00};
const unsigned char kOlderProcFormat[] = {0x32, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08,
                                          0x00, 0x00, 0x00, 0x00, 0x00, 0x42, 0x01, 0x0A, 0x01,
                                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B,
                                          0x01, 0x00, 0x00, 0x04, 0x00, 0x00};
const unsigned short kOlderOffsets[] = {0};

std::mutex olderLock;
Strings olderReceived;

// A text that begins with "refuse" is refused as a caller check refuses.
void olderReceive(unsigned char* text) {
    {
        const std::lock_guard<std::mutex> guard(olderLock);
        olderReceived.emplace_back(reinterpret_cast<const char*>(text));
    }
    if (std::string_view(reinterpret_cast<const char*>(text)).substr(0, 6) == "refuse") {
        RpcRaiseException(RPC_S_ACCESS_DENIED);
    }
}

RPC_DISPATCH_FUNCTION olderDispatchFunctions[] = {NdrServerCall2, nullptr};
RPC_DISPATCH_TABLE olderDispatchTable = {1, olderDispatchFunctions, 0};
const SERVER_ROUTINE olderRoutines[] = {reinterpret_cast<SERVER_ROUTINE>(olderReceive)};
extern const RPC_SERVER_INTERFACE olderInterface;
const MIDL_STUB_DESC olderStubDesc = remote_calls::stubDescriptor(
    const_cast<RPC_SERVER_INTERFACE*>(&olderInterface), nullptr, kOlderTypeFormat);
const MIDL_SERVER_INFO olderServerInfo = {
    &olderStubDesc, olderRoutines, kOlderProcFormat, kOlderOffsets, nullptr, nullptr, 0, nullptr,
};
const RPC_SERVER_INTERFACE olderInterface = {
    sizeof(RPC_SERVER_INTERFACE),
    remote_calls::kInterfaceId,
    remote_calls::kNdrSyntax,
    &olderDispatchTable,
    0,
    nullptr,
    nullptr,
    &olderServerInfo,
    0x04000000,
};

std::size_t olderCount() {
    const std::lock_guard<std::mutex> guard(olderLock);
    return olderReceived.size();
}

// Takes what the older server has received, once it holds count texts or
// after five seconds. The calls are synchronous: what a call delivers is
// there when it returns.
Strings olderTexts(std::size_t count) {
    for (int i = 0; i < 500 && olderCount() < count; ++i) {
        Sleep(10);
    }
    const std::lock_guard<std::mutex> guard(olderLock);
    Strings taken;
    taken.swap(olderReceived);
    return taken;
}

// The narrow text that a later start makes of these arguments: each as
// GetCommandLineA gives it, converted from the command line by the system
// code page (characters it lacks become look-alikes or "?"), each followed
// by a bar.
std::string narrowText(const std::vector<std::wstring>& arguments) {
    std::string text;
    for (const std::wstring& argument : arguments) {
        const int size =
            WideCharToMultiByte(CP_ACP, 0, argument.data(), static_cast<int>(argument.size()),
                                nullptr, 0, nullptr, nullptr);
        std::string narrow(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(CP_ACP, 0, argument.data(), static_cast<int>(argument.size()),
                            narrow.data(), size, nullptr, nullptr);
        text += narrow + "|";
    }
    return text;
}

// This process holds the instance lock and serves the interface as an older
// launcher does, so that the real executable starts as a later start
// against it.
void testOlderFirstInstance() {
    group = "older first instance";
    SetLastError(0xdeadbeef);
    const UniqueHandle mutex(CreateMutexA(nullptr, FALSE, "Norvane Pellix 1234432101233210"));
    SETUP(mutex && GetLastError() == 0);
    SETUP(RpcServerUseProtseqEpA((unsigned char*)"ncacn_np", 20,
                                 (unsigned char*)"\\pipe\\quennRemoteCalls", nullptr) == RPC_S_OK);
    SETUP(RpcServerRegisterIf2(const_cast<RPC_SERVER_INTERFACE*>(&olderInterface), nullptr, nullptr,
                               RPC_IF_ALLOW_CALLBACKS_WITH_NO_AUTH, 20, 64 * 1024,
                               nullptr) == RPC_S_OK);
    SETUP(RpcServerListen(1, 20, TRUE) == RPC_S_OK);

    // An operation that the server lacks fails with
    // RPC_S_PROCNUM_OUT_OF_RANGE before the server routine sees anything.
    DWORD outOfRange = 0;
    DWORD sameBinding = 0;
    std::size_t refusedDelivered = 0;
    if (rawclient::bind()) {
        outOfRange = rawclient::callGuarded(1, L"wide|");
        refusedDelivered = olderTexts(0).size();
        sameBinding = rawclient::callGuarded(0, "refuse on the same binding|");
        rawclient::unbind();
    }
    ok(outOfRange == RPC_S_PROCNUM_OUT_OF_RANGE, "operation 1: code %lu, expected %ld", outOfRange,
       RPC_S_PROCNUM_OUT_OF_RANGE);
    ok(refusedDelivered == 0, "the refused operation 1 delivered %zu texts", refusedDelivered);
    ok(olderTexts(1) == Strings{"refuse on the same binding|"},
       "operation 0 on the refused binding was not delivered");
    // Windows answers the next call on that binding with its own result.
    // Wine's server answers the refused call twice, the fault and then a
    // reply for the null entry behind its dispatch table, and the next call
    // reads that second reply, 0, although it was refused; when that reply
    // comes in only after its own (seen once in 16 runs on a loaded
    // machine), the call gets its own result instead.
    ok(sameBinding == RPC_S_ACCESS_DENIED || (onWine() && sameBinding == 0),
       "operation 0 on the refused binding: code %lu", sameBinding);
    // Once that binding is freed, a new one has a connection of its own,
    // and the result of its call is that call's.
    ok(sendRaw("refuse on a new binding|") == RPC_S_ACCESS_DENIED &&
           olderTexts(1) == Strings{"refuse on a new binding|"},
       "operation 0 on a new binding: not its own result");

    // Real later starts: each first tries operation 1, then hands over the
    // narrow text as an older later start makes it, saying nothing.
    std::vector<std::wstring> names;
    for (const UnicodeName& name : kUnicodeNames) {
        names.emplace_back(name.argument);
    }
    const struct {
        const char* what;
        std::vector<std::wstring> arguments;
    } cases[] = {
        {"ASCII", {L"plan.tav", L"notes.txt"}},
        {"code page 1252", {L"caf\u00E9.txt", L"\u20ACuro"}},
        {"all names", names},
    };
    for (const auto& c : cases) {
        std::wstring arguments;
        for (const std::wstring& argument : c.arguments) {
            arguments += L" " + argument;
        }
        forward(arguments, c.what);
        const Strings received = olderTexts(1);
        const std::string expected = narrowText(c.arguments);
        ok(received == Strings{expected}, "%s: the older first instance got %zu texts, not [%s]",
           c.what, received.size(), expected.c_str());
    }

    // A name of a file in the start's folder: the empty probe is refused,
    // and the list goes over operation 0, never over operation 2, which
    // Wine's server reads from behind a table of one entry.
    forward(" notes.tav", "a file in the start's folder", files->root + "\\docs");
    ok(olderTexts(1) == Strings{"notes.tav|"}, "a file in the start's folder: not its list");

    // When operation 0 fails too, the later start reports that call's code
    // alone, once.
    std::string output;
    const DWORD code =
        runCapturingOutput(widen(quotedLauncher()) + L" refuse\u00E9.txt", files->workDir, output);
    ok(code == 1, "refused twice: later start ended with %lu, expected 1", code);
    ok(output == "Runtime reported exception 0x5 = 5\r\n",
       "refused twice: later start reported [%s]", output.c_str());
    ok(olderTexts(1) == Strings{"refuse\xE9.txt|"}, "refused twice: not the narrow text");

    RpcServerUnregisterIf(const_cast<RPC_SERVER_INTERFACE*>(&olderInterface), nullptr, TRUE);

    // A first instance from before operation 2: today's tables, of which it
    // dispatches operations 0 and 1. From another folder, a later start's
    // names reach it over operation 1 exactly as given.
    group = "first instance without operation 2";
    RPC_DISPATCH_FUNCTION twoOperations[] = {NdrServerCall2, NdrServerCall2, nullptr};
    RPC_DISPATCH_TABLE twoTable = {2, twoOperations, 0};
    RPC_SERVER_INTERFACE previous = remoteCallsServerInterface;
    previous.DispatchTable = &twoTable;
    SETUP(RpcServerRegisterIf2(&previous, nullptr, nullptr, RPC_IF_ALLOW_CALLBACKS_WITH_NO_AUTH, 20,
                               64 * 1024, nullptr) == RPC_S_OK);
    takeAll();
    const std::string docs = files->root + "\\docs";
    forward(" notes.tav sub\\deep.tav", "operation 1 from another folder", docs);
    ok(takeAll() == std::vector<Taken>{wideList({u"notes.tav", u"sub\\deep.tav"})},
       "the first instance without operation 2 did not get today's list");
    RpcMgmtStopServerListening(nullptr);
    RpcServerUnregisterIf(&previous, nullptr, TRUE);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: forwarding_test PELLIX2.EXE JVM.DLL\n");
        return 2;
    }
    launcher = windowsPath(argv[1]);
    const StandInFiles standInFiles("pellix forwarding");
    files = &standInFiles;
    installStandInRuntime(standInFiles.root, windowsPath(argv[2]), "server");

    startDesktop();
    const UnmanagedWindows unmanaged;
    testForwarding();
    testUnicodeForwarding();
    testDuringCreation();
    testManyStarts();
    testColdBursts();
    testBadInput();
    testOlderFirstInstance();
    unregisterAll();
    return finish("forwarding_test");
}
