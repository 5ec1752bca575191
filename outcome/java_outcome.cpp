#include "java_outcome.h"

FailureReport reportFor(JavaOutcome outcome) {
    switch (outcome) {
    case JavaOutcome::HomeFound:
    case JavaOutcome::LibraryLoaded:
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
    case JavaOutcome::LibraryLoaded:
        return "library loaded";
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

std::u16string optionsRefusalText(const std::vector<std::u16string>& files,
                                  std::u16string_view printed) {
    // The runtime's own words are English, as is the rest of the window:
    // whoever writes an options file reads them.
    std::u16string text = u"Tavora cannot start: Java did not accept the options in\n";
    for (const std::u16string& file : files) {
        text += u"\n" + file;
    }
    while (!printed.empty() && (printed.back() == u'\n' || printed.back() == u'\r')) {
        printed.remove_suffix(1);
    }
    text += printed.empty() ? u"\n\nJava gave no reason." : u"\n\nJava said:\n\n";
    text += printed;
    text += u"\n\nCorrect or remove these options, then start Tavora again.";
    return text;
}
