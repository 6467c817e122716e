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
    app.settings.Check2 = 1;
    app.check2Click();
    useTilesFolder(app, folder);
    Command15(app);
    Command15(app);
    EXPECT_EQ(host.messageTexts(), List{"This folder already exists in the list"});
    EXPECT_EQ(app.settings.List2, List{folder});
    std::filesystem::create_symlink(folder, dir / "TILES");
    useTilesFolder(app, dir / "TILES");
    Command15(app);
    EXPECT_EQ(app.settings.List2.size(), 2u);
    Command17(app);
    EXPECT_TRUE(app.settings.List2.empty());
    EXPECT_FALSE(app.enabled.Command25);
}

TEST_F(ListsTest, RefusedFolderClearsTheTilesFolder) {
    std::filesystem::create_directories(dir / "empty");
    app.settings.Check2 = 1;
    useTilesFolder(app, dir / "empty");
    Command15(app);
    EXPECT_EQ(app.settings.tilesdirr, "");
    EXPECT_TRUE(app.settings.List2.empty());
    EXPECT_FALSE(app.enabled.Command25);
}

TEST_F(ListsTest, AddSubfoldersTakesEveryUsableOneInNameOrder) {
    for (const char* name : {"e", "b", "a", "d", "c"})
        tile(dir / ("all/" + std::string(name)), "t");
    std::filesystem::create_directories(dir / "all/f-empty");
    app.settings.Check2 = 1;
    app.settings.tilesdirr = dir / "all";
    Command28(app);
    EXPECT_EQ(app.settings.List2,
              (List{dir / "all/a", dir / "all/b", dir / "all/c", dir / "all/d", dir / "all/e"}));
    EXPECT_EQ(app.settings.tilesdirr, dir / "all/f-empty");
    EXPECT_TRUE(app.enabled.Command25);
}

TEST_F(ListsTest, BatchWritesItsTopFileIntoTheOutputFolderAndStartsGoogleEarthOnce) {
    const std::string a = dir / "a", b = dir / "b";
    tile(a, "west", 1024, 10);
    tile(b, "east", 1024, 5);
    app.settings.projname = "Area";
    app.settings.Check2 = 1;
    app.settings.List2 = {a, b};
    app.settings.kmlpath = dir.path().string();
    app.settings.Check3 = 1;
    app.settings.pathtogoogle = "/earth";
    MultipleDirectories(app);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.started, (std::vector<List>{{"/earth", dir / "Area.kml"}}));
    EXPECT_EQ(app.settings.Check3, 1);
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
