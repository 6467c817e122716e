#include "app/lists.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/batch.h"
#include "job_fixture.h"

namespace orvanta {
namespace {

using testing::JobTest;
using List = std::vector<std::string>;

class ListsTest : public JobTest {};

TEST_F(ListsTest, AddingAFolderTwiceIsRefusedButOtherCapitalsAreNewEntries) {
    const std::string folder = folderOfTiles("Tiles", 1);
    app.settings.multipleFolders = true;
    app.multipleFoldersChanged();
    useTilesFolder(app, folder);
    addTilesFolder(app);
    addTilesFolder(app);
    EXPECT_EQ(host.messageTexts(), List{"This folder already exists in the list"});
    EXPECT_EQ(app.settings.batchFolders, List{folder});
    std::filesystem::create_symlink(folder, dir / "TILES");
    useTilesFolder(app, dir / "TILES");
    addTilesFolder(app);
    EXPECT_EQ(app.settings.batchFolders.size(), 2u);
    clearBatchFolders(app);
    EXPECT_TRUE(app.settings.batchFolders.empty());
    EXPECT_FALSE(app.enabled.transform);
}

TEST_F(ListsTest, RefusedFolderClearsTheTilesFolder) {
    std::filesystem::create_directories(dir / "empty");
    app.settings.multipleFolders = true;
    useTilesFolder(app, dir / "empty");
    addTilesFolder(app);
    EXPECT_EQ(app.settings.tilesFolder, "");
    EXPECT_TRUE(app.settings.batchFolders.empty());
    EXPECT_FALSE(app.enabled.transform);
}

TEST_F(ListsTest, AddSubfoldersTakesEveryUsableOneInNameOrder) {
    for (const char* name : {"e", "b", "a", "d", "c"})
        tile(dir / ("all/" + std::string(name)), "t");
    std::filesystem::create_directories(dir / "all/f-empty");
    app.settings.multipleFolders = true;
    app.settings.tilesFolder = dir / "all";
    addSubfolders(app);
    EXPECT_EQ(app.settings.batchFolders,
              (List{dir / "all/a", dir / "all/b", dir / "all/c", dir / "all/d", dir / "all/e"}));
    EXPECT_EQ(app.settings.tilesFolder, dir / "all/f-empty");
    EXPECT_TRUE(app.enabled.transform);
}

TEST_F(ListsTest, BatchWritesItsTopFileIntoTheOutputFolderAndStartsGoogleEarthOnce) {
    const std::string a = dir / "a", b = dir / "b";
    tile(a, "west", 1024, 10);
    tile(b, "east", 1024, 5);
    app.settings.projectName = "Area";
    app.settings.multipleFolders = true;
    app.settings.batchFolders = {a, b};
    app.settings.kmlFolder = dir.path().string();
    app.settings.openWhenDone = true;
    app.settings.googleEarthProgram = "/earth";
    MultipleDirectories(app);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.started, (std::vector<List>{{"/earth", dir / "Area.kml"}}));
    EXPECT_EQ(app.settings.openWhenDone, 1);
    EXPECT_EQ(app.statusText(), "Project files was written successfully...");
    EXPECT_TRUE(std::filesystem::exists(a + "/Area0.kml"));
    EXPECT_TRUE(std::filesystem::exists(b + "/Area1.kml"));
    const std::string top = testing::readFile(dir / "Area.kml");
    EXPECT_NE(top.find("<href>" + a + "/Area0.kml</href>"), std::string::npos);
    // West is the smaller of the two folders' wests, east the larger of their easts.
    EXPECT_NE(top.find("<west>5</west>"), std::string::npos) << top;
    EXPECT_NE(top.find("<east>11.024</east>"), std::string::npos) << top;
}

}  // namespace
}  // namespace orvanta
