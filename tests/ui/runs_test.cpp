#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>

#include "support/scratch_dir.h"
#include "support/test_images.h"
#include "ui_support.h"

namespace orvanta {
namespace {

using testing::WindowFixture;

// A folder of two 1024 x 1024 tiles side by side, each with its world file.
void makeTilesFolder(const std::string& folder) {
    std::filesystem::create_directories(folder);
    const double pixel = 10.0 / 1024;
    for (int index = 0; index < 2; ++index) {
        const std::string name = folder + "/tile_" + std::to_string(index);
        testing::makeImage(name + ".jpg", 1024, 1024);
        testing::writeWorldFile(name + ".jgw", pixel, -pixel, 10.0 * index + pixel / 2,
                                50.0 - pixel / 2);
    }
}

// Chooses a new folder of tiles as the window's tiles folder.
std::string openTilesFolder(WindowFixture& f, const testing::ScratchDir& dir) {
    const std::string tiles = dir / "tiles";
    makeTilesFolder(tiles);
    f.dialogs.fileAnswers = {tiles};
    f.click("Command14");
    f.waitForRun();
    return tiles;
}

bool enabled(WindowFixture& f, const char* name) {
    return f.child<QWidget>(name)->isEnabled();
}

void select(QListWidget* list, int row) {
    list->setCurrentRow(row);
    list->item(row)->setSelected(true);
}

TEST(WindowLists, ListButtonsFillTheListsAndSwitchTransform) {
    testing::ScratchDir dir;
    WindowFixture f;
    AppState& app = f.window->app();
    f.click("Check6");
    for (const char* image : {"/maps/high.jpg", "/lo/low.jpg", "/maps/third.jpg"}) {
        app.settings.projectImage = image;
        f.click("Command11");
    }
    auto* images = f.child<QListWidget>("List1");
    ASSERT_EQ(images->count(), 2);  // a third image is not taken
    EXPECT_TRUE(enabled(f, "Command25"));
    select(images, 0);
    f.click("Command12");
    EXPECT_EQ(app.settings.multiResolutionFolders, std::vector<std::string>{"/lo"});
    f.click("Command13");
    EXPECT_EQ(images->count(), 0);
    EXPECT_FALSE(enabled(f, "Command25"));

    f.click("Check6");
    f.click("Check2");
    const std::string tiles = openTilesFolder(f, dir);
    for (int twice = 0; twice < 2; ++twice) {
        f.click("Command15");
        f.waitForRun();
    }
    auto* folders = f.child<QListWidget>("List2");
    ASSERT_EQ(folders->count(), 1);
    EXPECT_EQ(folders->item(0)->text().toStdString(), tiles);
    EXPECT_EQ(f.dialogs.messages.back().text, "This folder already exists in the list");
    EXPECT_TRUE(enabled(f, "Command25"));
    select(folders, 0);
    f.click("Command16");
    EXPECT_EQ(folders->count(), 0);
    EXPECT_FALSE(enabled(f, "Command25"));
}

// With "Write a preview page" ticked, "Preview" opens the page the run wrote.
TEST(WindowRuns, TransformOfAFolderRunsOnTheWorkerAndStartsGoogleEarth) {
    testing::ScratchDir dir;
    WindowFixture f;
    const std::string tiles = openTilesFolder(f, dir);
    ASSERT_TRUE(enabled(f, "Command25"));
    AppState& app = f.window->app();
    app.settings.projectName = "Area";
    app.settings.googleEarthProgram = "/opt/earth/googleearth";
    f.child<QCheckBox>("previewPage")->click();
    EXPECT_FALSE(enabled(f, "openPreview"));
    // The toolbar key "Start" is the Transform button.
    ASSERT_TRUE(f.child<QAction>("Start")->isEnabled());
    f.child<QAction>("Start")->trigger();
    EXPECT_FALSE(enabled(f, "Command25"));
    EXPECT_FALSE(f.child<QAction>("Start")->isEnabled());
    f.waitForRun();
    ASSERT_EQ(f.dialogs.started.size(), 1u) << app.statusText();
    EXPECT_EQ(f.dialogs.started[0],
              (std::vector<std::string>{"/opt/earth/googleearth", tiles + "/Area.kml"}));
    EXPECT_TRUE(std::filesystem::exists(tiles + "/Area.kml"));
    auto* bar = f.child<QProgressBar>("progress");
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(enabled(f, "Command25"));
    EXPECT_TRUE(enabled(f, "Command26"));
    EXPECT_TRUE(enabled(f, "Frame1"));
    EXPECT_TRUE(f.dialogs.messages.empty()) << f.dialogs.messages[0].text;
    // The status bar names the result; its folder and the preview page open from there.
    EXPECT_EQ(f.child<QLabel>("resultFile")->text().toStdString(),
              "Result: " + tiles + "/Area.kml");
    f.click("openResultFolder");
    f.click("openPreview");
    EXPECT_EQ(f.dialogs.openedUrls, (std::vector<std::string>{tiles, tiles + "/Area.html"}));

    // The output KML path shows where each run wrote its top file, not where an earlier went.
    auto* kmlPath = f.child<QLineEdit>("kmlpath");
    EXPECT_EQ(kmlPath->text().toStdString(), tiles);
    app.settings.outputFolder = dir / "out";
    f.click("Command25");
    f.waitForRun();
    EXPECT_EQ(kmlPath->text().toStdString(), dir / "out");
}

TEST(WindowRuns, CancelEndsATransform) {
    testing::ScratchDir dir;
    WindowFixture f;
    openTilesFolder(f, dir);
    f.click("Command25");
    f.click("Cancel");
    f.waitForRun();
    EXPECT_EQ(f.child<QLabel>("StatusText")->text(), "The run was cancelled.");
    EXPECT_TRUE(f.dialogs.started.empty());
    EXPECT_TRUE(enabled(f, "Command25"));
}

}  // namespace
}  // namespace orvanta
