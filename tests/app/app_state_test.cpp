#include "app/app_state.h"

#include <gtest/gtest.h>

#include "app/error_policy.h"
#include "app/google_earth.h"
#include "app/window_rules.h"
#include "support/fake_host.h"

namespace orvanta {
namespace {

using testing::FakeHost;

class AppStateTest : public ::testing::Test {
  protected:
    AppStateTest() : app(host) { app.startUp({"C:", "D:"}); }
    FakeHost host;
    AppState app;
};

// The interlocks and the colour picker are driven through the window by its tests.
TEST(ColourText, RgbTextOfTheStoredColour) {
    EXPECT_EQ(colourText(0x0000FF), "RGB(255, 0, 0)");
    EXPECT_EQ(colourText(0x00FF00FF), "RGB(255, 0, 255)");
    EXPECT_EQ(colourText(0x123456), "RGB(86, 52, 18)");
}

TEST_F(AppStateTest, CloseProjectResetsTheCloseValuesAndKeepsTheOthers) {
    ProjectSettings& s = app.settings;
    s.projectImage = "/a.jpg";
    s.projectName = "P";
    s.googleEarthProgram = "/earth";
    s.openWhenDone = false;
    s.outputFormat = "TIF";
    s.drawOrder = "HIGH";
    s.widthText = "1024";
    s.multipleFolders = true;
    s.batchFolders = {"/x"};
    app.setTransparentColour(255);
    app.run.paddedPieces = true;
    app.run.largeImageMode = true;
    app.enabled.transform = app.enabled.loadInGoogleEarth = true;
    const int pumps = host.eventPumps;

    app.closeProject();
    EXPECT_EQ(s.projectImage + s.projectName + s.widthText, "");
    EXPECT_TRUE(s.batchFolders.empty());
    EXPECT_EQ(s.multipleFolders, 0);
    EXPECT_EQ(s.transparentColour, 0u);
    EXPECT_EQ(s.transparentColourText, "RGB(255, 0, 0)");  // the text is kept
    EXPECT_EQ(s.drawOrder, "LOW");
    EXPECT_EQ(s.googleEarthProgram, "/earth");
    EXPECT_EQ(s.openWhenDone, 0);
    EXPECT_EQ(s.outputFormat, "TIF");
    EXPECT_EQ(app.run.paddedPieces, "0");
    EXPECT_FALSE(app.run.largeImageMode);
    EXPECT_FALSE(app.enabled.transform || app.enabled.loadInGoogleEarth);
    EXPECT_EQ(app.statusText(), "Status...");
    EXPECT_EQ(host.eventPumps, pumps + 1);
}

// The size rule is checked on the window itself.
TEST(WindowRules, PlacementIsSavedUnlessMinimised) {
    MemorySettingsStore store;
    store.setValue("Settings", "MainLeft", "old");
    saveWindowPlacement(store, {1, 2, 3, 4}, true);
    EXPECT_EQ(store.value("Settings", "MainLeft"), "old");
    saveWindowPlacement(store, {120, 345.5f, 12000, 9000}, false);
    EXPECT_EQ(store.value("Settings", "MainLeft"), "120");
    EXPECT_EQ(store.value("Settings", "MainTop"), "345.5");
    EXPECT_EQ(store.value("Settings", "MainWidth"), "12000");
    EXPECT_EQ(store.value("Settings", "MainHeight"), "9000");
}

TEST_F(AppStateTest, GoogleEarthGetsTheShortenedKmlPathAsOneArgument) {
    EXPECT_EQ(shortenDocumentsAndSettings("C:\\Documents and Settings\\x.kml"),
              "C:\\Docume~1\\x.kml");
    EXPECT_EQ(shortenDocumentsAndSettings("C:\\DOCUMENTS AND SETTINGS\\documents and settings"),
              "C:\\Docume~1\\Docume~1");
    EXPECT_EQ(shortenDocumentsAndSettings("/home/me/x.kml"), "/home/me/x.kml");
    EXPECT_EQ(googleEarthCommandLine("/opt/g e/earth", "/a b.kml"), "/opt/g e/earth /a b.kml");

    // The program is started with the shortened KML path as one argument.
    app.settings.googleEarthProgram = "/opt/my earth/ge; rm -rf x";
    const int pumps = host.eventPumps;
    StartGoogleEarth(app, "/home/Documents and Settings/$(id).kml");
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(host.started[0],
              (std::vector<std::string>{"/opt/my earth/ge; rm -rf x", "/home/Docume~1/$(id).kml"}));
    EXPECT_GT(host.eventPumps, pumps);
}

TEST_F(AppStateTest, GoogleEarthThatCannotStartIsReportedByThePolicy) {
    host.onStart = [](const std::vector<std::string>& argv) {
        throw RunError(errors::FileNotFound, "File not found: " + argv[0]);
    };
    app.settings.googleEarthProgram = "/no/earth";
    RunErrorPolicy policy(app);
    EXPECT_FALSE(policy.run([&] { StartGoogleEarth(app, "/x.kml"); }));
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"53 File not found: /no/earth"});
}

}  // namespace
}  // namespace orvanta
