#include "app/transform.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/lists.h"
#include "app/open_image.h"
#include "job_fixture.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::JobTest;

TEST(RunChoice, FirstMatchingKindWins) {
    ProjectSettings s;
    s.multipleFolders = true;
    EXPECT_EQ(chooseRun(s), RunKind::Folder);  // an empty folder list is no batch
    s.batchFolders = {"/a"};
    EXPECT_EQ(chooseRun(s), RunKind::Batch);
    s.projectImage = "/a.jpg";
    EXPECT_EQ(chooseRun(s), RunKind::SingleImage);
    s.multiResolution = true;
    EXPECT_EQ(chooseRun(s), RunKind::MultiResolution);
}

class TransformTest : public JobTest {};

TEST_F(TransformTest, ProjectTopKmlIsChosenByTheKindOfProject) {
    ProjectSettings& s = app.settings;
    s.projectName = "Area";
    s.tilesFolder = "/t";
    EXPECT_EQ(projectTopKmlPath(app), "/t/Area.kml");
    s.multipleFolders = true;
    s.batchFolders = {"/a", "/b", "/c"};
    app.batchIndex = "2";
    EXPECT_EQ(projectTopKmlPath(app), "/c/Area2.kml");  // the last folder of the last batch
    app.batchIndex = "7";
    EXPECT_EQ(projectTopKmlPath(app), "");
    s.tilesFolder.clear();
    s.projectImage = "/Documents and Settings/user/maps/area.jpg";
    s.imageFolder = "/Documents and Settings/user/maps";
    s.imageName = "area";
    EXPECT_EQ(projectTopKmlPath(app), "/Documents and Settings/user/maps/area.kml");
}

TEST_F(TransformTest, FolderRunTilesThenWritesKmlAndEnablesLoad) {
    const std::string folder = folderOfTiles("tiles", 2);
    app.settings.projectName = "Area";
    app.settings.openWhenDone = false;
    useTilesFolder(app, folder);
    ASSERT_TRUE(app.enabled.transform);
    Transform(app);
    EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
    EXPECT_TRUE(fs::exists(folder + "/Area.kml"));
    EXPECT_TRUE(fs::exists(folder + "/Tgroup1/Sgroup1/t1_3_3.JPG"));
    EXPECT_EQ(app.statusText(), "KML files was written successfully...");
    EXPECT_TRUE(app.enabled.loadInGoogleEarth && app.enabled.regenerateKml);
    EXPECT_TRUE(host.started.empty());
}

TEST_F(TransformTest, RegenerationKeepsTilesAndALaterTransformCutsAgain) {
    const std::string folder = folderOfTiles("tiles", 1);
    app.settings.projectName = "Area";
    app.settings.openWhenDone = false;
    useTilesFolder(app, folder);
    Transform(app);
    const std::string tile = folder + "/Tgroup1/Sgroup1/t0.JPG";
    const std::string kml = folder + "/kml/t0.kml";
    const auto old = fs::last_write_time(tile) - std::chrono::hours(1);
    fs::last_write_time(tile, old);
    fs::last_write_time(kml, old);

    app.settings.drawOrder = "HIGH";
    ReGenerateKmlFiles(app);
    EXPECT_TRUE(app.run.kmlOnly);
    EXPECT_EQ(fs::last_write_time(tile), old);
    EXPECT_NE(fs::last_write_time(kml), old);
    EXPECT_NE(testing::readFile(kml).find("<minLodPixels>384</minLodPixels>"), std::string::npos);

    Transform(app);
    EXPECT_FALSE(app.run.kmlOnly);
    EXPECT_NE(fs::last_write_time(tile), old);
}

TEST_F(TransformTest, MultiResolutionRunsHighThenLowAndStartsGoogleEarthTwice) {
    const std::string high = tile(dir / "hi", "city");
    const std::string low = tile(dir / "lo", "region");
    app.settings.multiResolution = true;
    app.applyMultiResolutionRule();
    for (const std::string& image : {high, low}) {
        resetForOpenImage(app);
        ASSERT_TRUE(openImageFile(app, image));
        addMultiResolutionImage(app);
    }
    ASSERT_TRUE(app.enabled.transform);
    app.settings.openWhenDone = true;
    app.settings.googleEarthProgram = "/earth";
    Transform(app);
    ASSERT_EQ(host.started.size(), 2u);
    EXPECT_EQ(host.started[0], (std::vector<std::string>{"/earth", dir / "hi/city.kml"}));
    EXPECT_EQ(host.started[1], (std::vector<std::string>{"/earth", dir / "lo/region.kml"}));
    EXPECT_EQ(app.settings.openWhenDone, 0);
    // The high resolution image is drawn over the low one.
    EXPECT_NE(testing::readFile(dir / "hi/city/kml/city.kml").find("<minLodPixels>384"),
              std::string::npos);
    EXPECT_EQ(testing::readFile(dir / "lo/region/kml/region.kml").find("<minLodPixels>384"),
              std::string::npos);

    // Regeneration starts it twice again, whatever Check3 holds.
    host.started.clear();
    ReGenerateKmlFiles(app);
    EXPECT_EQ(host.started.size(), 2u);
    EXPECT_EQ(app.settings.openWhenDone, 0);
}

TEST_F(TransformTest, MultiResolutionEndsWhenAnImageCannotBeTiled) {
    const std::string high = tile(dir / "hi", "city");
    app.settings.multiResolution = true;
    app.settings.multiResolutionImages = {high, dir / "lo/missing.jpg"};
    app.settings.openWhenDone = true;
    Transform(app);
    EXPECT_TRUE(host.started.empty());
    EXPECT_FALSE(app.enabled.loadInGoogleEarth);
    EXPECT_FALSE(host.messages.empty());
}

TEST_F(TransformTest, LoadInGoogleEarthNeedsTheKmlFile) {
    app.settings.projectName = "Area";
    app.settings.tilesFolder = dir / "none";
    LoadInGoogleEarth(app);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{kMissingProjectKmlMessage});
    EXPECT_TRUE(host.started.empty());

    testing::writeFile(dir / "Area.kml", "<kml/>");
    app.settings.tilesFolder = dir.path().string();
    app.settings.googleEarthProgram = "/earth";
    LoadInGoogleEarth(app);
    EXPECT_EQ(host.started.back(), (std::vector<std::string>{"/earth", dir / "Area.kml"}));
}

}  // namespace
}  // namespace orvanta
