// The start of Java as one sequence: each step finds its facts once and
// hands them on to the next.
#include "java_launch.h"

#include <windows.h>

#include "class_data/class_data.h"
#include "common/text_win.h"
#include "common/trace_win.h"
#include "java_calls/java_calls.h"
#include "runtime/java_home.h"
#include "vm/java_vm.h"
#include "vm_options/java_options.h"
#include "vm_options/vm_options_file.h"

namespace {

void traceDiscovery(const JavaHomeLookup& found) {
    for (const RuntimeCandidate& candidate : found.tried) {
        TRACE("runtime place: %s", traceUtf8(describeCandidate(candidate).c_str()).c_str());
    }
    if (found.outcome == JavaOutcome::HomeFound) {
        TRACE("runtime chosen: %s, version \"%s\"", traceUtf8(found.runtime.home.c_str()).c_str(),
              traceUtf8(found.runtime.version.c_str()).c_str());
    }
}

void traceOptions(const JavaLaunchOptions& options) {
    for (int i = 0; i < options.initArgs.nOptions; ++i) {
        TRACE("option %d: %s%s", i, traceUtf8(options.options[i].optionString).c_str(),
              options.options[i].extraInfo != nullptr ? " (a hook)" : "");
    }
}

// What an end in the creation needs: the launch so far, and whom to tell.
struct EndInCreation {
    JavaLaunchResult* result;
    void (*report)(const JavaLaunchResult& ended);
};

void endInCreation(std::string_view printed, void* context) {
    const EndInCreation& end = *static_cast<const EndInCreation*>(context);
    end.result->outcome = JavaOutcome::EndedInCreation;
    end.result->printed = fromCodePage(printed);
    end.report(*end.result);
    ExitProcess(1);
}

} // namespace

JavaLaunchResult launchJava(const JavaLaunchPlaces& places, const char* classPath,
                            const char* mainClass, int32_t extraJarMode,
                            void (*reportEndInCreation)(const JavaLaunchResult& ended)) {
    JavaLaunchResult result;
    const JavaHomeLookup found = findJavaHome(places.executableFolder);
    if (traceEnabled) {
        traceDiscovery(found);
    }
    result.outcome = found.outcome;
    if (found.outcome != JavaOutcome::HomeFound) {
        return result;
    }
    const JavaRuntime& runtime = found.runtime;
    useJavaHome(runtime);
    JavaLibrary library;
    result.outcome = loadJavaLibrary(runtime.home, library);
    if (result.outcome != JavaOutcome::LibraryLoaded) {
        return result;
    }

    // The options: the hooks, the six, the class-data cache's and the
    // files', each group decided once.
    VmOptionsFiles files = readVmOptionsFiles(places.optionsFiles[0], places.optionsFiles[1]);
    AddedOptions added;
    added.heap = fixedHeapBeside(files.options);
    const PreparedCache cache = prepareClassData(runtime, library.path, places.cacheFolder,
                                                 files.options, added.heap.maximum);
    added.cacheOption = cache.plan.option;
    const Listening listening = listeningFor(!files.options.empty(), traceEnabled);
    if (listening.hooks) {
        added.hooks = runtimeHooks();
    }
    added.userOptions = std::move(files.options);
    result.optionsFiles = std::move(files.names);
    std::string extraJars;
    if (extraJarMode != 0) {
        const int32_t status = appendExtraJars(extraJars, extraJarMode);
        TRACE("extra jars of mode %ld: registry status %ld", static_cast<long>(extraJarMode),
              static_cast<long>(status));
    }
    JavaLaunchOptions options;
    composeLaunchOptions(options, buildClassPathOption(classPath, runtime.home, extraJars),
                         library.version, added);
    if (traceEnabled) {
        traceOptions(options);
    }

    EndInCreation end{&result, reportEndInCreation};
    result.outcome =
        createJavaVM(library, options, listening, endInCreation, &end, &javaVM, &javaEnv);
    if (result.outcome != JavaOutcome::Created) {
        result.printed = fromCodePage(printedInCreation());
        return result;
    }
    if (callJavaMain(mainClass) != 0) {
        result.outcome = JavaOutcome::MainNotCalled;
        return result;
    }
    // The application is up: only now may an archive be made beside it.
    startMakingArchive(cache.making);
    result.outcome = JavaOutcome::Running;
    return result;
}
