#include "app/open_image.h"

#include <gtest/gtest.h>

#include "app/large_image.h"
#include "imagery/geo_image.h"
#include "imagery/image_header.h"
#include "support/fake_host.h"
#include "support/geo_images.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

using testing::FakeHost;

TEST(ImagePreview, UpTo800By600AsTheyAreLargerAtMost72PercentOfTheBox) {
    const std::vector<std::pair<std::pair<int, int>, PreviewSize>> cases = {
        {{800, 600}, {800, 600, true}},    {{20, 600}, {20, 600, true}},
        {{801, 600}, {570, 427, false}},   {{4096, 4096}, {412, 412, false}},
        {{2048, 2048}, {427, 427, false}}, {{10000, 5000}, {576, 288, false}},
        {{600, 601}, {427, 428, false}},  // height decides
        {{90000, 10}, {0, 0, false}},     // rounds to nothing
    };
    for (const auto& [size, expected] : cases)
        EXPECT_EQ(previewSize(size.first, size.second), expected) << size.first;
    // The viewer: the picture plus its frame, in twips, centred on the screen.
    EXPECT_EQ(viewerGeometry({576, 288, false}, 1920, 1080, 15),
              (ViewerGeometry{10030, 5725, 8740, 4750}));
}

// "Open Image" and "Open Large Image" reset the project before their dialog, cancelled here:
// each sets its own mode, only the large image keeps the slicer's input and its button, and the
// multi-resolution lists survive while "Multi Resolution Imagery" is checked.
TEST(OpenImage, CancelledDialogLeavesOnlyTheResetOfTheCommand) {
    for (const bool large : {false, true}) {
        FakeHost host;
        AppState app(host);
        app.run.largeImageMode = !large;
        app.lastOutcome.googleEarthFile = "/last.kml";
        app.settings.largeImage = "big.tif";
        app.settings.tilesFolder = "tiles";
        app.settings.projectImage = "kept.jpg";
        app.settings.multiResolutionImages = {"hi.jpg"};
        app.settings.multiResolution = large;
        EXPECT_FALSE(large ? OpenLargeImage(app) : OpenImage(app));
        EXPECT_EQ(app.run.largeImageMode, large);
        EXPECT_EQ(app.settings.largeImage, large ? "big.tif" : "");
        EXPECT_EQ(app.enabledNow().loadInGoogleEarth, large);
        EXPECT_EQ(app.settings.multiResolutionImages.size(), large ? 1u : 0u);
        EXPECT_TRUE(app.settings.tilesFolder.empty());
        EXPECT_EQ(app.settings.projectImage, "kept.jpg");  // replaced only when a file is chosen
    }
}

class OpenImageTest : public ::testing::Test {
  protected:
    FakeHost host;
    AppState app{host};
    testing::ScratchDir dir;

    // A real image, with a world file of the given name unless that is empty.
    std::string image(const std::string& name, int width, int height, const std::string& world) {
        testing::makeImage(dir / name, width, height);
        if (!world.empty())
            testing::writeWorldFile(dir / world, 0.01, -0.01, 10, 50);
        return dir / name;
    }
};

// The window's tests show the facts and the preview; here the project it leaves.
TEST_F(OpenImageTest, TileSizedImageIsOpenedWithItsWorldFileInAnyCase) {
    host.fileAnswers.push_back(image("tile.JPG", 1024, 1024, "TILE.JGW"));
    EXPECT_FALSE(OpenImage(app));  // "Preview Image" is not checked
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(app.run.sizeClass, SizeClass::S1024);
    EXPECT_EQ(app.settings.imageName, "tile");
    EXPECT_EQ(app.settings.kmlFolder, dir.path().string());
    EXPECT_TRUE(app.enabled.transform);
    app.closeProject();
    EXPECT_FALSE(ImagePreview(app));
}

