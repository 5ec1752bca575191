#include "outcome/java_outcome.h"

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
        {JavaOutcome::LibraryLoaded, FailureReport::GoOn},
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
        // Only with options from a file: installing Java would not help.
        {JavaOutcome::OptionsRefused, FailureReport::OptionsRefusal},
        {JavaOutcome::EndedInCreation, FailureReport::OptionsRefusal},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(reportFor(c.outcome), c.report) << "outcome " << static_cast<int>(c.outcome);
    }
}

TEST(OptionsRefusalText, NamesTheFilesAndQuotesTheRuntime) {
    EXPECT_EQ(optionsRefusalText({u"C:\\Tavora\\Pellix2.vmoptions", u"C:\\u\\Pellix2.vmoptions"},
                                 u"Invalid maximum heap size: -Xmx16q\r\nError: no VM\n"),
              u"Tavora cannot start: Java did not accept the options in\n\n"
              u"C:\\Tavora\\Pellix2.vmoptions\nC:\\u\\Pellix2.vmoptions\n\n"
              u"Java said:\n\nInvalid maximum heap size: -Xmx16q\r\nError: no VM\n\n"
              u"Correct or remove these options, then start Tavora again.");
    EXPECT_NE(optionsRefusalText({u"f"}, u"\n").find(u"\n\nJava gave no reason.\n\n"),
              std::u16string::npos);
}

} // namespace
