#include "app/transform.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/lists.h"
#include "imagery/open_image.h"
#include "job_fixture.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::JobTest;

TEST(RunChoice, FirstMatchingKindWins) {
    ProjectSettings s;
    s.Check2 = 1;
    EXPECT_EQ(chooseRun(s), RunKind::Folder);  // an empty folder list is no batch
    s.List2 = {"/a"};
    EXPECT_EQ(chooseRun(s), RunKind::Batch);
    s.Projectimage = "/a.jpg";
    EXPECT_EQ(chooseRun(s), RunKind::SingleImage);
    s.Check6 = 1;
    EXPECT_EQ(chooseRun(s), RunKind::MultiResolution);
}

class TransformTest : public JobTest {};

TEST_F(TransformTest, ProjectTopKmlIsChosenByTheKindOfProject) {
    ProjectSettings& s = app.settings;
    s.projname = "Area";
    s.tilesdirr = "/t";
    EXPECT_EQ(projectTopKmlPath(app), "/t/Area.kml");
    s.Check2 = 1;
    s.List2 = {"/a", "/b", "/c"};
    app.tilescount = "2";
    EXPECT_EQ(projectTopKmlPath(app), "/c/Area2.kml");  // the last folder of the last batch
    app.tilescount = "7";
    EXPECT_EQ(projectTopKmlPath(app), "");
    s.tilesdirr.clear();
    s.Projectimage = "/Documents and Settings/user/maps/area.jpg";
    s.projdir = "/Documents and Settings/user/maps";
    s.imagename = "area";
    EXPECT_EQ(projectTopKmlPath(app), "/Documents and Settings/user/maps/area.kml");
}

TEST_F(TransformTest, FolderRunTilesThenWritesKmlAndEnablesLoad) {
    const std::string folder = folderOfTiles("tiles", 2);
    app.settings.projname = "Area";
    app.settings.Check3 = 0;
    useTilesFolder(app, folder);
    ASSERT_TRUE(app.enabled.Command25);
    Transform(app);
    EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
    EXPECT_TRUE(fs::exists(folder + "/Area.kml"));
    EXPECT_TRUE(fs::exists(folder + "/Tgroup1/Sgroup1/t1_3_3.JPG"));
    EXPECT_EQ(app.statusText(), "KML files was written successfully...");
    EXPECT_TRUE(app.enabled.Command26 && app.enabled.Command30);
    EXPECT_TRUE(host.started.empty());
}

TEST_F(TransformTest, RegenerationKeepsTilesAndALaterTransformCutsAgain) {
    const std::string folder = folderOfTiles("tiles", 1);
    app.settings.projname = "Area";
    app.settings.Check3 = 0;
    useTilesFolder(app, folder);
    Transform(app);
    const std::string tile = folder + "/Tgroup1/Sgroup1/t0.JPG";
    const std::string kml = folder + "/kml/t0.kml";
    const auto old = fs::last_write_time(tile) - std::chrono::hours(1);
    fs::last_write_time(tile, old);
    fs::last_write_time(kml, old);

    app.settings.Combo4 = "HIGH";
    ReGenerateKmlFiles(app);
    EXPECT_TRUE(app.run.KmlOnlyMode);
    EXPECT_EQ(fs::last_write_time(tile), old);
    EXPECT_NE(fs::last_write_time(kml), old);
    EXPECT_NE(testing::readFile(kml).find("<minLodPixels>384</minLodPixels>"), std::string::npos);

    Transform(app);
    EXPECT_FALSE(app.run.KmlOnlyMode);
    EXPECT_NE(fs::last_write_time(tile), old);
}

TEST_F(TransformTest, MultiResolutionRunsHighThenLowAndStartsGoogleEarthTwice) {
    const std::string high = tile(dir / "hi", "city");
    const std::string low = tile(dir / "lo", "region");
    app.settings.Check6 = 1;
    app.applyMultiResolutionRule();
    for (const std::string& image : {high, low}) {
        resetForOpenImage(app);
        ASSERT_TRUE(openImageFile(app, image));
        Command11(app);
    }
    ASSERT_TRUE(app.enabled.Command25);
    app.settings.Check3 = 1;
    app.settings.pathtogoogle = "/earth";
    Transform(app);
    ASSERT_EQ(host.started.size(), 2u);
    EXPECT_EQ(host.started[0], (std::vector<std::string>{"/earth", dir / "hi/city.kml"}));
    EXPECT_EQ(host.started[1], (std::vector<std::string>{"/earth", dir / "lo/region.kml"}));
    EXPECT_EQ(app.settings.Check3, 0);
    // The high resolution image is drawn over the low one.
    EXPECT_NE(testing::readFile(dir / "hi/city/kml/city.kml").find("<minLodPixels>384"),
              std::string::npos);
    EXPECT_EQ(testing::readFile(dir / "lo/region/kml/region.kml").find("<minLodPixels>384"),
              std::string::npos);

    // Regeneration starts it twice again, whatever Check3 holds.
    host.started.clear();
    ReGenerateKmlFiles(app);
    EXPECT_EQ(host.started.size(), 2u);
    EXPECT_EQ(app.settings.Check3, 0);
}

TEST_F(TransformTest, MultiResolutionEndsWhenAnImageCannotBeTiled) {
    const std::string high = tile(dir / "hi", "city");
    app.settings.Check6 = 1;
    app.settings.List1 = {high, dir / "lo/missing.jpg"};
    app.settings.Check3 = 1;
    Transform(app);
    EXPECT_TRUE(host.started.empty());
    EXPECT_FALSE(app.enabled.Command26);
    EXPECT_FALSE(host.messages.empty());
}

TEST_F(TransformTest, LoadInGoogleEarthNeedsTheKmlFile) {
    app.settings.projname = "Area";
    app.settings.tilesdirr = dir / "none";
    LoadInGoogleEarth(app);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{kMissingProjectKmlMessage});
    EXPECT_TRUE(host.started.empty());

    testing::writeFile(dir / "Area.kml", "<kml/>");
    app.settings.tilesdirr = dir.path().string();
    app.settings.pathtogoogle = "/earth";
    LoadInGoogleEarth(app);
    EXPECT_EQ(host.started.back(), (std::vector<std::string>{"/earth", dir / "Area.kml"}));
}

}  // namespace
}  // namespace orvanta
