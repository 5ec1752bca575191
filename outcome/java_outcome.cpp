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
    case JavaOutcome::OptionsRefused:
    case JavaOutcome::EndedInCreation:
        return FailureReport::OptionsRefusal;
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
    case JavaOutcome::OptionsRefused:
        return "creation refused with the options files' options";
    case JavaOutcome::EndedInCreation:
        return "the runtime ended the process while creating the machine";
    }
    return "unknown outcome";
}

std::string optionsRefusalText(const std::vector<std::string>& files, std::string_view printed) {
    std::string text = "Tavora cannot start: Java did not accept the options in\n";
    for (const std::string& file : files) {
        text += "\n" + file;
    }
    while (!printed.empty() && (printed.back() == '\n' || printed.back() == '\r')) {
        printed.remove_suffix(1);
    }
    text += printed.empty() ? "\n\nJava gave no reason." : "\n\nJava said:\n\n";
    text += printed;
    text += "\n\nCorrect or remove these options, then start Tavora again.";
    return text;
}
