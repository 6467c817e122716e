#include "app/lists.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/batch.h"
#include "app/project_file.h"
#include "app/transform.h"
#include "job_fixture.h"
#include "kml/kml_tree.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
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
    fs::create_symlink(folder, dir / "TILES");
    useTilesFolder(app, dir / "TILES");
    addTilesFolder(app);
    EXPECT_EQ(app.settings.batchFolders.size(), 2u);
    // A folder the scan refuses clears the tiles folder.
    fs::create_directories(dir / "empty");
    useTilesFolder(app, dir / "empty");
    addTilesFolder(app);
    EXPECT_EQ(app.settings.tilesFolder, "");
    EXPECT_FALSE(app.enabled.transform);
    EXPECT_EQ(app.settings.batchFolders.size(), 2u);
}

TEST_F(ListsTest, AddSubfoldersTakesEveryUsableOneInNameOrder) {
    for (const char* name : {"e", "b", "a", "d", "c"})
        tile(dir / ("all/" + std::string(name)), "t");
    fs::create_directories(dir / "all/f-empty");
    app.settings.multipleFolders = true;
    app.settings.tilesFolder = dir / "all";
    addSubfolders(app);
    EXPECT_EQ(app.settings.batchFolders,
              (List{dir / "all/a", dir / "all/b", dir / "all/c", dir / "all/d", dir / "all/e"}));
    EXPECT_EQ(app.settings.tilesFolder, dir / "all/f-empty");
    EXPECT_TRUE(app.enabled.transform);
}

LatLonBounds bounds(double north, double south, double east, double west) {
    return {CoordValue::number(north), CoordValue::number(south), CoordValue::number(east),
            CoordValue::number(west)};
}

TEST(BatchTopKml, LinksEveryFolderWithTheExactLines) {
    const std::string text =
        batchTopKmlText("Area", bounds(20, 5, 20, 5), DisplayOrder::Low, {"/t/a", "/t/b"});
    // Header, root document and footer are the fragments the golden trees pin; the links are
    // written only here.
    const std::string links =
        "    </Region>\r\n"
        "<NetworkLink>\r\n    <name>Area0</name>\r\n    <Link>\r\n"
        "        <href>/t/a/Area0.kml</href>\r\n"
        "        <viewRefreshMode>onRegion</viewRefreshMode>\r\n    </Link>\r\n</NetworkLink>\r\n"
        "<NetworkLink>\r\n    <name>Area1</name>\r\n    <Link>\r\n"
        "        <href>/t/b/Area1.kml</href>\r\n"
        "        <viewRefreshMode>onRegion</viewRefreshMode>\r\n    </Link>\r\n</NetworkLink>\r\n"
        "</Document>\r\n</kml>\r\n";
    EXPECT_EQ(text.substr(text.size() - links.size()), links);
    EXPECT_NE(text.find("<name>Area</name>"), std::string::npos);
    EXPECT_NE(text.find("<north>20</north>\r\n        <south>5</south>"), std::string::npos);
    const std::string relative =
        batchTopKmlText("Area", bounds(1, 0, 1, 0), DisplayOrder::Low, {"/t/a"}, "/t/kml");
    EXPECT_NE(relative.find("<href>../a/Area0.kml</href>"), std::string::npos);
    const std::string high = batchTopKmlText("Area", bounds(1, 0, 1, 0), DisplayOrder::High, {});
    EXPECT_NE(high.find("\r\n            <minLodPixels>384</minLodPixels>\r\n"), std::string::npos);
}

// The batch writes each folder's tree under the output folder and its top file into the KML
// folder, starts Google Earth once, and "Load in GoogleEarth" then opens the root file of the
// last folder where the batch wrote it.
TEST_F(ListsTest, BatchWritesItsTopFileIntoTheOutputFolderAndStartsGoogleEarthOnce) {
    const std::string a = dir / "a", b = dir / "b", out = dir / "out";
    tile(a, "west", 1024, 10);
    tile(b, "east", 1024, 5);
    app.settings.projectName = "Area";
    app.settings.multipleFolders = true;
    app.settings.batchFolders = {a, b};
    app.settings.kmlFolder = dir.path().string();
    app.settings.outputFolder = out;
    app.settings.googleEarthProgram = "/earth";
    const Outcome outcome = MultipleDirectories(app, false);
    app.keep(outcome);
    EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
    EXPECT_EQ(host.started, (std::vector<List>{{"/earth", dir / "Area.kml"}}));
    EXPECT_EQ(outcome.topKmlFiles, List{dir / "Area.kml"});
    EXPECT_EQ(app.statusText(), "Project files was written successfully...");
    EXPECT_TRUE(fs::exists(out + "/a/Area0.kml") && fs::exists(out + "/b/Area1.kml"));
    const std::string top = testing::readFile(dir / "Area.kml");
    EXPECT_NE(top.find("<href>" + out + "/a/Area0.kml</href>"), std::string::npos);
    // West is the smaller of the two folders' wests, east the larger of their easts.
    EXPECT_NE(top.find("<west>5</west>"), std::string::npos) << top;
    EXPECT_NE(top.find("<east>11.024</east>"), std::string::npos) << top;
    EXPECT_EQ(LoadInGoogleEarth(app).ending, Ending::Done);
    EXPECT_EQ(host.started.back(), (List{"/earth", out + "/b/Area1.kml"}));
}

// A cancel in the middle of a batch leaves every setting of the project as it was, the KML
// folder included, and writes no top file.
class CancellingHost : public testing::FakeHost {
  public:
    int treesStarted = 0;
    void statusChanged(const std::string& text) override {
        FakeHost::statusChanged(text);
        if (text == kGeneratingKmlStatus && ++treesStarted == 2)
            throw RunCancelled{};
    }
};

class CancelledBatch : public testing::JobTestOn<CancellingHost> {};

TEST_F(CancelledBatch, LeavesTheSettingsAsTheyWere) {
    tile(dir / "a", "t");
    tile(dir / "b", "t");
    app.settings.multipleFolders = true;
    app.settings.batchFolders = {dir / "a", dir / "b"};
    app.settings.kmlFolder = dir / "top";
    const std::string before = projectFileText(StoredProject{app.settings, app.run.root4096});
    const Outcome outcome = Transform(app);
    EXPECT_EQ(outcome.ending, Ending::Cancelled);
    EXPECT_EQ(projectFileText(StoredProject{app.settings, app.run.root4096}), before);
    EXPECT_FALSE(fs::exists(dir / "top/Default.kml"));
}

}  // namespace
}  // namespace orvanta
