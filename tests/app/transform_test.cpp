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
using Argv = std::vector<std::string>;

class TransformTest : public JobTest {};

TEST_F(TransformTest, ProjectTopKmlIsChosenByTheKindOfProject) {
    ProjectSettings s;
    s.projectName = "Area";
    s.tilesFolder = "/t";
    EXPECT_EQ(projectTopKmlPath(s), "/t/Area.kml");
    s.multipleFolders = true;
    s.batchFolders = {"/a", "/b", "/c"};
    EXPECT_EQ(projectTopKmlPath(s), "/c/Area2.kml");  // the last folder of the batch
    s.outputFolder = "/o";
    EXPECT_EQ(projectTopKmlPath(s), "/o/c/Area2.kml");
    s.batchFolders.clear();
    EXPECT_EQ(projectTopKmlPath(s), "");
    s.tilesFolder.clear();
    s.projectImage = "/maps/area.jpg";
    s.imageFolder = "/maps";
    s.imageName = "area";
    EXPECT_EQ(projectTopKmlPath(s), "/o/area.kml");
}

TEST_F(TransformTest, FolderRunWritesTilesAndKmlAndRegenerationKeepsTheTiles) {
    const std::string folder = folderOfTiles("tiles", 2);
    app.settings.projectName = "Area";
    app.settings.openWhenDone = false;
    useTilesFolder(app, folder);
    const Outcome first = Transform(app);
    EXPECT_EQ(first.topKmlFiles, Argv{folder + "/Area.kml"});
    EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
    EXPECT_TRUE(app.enabledNow().transform && !app.enabledNow().loadInGoogleEarth);
    app.keep(first);
    EXPECT_EQ(app.statusText(), "KML files was written successfully...");
    EXPECT_TRUE(app.enabledNow().loadInGoogleEarth && app.enabledNow().regenerateKml);

    const std::string tile = folder + "/Tgroup1/Sgroup1/t1_3_3.JPG";
    const auto old = fs::last_write_time(tile) - std::chrono::hours(1);
    fs::last_write_time(tile, old);
    app.settings.drawOrder = DisplayOrder::High;
    EXPECT_EQ(ReGenerateKmlFiles(app).ending, Ending::Done);
    EXPECT_EQ(fs::last_write_time(tile), old);
    EXPECT_NE(testing::readFile(folder + "/kml/t0.kml").find("<minLodPixels>384</minLodPixels>"),
              std::string::npos);
    Transform(app);  // a later Transform cuts the tiles again
    EXPECT_NE(fs::last_write_time(tile), old);
    EXPECT_TRUE(host.started.empty());

    // "Save as KMZ..." writes the KML again with relative links and packs the tree.
    host.fileAnswers = {dir / "area.kmz"};
    EXPECT_EQ(SaveAsKmz(app).archive, dir / "area.kmz");
    EXPECT_NE(testing::readFile(folder + "/Area.kml").find("<href>kml/t0.kml</href>"),
              std::string::npos);
}

// Once the first image is cut, the scratch folder turns into a file: the pieces of the second
// cannot be deleted, a step error that ends the run (not one that skips the step).
class ScratchBreakingHost : public testing::FakeHost {
  public:
    std::string scratch;
    void progress(int done, int total) override {
        FakeHost::progress(done, total);
        if (done == 1 && fs::is_directory(scratch)) {
            fs::remove_all(scratch);
            testing::writeFile(scratch, "");
        }
    }
};

class StepErrorTest : public testing::JobTestOn<ScratchBreakingHost> {};

TEST_F(StepErrorTest, NoKmlTreeIsWrittenAfterAStepErrorEndsTheSplit) {
    const std::string folder = folderOfTiles("tiles", 2);
    host.scratch = folder + "/Tgroup1/Sgroup1/kml";
    app.jobs = 1;
    app.settings.projectName = "Area";
    useTilesFolder(app, folder);
    const Outcome outcome = Transform(app);
    EXPECT_EQ(outcome.ending, Ending::Failed);
    EXPECT_TRUE(outcome.topKmlFiles.empty() && host.started.empty());
    EXPECT_FALSE(fs::exists(folder + "/Area.kml"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.rfind("76 Path not found: " + host.scratch, 0), 0u)
        << host.messages[0].text;
}

TEST_F(TransformTest, MultiResolutionRunsHighThenLowAndStartsGoogleEarthOnlyWhenAsked) {
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
    app.settings.openWhenDone = false;
    app.settings.googleEarthProgram = "/earth";
    const Argv written = {dir / "hi/city.kml", dir / "lo/region.kml"};
    EXPECT_EQ(Transform(app).topKmlFiles, written);
    EXPECT_TRUE(host.started.empty());
    // The high resolution image is drawn over the low one.
    EXPECT_NE(testing::readFile(dir / "hi/city/kml/city.kml").find("<minLodPixels>384"),
              std::string::npos);
    EXPECT_EQ(testing::readFile(dir / "lo/region/kml/region.kml").find("<minLodPixels>384"),
              std::string::npos);

    app.settings.openWhenDone = true;
    EXPECT_EQ(ReGenerateKmlFiles(app).topKmlFiles, written);
    EXPECT_EQ(host.started, (std::vector<Argv>{{"/earth", written[0]}, {"/earth", written[1]}}));
}

TEST_F(TransformTest, LoadInGoogleEarthNeedsTheKmlFile) {
    app.settings.projectName = "Area";
    app.settings.tilesFolder = dir / "none";
    EXPECT_EQ(LoadInGoogleEarth(app).ending, Ending::Failed);
    EXPECT_EQ(host.messageTexts(), Argv{kMissingProjectKmlMessage});
    EXPECT_TRUE(host.started.empty());

    testing::writeFile(dir / "Area.kml", "<kml/>");
    app.settings.tilesFolder = dir.path().string();
    app.settings.googleEarthProgram = "/earth";
    EXPECT_EQ(LoadInGoogleEarth(app).ending, Ending::Done);
    EXPECT_EQ(host.started.back(), (Argv{"/earth", dir / "Area.kml"}));
}

}  // namespace
}  // namespace orvanta
