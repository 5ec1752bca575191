// Loads the runtime's virtual machine library into this process and creates
// the virtual machine.
#include "java_vm.h"

#include <windows.h>

#include <jni.h>

#include "class_data.h"
#include "common/trace_win.h"
#include "java_calls.h"
#include "java_home.h"
#include "java_options.h"
#include "runtime_choice.h"

namespace {

constexpr jint kJniVersion12 = 0x00010002;
constexpr jint kJniVersion14 = 0x00010004;

constexpr std::size_t kExtraJarPathSize = 8096;

// The interface version that the library at each of kLibraryFiles is asked
// for.
const jint kLibraryVersions[kLibraryPlaceCount] = {kJniVersion14, kJniVersion12, kJniVersion14};

using CreateJavaVMFn = jint(JNICALL*)(JavaVM**, void**, void*);

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

JavaOutcome create(CreateJavaVMFn createJavaVM, const char* classPath, const std::string& javaHome,
                   int32_t extraJarMode, jint version, const char* extra) {
    std::string classPathOption = buildClassPathOption(classPath, javaHome, "");
    if (extraJarMode != 0) {
        appendExtraJars(classPathOption, extraJarMode);
    }
    JavaLaunchOptions launch;
    fillLaunchOptions(launch, std::move(classPathOption), version, &extra, *extra != '\0' ? 1 : 0);
    if (traceEnabled) {
        for (int i = 0; i < launch.initArgs.nOptions; ++i) {
            TRACE("option %d: %s", i, traceUtf8(launch.options[i].optionString).c_str());
        }
    }

    const jint created =
        createJavaVM(&javaVM, reinterpret_cast<void**>(&javaEnv), &launch.initArgs);
    TRACE("JNI_CreateJavaVM with version 0x%08lx: %ld, version read back 0x%08lx",
          static_cast<unsigned long>(version), static_cast<long>(created),
          static_cast<unsigned long>(launch.initArgs.version));
    if (created < 0) {
        return JavaOutcome::CreationFailed;
    }
    // The version is read back: a runtime that was asked for 1.2 does not
    // pass, whatever it answered.
    if (launch.initArgs.version < kJniVersion14) {
        return JavaOutcome::VersionTooLow;
    }
    return JavaOutcome::Created;
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

    // The launcher's extras after the six: the class-data cache's options.
    // The options files' options are not read yet.
    const std::vector<std::string> userOptions;
    char libraryPath[MAX_PATH] = "";
    GetModuleFileNameA(library, libraryPath, sizeof libraryPath);
    const CachePlan plan = prepareClassData(found, libraryPath, userOptions);
    return create(createJavaVM, classPath, javaHome, extraJarMode, version, plan.option);
}

JavaOutcome launchJava(const char* classPath, const char* mainClass, int32_t extraJarMode) {
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
