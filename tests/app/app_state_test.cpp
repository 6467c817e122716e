#include "app/app_state.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/error_policy.h"
#include "app/google_earth.h"
#include "app/window_rules.h"
#include "support/fake_host.h"

namespace orvanta {
namespace {

using testing::FakeHost;
using Texts = std::vector<std::string>;

class AppStateTest : public ::testing::Test {
  protected:
    AppStateTest() : app(host) { app.startUp({"C:", "D:"}); }
    FakeHost host;
    AppState app;
    Outcome outcome;
    RunErrorPolicy policy{host, outcome};
};

TEST_F(AppStateTest, CloseProjectResetsTheCloseValuesAndKeepsTheOthers) {
    ProjectSettings& s = app.settings;
    s.projectImage = s.projectName = s.widthText = "x";
    s.googleEarthProgram = "/earth";
    s.outputFormat = PictureFormat::Tif;
    s.drawOrder = DisplayOrder::High;
    s.multipleFolders = true;
    s.batchFolders = {"/x"};
    s.transparentColour = {255, 0, 0};
    app.run.paddedPieces = app.run.largeImageMode = app.enabled.transform = true;
    const int pumps = host.eventPumps;
    app.closeProject();
    EXPECT_EQ(s.projectImage + s.projectName + s.widthText, "");
    EXPECT_TRUE(s.batchFolders.empty());
    EXPECT_FALSE(s.multipleFolders || app.run.paddedPieces || app.run.largeImageMode ||
                 app.enabled.transform);
    EXPECT_EQ(s.transparentColour, Rgb{});
    EXPECT_EQ(s.drawOrder, DisplayOrder::Low);
    EXPECT_EQ(s.googleEarthProgram + formatName(s.outputFormat), "/earthTIF");
    EXPECT_EQ(app.statusText(), "Status...");
    EXPECT_EQ(host.eventPumps, pumps + 1);
}

TEST(WindowRules, PlacementIsSavedUnlessMinimised) {
    MemorySettingsStore store;
    store.setValue("Settings", "MainLeft", "old");
    saveWindowPlacement(store, {1, 2, 3, 4}, true);
    EXPECT_EQ(store.value("Settings", "MainLeft"), "old");
    saveWindowPlacement(store, {120, 345.5f, 12000, 9000}, false);
    EXPECT_EQ(store.value("Settings", "MainLeft"), "120");
    EXPECT_EQ(store.value("Settings", "MainTop"), "345.5");
}

TEST_F(AppStateTest, GoogleEarthGetsTheShortenedKmlPathAsOneArgument) {
    EXPECT_EQ(shortenDocumentsAndSettings("C:\\DOCUMENTS AND SETTINGS\\documents and settings"),
              "C:\\Docume~1\\Docume~1");
    EXPECT_EQ(googleEarthCommandLine("/opt/g e/earth", "/a b.kml"), "/opt/g e/earth /a b.kml");
    std::string program = "/opt/my earth/ge; rm -rf x";
    const int pumps = host.eventPumps;
    StartGoogleEarth(host, program, "/home/Documents and Settings/$(id).kml");
    EXPECT_EQ(host.started,
              (std::vector<Texts>{{"/opt/my earth/ge; rm -rf x", "/home/Docume~1/$(id).kml"}}));
    EXPECT_GT(host.eventPumps, pumps);

    // The files already written stand: a program that is not there is said once, with the
    // offer to choose it, and recorded, not an error; the chosen one starts, is used for the
    // rest of the job and becomes the person's setting once the window takes the outcome.
    host.onStart = [](const Texts& argv) {
        if (argv[0] != "/opt/earth")
            throw RunError(errors::FileNotFound, "File not found: " + argv[0]);
    };
    openInGoogleEarth(host, program, "/x.kml", outcome);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_NE(host.questions[0].text.find("53 File not found: /opt/my earth/ge; rm -rf x"),
              std::string::npos);
    EXPECT_TRUE(host.messageTexts().empty());
    EXPECT_TRUE(outcome.googleEarthFailed);
    EXPECT_EQ(outcome.ending, Ending::Done);

    outcome = {};
    host.yesNoAnswers = {true};
    host.fileAnswers = {"/opt/earth"};
    openInGoogleEarth(host, program, "/x.kml", outcome);
    openInGoogleEarth(host, program, "/y.kml", outcome);
    EXPECT_EQ(host.started.back(), (Texts{"/opt/earth", "/y.kml"}));
    EXPECT_FALSE(outcome.googleEarthFailed);
    app.settings.googleEarthProgram = "/old";
    app.keep(outcome);
    EXPECT_EQ(app.settings.googleEarthProgram, "/opt/earth");
}

TEST_F(AppStateTest, AccessAndImageToolErrorsSkipTheStepAndAreReportedAtTheEnd) {
    RunErrorPolicy clean{host, outcome};
    EXPECT_TRUE(clean.run([] {}) && clean.finish());
    int ran = 0;
    EXPECT_TRUE(policy.run(
        [&] { throw RunError(errors::PathFileAccess, "Path/File access error: /t/a"); }));
    EXPECT_TRUE(policy.run([&] { throw RunError(errors::ImageTool, "corrupt image"); }));
    EXPECT_TRUE(policy.run([&] { ++ran; }));
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(policy.finish());
    EXPECT_EQ(host.messageTexts(), Texts{"2 steps failed and were skipped. The first failure: 75 "
                                         "Path/File access error: /t/a"});
    EXPECT_EQ(outcome.skippedSteps, 2);
    EXPECT_EQ(outcome.ending, Ending::Failed);
}

TEST_F(AppStateTest, OtherErrorsShowNumberAndDescriptionAndEnd) {
    EXPECT_FALSE(policy.run([] { throw RunError(errors::InvalidArgument, "Invalid argument"); }));
    bool ran = false;
    EXPECT_FALSE(policy.run([&] { ran = true; }) || ran);
    EXPECT_EQ(outcome.ending, Ending::Failed);
    // Out of memory has its own message and closes the project: at once for an operation of
    // the window, through the outcome for a job, which changes no setting itself.
    app.settings.projectName = "Big";
    Outcome job;
    RunErrorPolicy jobPolicy{host, job};
    EXPECT_FALSE(jobPolicy.run([] { throw std::bad_alloc(); }));
    EXPECT_TRUE(job.closeProject);
    EXPECT_EQ(app.settings.projectName, "Big");
    RunErrorPolicy window{app};
    EXPECT_FALSE(window.run([] { throw std::bad_alloc(); }));
    EXPECT_EQ(host.messages, (std::vector<FakeHost::Message>{{"5 Invalid argument", "Orvanta"},
                                                             {kOutOfMemoryMessage, "Orvanta"},
                                                             {kOutOfMemoryMessage, "Orvanta"}}));
    EXPECT_EQ(app.settings.projectName, "");
}

TEST(RunErrors, FilesystemErrorsBecomeRunErrorsByCause) {
    auto numberOf = [](std::errc cause, const std::string& path) {
        const std::filesystem::filesystem_error error("x", path, std::make_error_code(cause));
        return toRunError(std::make_exception_ptr(error)).number();
    };
    EXPECT_EQ(numberOf(std::errc::no_such_file_or_directory, "/no/such/dir/f"),
              errors::PathNotFound);
    EXPECT_EQ(numberOf(std::errc::no_such_file_or_directory, "/tmp/no-file-x"),
              errors::FileNotFound);
    EXPECT_EQ(numberOf(std::errc::permission_denied, "/p"), errors::PathFileAccess);
}

}  // namespace
}  // namespace orvanta
