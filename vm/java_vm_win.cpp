// Loads the runtime's virtual machine library into this process and creates
// the virtual machine.
#include "java_vm.h"

#include <windows.h>

#include <jni.h>

#include <cstdio>
#include <string_view>
#include <vector>

#include "class_data/class_data.h"
#include "common/trace_win.h"
#include "java_calls/java_calls.h"
#include "java_creation.h"
#include "runtime/java_home.h"
#include "vm_options/java_options.h"
#include "runtime/runtime_choice.h"
#include "vm_options/vm_options_file.h"

namespace {

constexpr jint kJniVersion12 = 0x00010002;
constexpr jint kJniVersion14 = 0x00010004;

constexpr std::size_t kExtraJarPathSize = 8096;

// The interface version that the library at each of kLibraryFiles is asked
// for.
const jint kLibraryVersions[kLibraryPlaceCount] = {kJniVersion14, kJniVersion12, kJniVersion14};

// The directory where another product of the same maker keeps its jars.
// Empty when its key or value is missing.
std::string extraJarDirectory(LONG& status) {
    char directory[kExtraJarPathSize] = "";
    bool opened = false;
    status = readMachineText("SOFTWARE\\Norvane\\Brisca_qrt\\3.0", "Path", directory,
                             sizeof directory, opened);
    return status == ERROR_SUCCESS ? std::string(directory) : std::string();
}

} // namespace

int32_t appendExtraJars(std::string& option, int32_t mode) {
    LONG status = ERROR_SUCCESS;
    const std::string directory = extraJarDirectory(status);
    option += extraJarEntries(directory, mode);
    return status;
}

namespace {

// The first of the three places whose library loads, and the interface
// version that place is asked for. Deliberately never freed: the library
// stays loaded for the life of the process, also when a later step fails.
HMODULE loadLibrary(const std::string& javaHome, jint& version) {
    for (std::size_t i = 0; i < kLibraryPlaceCount; ++i) {
        const std::string path = javaHome + kLibraryFiles[i];
        SetLastError(ERROR_SUCCESS);
        HMODULE library = LoadLibraryA(path.c_str());
        // 126: the file or one it needs is missing; 193: not a 64-bit
        // library. A support desk tells the two apart.
        TRACE("load %s: %s, error %lu", traceUtf8(path.c_str()).c_str(),
              library != nullptr ? "loaded" : "failed", GetLastError());
        if (library != nullptr) {
            version = kLibraryVersions[i];
            return library;
        }
    }
    return nullptr;
}

// Both exports must be there; only the creation is called.
JavaOutcome findCreation(HMODULE library, CreateJavaVMFn& createJavaVM) {
    const bool hasDefaults = GetProcAddress(library, "JNI_GetDefaultJavaVMInitArgs") != nullptr;
    createJavaVM = reinterpret_cast<CreateJavaVMFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "JNI_CreateJavaVM")));
    TRACE("exports: JNI_GetDefaultJavaVMInitArgs %s, JNI_CreateJavaVM %s",
          hasDefaults ? "present" : "missing", createJavaVM != nullptr ? "present" : "missing");
    if (!hasDefaults) {
        return JavaOutcome::NoDefaultArgsExport;
    }
    return createJavaVM == nullptr ? JavaOutcome::NoCreateExport : JavaOutcome::HomeFound;
}

// The options files that gave options, for the window of a refusal, and the
// launch driver's report of an ending while the machine is created.
std::vector<std::string> optionsFiles;
void (*reportEnding)(JavaOutcome) = nullptr;

