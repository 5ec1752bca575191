#include "java_outcome.h"

FailureReport reportFor(JavaOutcome outcome) {
    switch (outcome) {
    case JavaOutcome::HomeFound:
    case JavaOutcome::Created:
    case JavaOutcome::Running:
        return FailureReport::GoOn;
    case JavaOutcome::NoRuntimeKey:
    case JavaOutcome::NoCurrentVersion:
    case JavaOutcome::NoVersionedKey:
    case JavaOutcome::NoLibrary:
    case JavaOutcome::NoDefaultArgsExport:
    case JavaOutcome::NoCreateExport:
    case JavaOutcome::CreationFailed:
    case JavaOutcome::VersionTooLow:
        return FailureReport::MissingJavaDialog;
    case JavaOutcome::NoJavaHome:
    case JavaOutcome::MainNotCalled:
        return FailureReport::SilentEnd;
    }
    return FailureReport::SilentEnd;
}

const char* outcomeName(JavaOutcome outcome) {
    switch (outcome) {
    case JavaOutcome::HomeFound:
        return "home found";
    case JavaOutcome::Created:
        return "virtual machine created";
    case JavaOutcome::Running:
        return "main returned";
    case JavaOutcome::NoRuntimeKey:
        return "no runtime key";
    case JavaOutcome::NoCurrentVersion:
        return "no readable CurrentVersion";
    case JavaOutcome::NoVersionedKey:
        return "no key of the current version";
    case JavaOutcome::NoJavaHome:
        return "no readable JavaHome";
    case JavaOutcome::NoLibrary:
        return "no library loads";
    case JavaOutcome::NoDefaultArgsExport:
        return "no JNI_GetDefaultJavaVMInitArgs";
    case JavaOutcome::NoCreateExport:
        return "no JNI_CreateJavaVM";
    case JavaOutcome::CreationFailed:
        return "creation failed";
    case JavaOutcome::VersionTooLow:
        return "version read back below 1.4";
    case JavaOutcome::MainNotCalled:
        return "main class, main or its arguments missing";
    }
    return "unknown outcome";
}
