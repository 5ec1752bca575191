// Loads the runtime's virtual machine library into this process and creates
// the virtual machine.
#include "java_vm.h"

#include <windows.h>

#include <cstdio>

#include "common/trace_win.h"
#include "runtime/runtime_choice.h"

namespace {

// The interface version that the library at each of kLibraryFiles is asked
// for.
const jint kLibraryVersions[kLibraryPlaceCount] = {kJniVersion14, kJniVersion12, kJniVersion14};

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

} // namespace

namespace {

// Both exports must be there; only the creation is called.
JavaOutcome findExports(HMODULE loaded, JavaLibrary& library) {
    const bool hasDefaults = GetProcAddress(loaded, "JNI_GetDefaultJavaVMInitArgs") != nullptr;
    library.createJavaVM = reinterpret_cast<CreateJavaVMFn>(
        reinterpret_cast<void*>(GetProcAddress(loaded, "JNI_CreateJavaVM")));
    TRACE("exports: JNI_GetDefaultJavaVMInitArgs %s, JNI_CreateJavaVM %s",
          hasDefaults ? "present" : "missing",
          library.createJavaVM != nullptr ? "present" : "missing");
    if (!hasDefaults) {
        return JavaOutcome::NoDefaultArgsExport;
    }
    return library.createJavaVM == nullptr ? JavaOutcome::NoCreateExport
                                           : JavaOutcome::LibraryLoaded;
}

} // namespace

JavaOutcome loadJavaLibrary(const std::string& home, JavaLibrary& library) {
    SetDllDirectoryA((home + "\\bin").c_str());
    TRACE("DLL directory: %s\\bin", traceUtf8(home.c_str()).c_str());
    // Deliberately never freed: the library stays loaded for the life of the
    // process, also when a later step fails.
    HMODULE loaded = nullptr;
    for (std::size_t i = 0; i < kLibraryPlaceCount && loaded == nullptr; ++i) {
        library.path = home + kLibraryFiles[i];
        library.version = kLibraryVersions[i];
        SetLastError(ERROR_SUCCESS);
        loaded = LoadLibraryA(library.path.c_str());
        // 126: the file or one it needs is missing; 193: not a 64-bit
        // library. A support desk tells the two apart.
        TRACE("load %s: %s, error %lu", traceUtf8(library.path.c_str()).c_str(),
              loaded != nullptr ? "loaded" : "failed", GetLastError());
    }
    return loaded == nullptr ? JavaOutcome::NoLibrary : findExports(loaded, library);
}

JavaOutcome createJavaVM(const JavaLibrary& library, JavaLaunchOptions& launch,
                         const Listening& listening,
                         void (*endInCreation)(std::string_view printed, void* context),
                         void* context, JavaVM** vm, JNIEnv** env) {
    RuntimeListener listener;
    if (listening.hooks) {
        listener.forward = forwardPrinted;
        listener.line = tracePrinted;
    }
    if (listening.blameOptions) {
        listener.endInCreation = endInCreation;
        listener.context = context;
    }
    return createJavaMachine(library.createJavaVM, launch, listener, listening.blameOptions, vm,
                             env);
}
