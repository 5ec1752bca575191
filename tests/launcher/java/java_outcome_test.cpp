#include "launcher/java/java_outcome.h"

#include <gtest/gtest.h>

namespace {

// Which failure asks the user to install Java and which ends quietly: a
// registered runtime without a home, or an application that cannot be run,
// would not be mended by installing Java.
TEST(ReportFor, DecidesWhatEachOutcomeShows) {
    const struct {
        JavaOutcome outcome;
        FailureReport report;
    } cases[] = {
        {JavaOutcome::HomeFound, FailureReport::GoOn},
        {JavaOutcome::Created, FailureReport::GoOn},
        {JavaOutcome::Running, FailureReport::GoOn},
        {JavaOutcome::NoRuntimeKey, FailureReport::MissingJavaDialog},
        {JavaOutcome::NoCurrentVersion, FailureReport::MissingJavaDialog},
        {JavaOutcome::NoVersionedKey, FailureReport::MissingJavaDialog},
        {JavaOutcome::NoJavaHome, FailureReport::SilentEnd},
        {JavaOutcome::NoLibrary, FailureReport::MissingJavaDialog},
        {JavaOutcome::NoDefaultArgsExport, FailureReport::MissingJavaDialog},
        {JavaOutcome::NoCreateExport, FailureReport::MissingJavaDialog},
        {JavaOutcome::CreationFailed, FailureReport::MissingJavaDialog},
        {JavaOutcome::VersionTooLow, FailureReport::MissingJavaDialog},
        {JavaOutcome::MainNotCalled, FailureReport::SilentEnd},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(reportFor(c.outcome), c.report) << "outcome " << static_cast<int>(c.outcome);
    }
}

} // namespace