// An image without its world file, one placed in projected metres, one of no tile size and one
// that cannot be read are each refused with their message, and the project is closed.
TEST_F(OpenImageTest, RefusedImagesCloseTheProject) {
    testing::writeFile(dir / "utm.pgw", "30\n0\n0\n-30\n500000\n4649776\n");
    const std::string unreadable = dir / "cut.jpg";
    testing::writeFile(unreadable, "\xff\xd8 cut short");
    testing::writeWorldFile(dir / "cut.jgw", 0.01, -0.01, 10, 50);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {image("area.jpg", 8, 8, ""),
         "There are no reference 'world file' associated with this image. OVT cannot process "
         "unreferenced images. A World file named: 'area.jgw' has to exists in the folder '" +
             dir.path().string() + "/' No world file was found beside the image '" +
             dir / "area.jpg" + "': looked for 'area.jgw', 'area.jpgw' and 'area.wld'."},
        {image("utm.png", 1024, 1024, ""),
         std::string(kImageNotWgs84Message) + " Lines 5 and 6 of the world file '" +
             dir / "utm.pgw" +
             "' place the upper-left pixel at 500000, 4649776, beyond longitude -180 to 180 and "
             "latitude -90 to 90: an image in a projected coordinate system must first be "
             "warped to WGS84 latitude/longitude." +
             kReprojectHint},
        {image("odd.png", 300, 200, "odd.pgw"),
         std::string(kNotTileSizeMessage) +
             " It is 300x200 pixels. An image of any other size is tiled with the \"Large Image "
             "Slicer\" button, which cuts it into 4096 pieces first."},
        {unreadable, "The image '" + unreadable +
                         "' cannot be read: it is damaged, empty or not an image. Please open "
                         "another one."},
    };
    for (const auto& [path, message] : cases) {
        FakeHost fresh;
        AppState state(fresh);
        fresh.fileAnswers.push_back(path);
        EXPECT_FALSE(OpenImage(state));
        EXPECT_EQ(fresh.messageTexts(), std::vector<std::string>{message});
        EXPECT_TRUE(state.settings.projectImage.empty()) << path;
    }
}

TEST_F(OpenImageTest, GeoTiffGetsItsWorldFileFromTheListingProgram) {
    const std::string tiff = image("geo.tif", 1024, 1024, "");
    host.fileAnswers.push_back(tiff);
    // The program writes beside the path it is given: a link to the image.
    host.onRun = [&](const std::vector<std::string>& argv) {
        testing::writeWorldFile(argv.back().substr(0, argv.back().size() - 3) + "tfw", 0.01, -0.01,
                                10, 50);
        return std::optional<int>(0);
    };
    app.settings.multiResolution = true;  // multi-resolution: Transform stays as it was
    EXPECT_FALSE(OpenImage(app));
    ASSERT_EQ(host.ran.size(), 1u);
    EXPECT_TRUE(host.ran[0].back().ends_with("/geo.tif"));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(app.settings.projectImage, tiff);
    EXPECT_FALSE(app.enabled.transform);
}

// In the window an image in another coordinate system is offered to be warped in place of
// the refusal: No declines and leaves an empty project; Yes makes it a large image whatever
// its size, Transform enabled.
TEST_F(OpenImageTest, ImageInAnotherSystemIsOfferedToBeWarped) {
    testing::makeGeoImage(dir / "utm.tif", 1024, 1024, {300000, 10, 0, 5500000, 0, -10},
                          "EPSG:32633");
    app.reprojection.choice = ReprojectionChoice::Ask;
    for (const bool yes : {false, true}) {
        host.yesNoAnswers = {yes};
        host.fileAnswers = {dir / "utm.tif"};
        OpenImage(app);
        ASSERT_EQ(host.questions.size(), yes ? 2u : 1u);
        EXPECT_NE(host.questions.back().text.find("It is in WGS 84 / UTM zone 33N (EPSG:32633). "
                                                  "Warp it to WGS84 latitude/longitude"),
                  std::string::npos);
        EXPECT_EQ(app.enabled.transform, yes);
        EXPECT_EQ(warpedProjectImage(app) != nullptr, yes);
        EXPECT_EQ(app.settings.projectImage, yes ? dir / "utm.tif" : "");
    }
    EXPECT_TRUE(app.run.largeImageMode);
    EXPECT_EQ(app.run.sizeClass, SizeClass::None);
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace orvanta