// To where the runtime's C runtime would have written it: its standard
// output is told by the universal C runtime's own table, which every
// runtime from Java 9 uses; everything else goes to standard error.
void forwardPrinted(const std::FILE* stream, std::string_view text) {
    DWORD which = STD_ERROR_HANDLE;
    if (HMODULE crt = GetModuleHandleW(L"ucrtbase.dll")) {
        using StreamsFn = const std::FILE*(__cdecl*)(unsigned);
        auto streams = reinterpret_cast<StreamsFn>(
            reinterpret_cast<void*>(GetProcAddress(crt, "__acrt_iob_func")));
        which = streams != nullptr && streams(1) == stream ? STD_OUTPUT_HANDLE : which;
    }
    HANDLE out = GetStdHandle(which);
    DWORD written = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

void tracePrinted(std::string_view line) {
    TRACE("runtime printed: %s", traceUtf8(std::string(line).c_str()).c_str());
}

void endInCreation(JavaOutcome outcome) {
    if (reportEnding != nullptr) {
        reportEnding(outcome);
    }
    ExitProcess(1);
}

JavaOutcome create(CreateJavaVMFn createJavaVM, const char* classPath, const std::string& javaHome,
                   int32_t extraJarMode, jint version, VmOptionsFiles files, const char* extra) {
    std::string classPathOption = buildClassPathOption(classPath, javaHome, "");
    if (extraJarMode != 0) {
        appendExtraJars(classPathOption, extraJarMode);
    }
    LaunchAdditions more;
    if (*extra != '\0') {
        more.extras.emplace_back(extra);
    }
    RuntimeListener listener;
    // Without options from a file or the trace, the runtime gets exactly
    // the fixed options, as it always did.
    if (!files.options.empty() || traceEnabled) {
        more.hooks = runtimeHooks();
        listener.forward = forwardPrinted;
        listener.line = tracePrinted;
    }
    if (!files.options.empty()) {
        more.fromFiles = std::move(files.options);
        optionsFiles = std::move(files.names);
        listener.endedInCreation = endInCreation;
    }
    JavaLaunchOptions launch;
    composeLaunchOptions(launch, std::move(classPathOption), version, more);
    if (traceEnabled) {
        for (int i = 0; i < launch.initArgs.nOptions; ++i) {
            TRACE("option %d: %s%s", i, traceUtf8(launch.options[i].optionString).c_str(),
                  launch.options[i].extraInfo != nullptr ? " (a hook)" : "");
        }
    }
    return createJavaMachine(createJavaVM, launch, listener);
}

void traceDiscovery(const JavaHomeLookup& found) {
    for (std::size_t i = 0; i < found.tried.size(); ++i) {
        TRACE("runtime place: %s", traceUtf8(describeCandidate(found.tried[i]).c_str()).c_str());
    }
    if (found.outcome == JavaOutcome::HomeFound) {
        TRACE("runtime chosen: %s, version \"%s\"", traceUtf8(found.home.c_str()).c_str(),
              traceUtf8(found.version.c_str()).c_str());
    }
}

} // namespace

JavaOutcome startJavaVM(const char* classPath, int32_t extraJarMode) {
    const JavaHomeLookup found = findJavaHome();
    if (traceEnabled) {
        traceDiscovery(found);
    }
    if (found.outcome != JavaOutcome::HomeFound) {
        return found.outcome;
    }
    useJavaHome(found);

    // Dependent libraries of jvm.dll are found in the runtime's bin
    // directory from here on, for the rest of the process.
    const std::string& javaHome = found.home;
    SetDllDirectoryA((javaHome + "\\bin").c_str());
    TRACE("DLL directory: %s\\bin", traceUtf8(javaHome.c_str()).c_str());

    jint version = 0;
    HMODULE library = loadLibrary(javaHome, version);
    if (library == nullptr) {
        return JavaOutcome::NoLibrary;
    }
    CreateJavaVMFn createJavaVM = nullptr;
    const JavaOutcome exports = findCreation(library, createJavaVM);
    if (exports != JavaOutcome::HomeFound) {
        return exports;
    }

    // The launcher's extras after the six: the class-data cache's options,
    // which the options files' own class-data options switch off.
    VmOptionsFiles files = readVmOptionsFiles();
    char libraryPath[MAX_PATH] = "";
    GetModuleFileNameA(library, libraryPath, sizeof libraryPath);
    const CachePlan plan = prepareClassData(found, libraryPath, files.options);
    return create(createJavaVM, classPath, javaHome, extraJarMode, version, std::move(files),
                  plan.option);
}

JavaOutcome launchJava(const char* classPath, const char* mainClass, int32_t extraJarMode,
                       void (*reportEnd)(JavaOutcome)) {
    reportEnding = reportEnd;
    const JavaOutcome started = startJavaVM(classPath, extraJarMode);
    if (started != JavaOutcome::Created) {
        return started;
    }
    if (callJavaMain(mainClass) != 0) {
        return JavaOutcome::MainNotCalled;
    }
    // The application is up: only now may an archive be made beside it.
    startMakingArchive();
    return JavaOutcome::Running;
}

std::string optionsRefusalMessage() {
    return optionsRefusalText(optionsFiles, traceUtf8(printedInCreation().c_str()));
}
