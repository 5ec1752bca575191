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
