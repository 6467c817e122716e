#include "app/open_image.h"
#include "imagery/geo_image.h"

#include <gtest/gtest.h>

#include "imagery/image_header.h"
#include "imagery/world_file.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"
#include "tiling/large_slicer.h"

namespace orvanta {
namespace {

using testing::FakeHost;
using testing::ScratchDir;

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

// "Open Image" and "Open Large Image" clear the other inputs alike; each sets its own mode,
// and only the large image keeps the slicer's input and its button.
TEST(OpenImage, ResetLeavesOnlyTheInputOfTheCommand) {
    for (const bool large : {false, true}) {
        SCOPED_TRACE(large ? "large image" : "image");
        void (*const reset)(AppState&) = large ? resetForOpenLargeImage : resetForOpenImage;
        FakeHost host;
        AppState app(host);
        app.run.largeImageMode = !large;
        app.run.kmlOnly = true;
        app.run.paddedPieces = true;
        app.settings.largeImage = "big.tif";
        app.settings.batchFolders = {"a", "b"};
        app.settings.multiResolutionImages = {"hi.jpg"};
        app.settings.multiResolutionFolders = {"dir"};
        app.settings.multipleFolders = true;
        app.settings.tilesFolder = "tiles";
        app.settings.imageName = "old";
        app.settings.projectImage = "kept.jpg";
        app.enabled.loadInGoogleEarth = true;
        app.enabled.batchFolders = true;

        reset(app);
        EXPECT_EQ(app.run.largeImageMode, large);
        EXPECT_EQ(app.settings.largeImage, large ? "big.tif" : "");
        EXPECT_EQ(app.enabled.loadInGoogleEarth, large);
        EXPECT_FALSE(app.run.kmlOnly);
        EXPECT_EQ(app.run.paddedPieces, "0");
        EXPECT_TRUE(app.settings.batchFolders.empty());
        EXPECT_TRUE(app.settings.multiResolutionImages.empty());
        EXPECT_TRUE(app.settings.multiResolutionFolders.empty());
        EXPECT_EQ(app.settings.multipleFolders, 0);
        EXPECT_FALSE(app.enabled.batchFolders);
        EXPECT_TRUE(app.settings.tilesFolder.empty());
        EXPECT_TRUE(app.settings.imageName.empty());
        EXPECT_EQ(app.settings.projectImage, "kept.jpg");  // replaced only when a file is chosen

        // With "Multi Resolution Imagery" checked its lists survive.
        app.settings.multiResolution = true;
        app.settings.multiResolutionImages = {"hi.jpg"};
        reset(app);
        EXPECT_EQ(app.settings.multiResolutionImages.size(), 1u);
    }
}

class OpenImageTest : public ::testing::Test {
  protected:
    FakeHost host;
    AppState app{host};
    ScratchDir dir;

    // Takes a file of the name as the project image, without looking at its content.
    void open(const std::string& name) {
        testing::writeFile(dir / name, "pixels");
        takeProjectImage(app, dir / name);
    }
    // A real image, with a world file unless told otherwise.
    std::string image(const std::string& name, int width, int height, bool world = true) {
        const std::string path = dir / name;
        testing::makeImage(path, width, height);
        if (world) {
            const std::string base = path.substr(0, path.rfind('.'));
            const std::string ext = getworldfile(path.substr(path.rfind('.') + 1));
            testing::writeWorldFile(base + "." + ext, 0.01, -0.01, 10, 50);
        }
        return path;
    }
};

TEST_F(OpenImageTest, WorldFileIsFoundBesideTheImage) {
    open("area.JPG");
    EXPECT_EQ(app.settings.imageFolder, dir.path().string());
    EXPECT_EQ(app.settings.kmlFolder, dir.path().string());
    EXPECT_EQ(app.settings.imageName, "area");
    EXPECT_EQ(projectWorldFilePath(app.settings), dir / "area.jgw");

    testing::writeFile(dir / "AREA.JGW", "0.1\n0\n0\n-0.1\n10\n50\n");
    EXPECT_TRUE(acceptProjectWorldFile(app, projectWorldFilePath(app.settings)));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(OpenImageTest, MissingWorldFileClosesTheProject) {
    open("area.tif");
    EXPECT_FALSE(acceptProjectWorldFile(app, projectWorldFilePath(app.settings)));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "There are no reference 'world file' associated with this image. OVT cannot "
              "process unreferenced images. A World file named: 'area.tfw' has to exists in the "
              "folder '" +
                  dir.path().string() + "/'");
    EXPECT_EQ(host.messages[0].title, kAppTitle);
    EXPECT_TRUE(app.settings.projectImage.empty());  // closed
}

TEST_F(OpenImageTest, ProjectedWorldFileIsRefused) {
    open("utm.png");
    testing::writeFile(dir / "utm.pgw", "30\n0\n0\n-30\n500000\n4649776\n");
    EXPECT_FALSE(acceptProjectWorldFile(app, projectWorldFilePath(app.settings)));
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{kImageNotWgs84Message});
    EXPECT_TRUE(app.settings.projectImage.empty());
}

TEST_F(OpenImageTest, CancelledDialogKeepsOnlyTheReset) {
    app.settings.tilesFolder = "tiles";
    app.settings.projectImage = "kept.jpg";
    EXPECT_FALSE(OpenImage(app));
    EXPECT_TRUE(app.settings.tilesFolder.empty());
    EXPECT_EQ(app.settings.projectImage, "kept.jpg");
    EXPECT_FALSE(app.enabled.transform);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(OpenImageTest, TileSizedImageIsOpenedAndPreviewed) {
    host.fileAnswers.push_back(image("tile.jpg", 1024, 1024));
    app.settings.previewImage = true;
    const std::optional<Preview> preview = OpenImage(app);
    EXPECT_TRUE(host.messages.empty()) << host.messageTexts()[0];
    EXPECT_EQ(app.run.sizeClass, SizeClass::S1024);
    EXPECT_EQ(app.settings.imageName, "tile");
    EXPECT_TRUE(app.enabled.transform);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->size, (PreviewSize{427, 427, false}));
    EXPECT_EQ(preview->picture.width(), 427);
    EXPECT_EQ(preview->picture.height(), 427);

    // "Image Preview" shows the same again; with no image open it does nothing.
    EXPECT_EQ(ImagePreview(app)->picture.width(), 427);
    app.closeProject();
    EXPECT_FALSE(ImagePreview(app));
}

TEST_F(OpenImageTest, OtherSizesAreRefusedAndTheProjectClosed) {
    host.fileAnswers.push_back(image("odd.png", 300, 200));
    EXPECT_FALSE(OpenImage(app));
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{kNotTileSizeMessage});
    EXPECT_TRUE(app.settings.projectImage.empty());
    EXPECT_FALSE(app.enabled.transform);
}

TEST_F(OpenImageTest, GeoTiffGetsItsWorldFileFromTheListingProgram) {
    const std::string tiff = image("geo.tif", 1024, 1024, false);
    host.fileAnswers.push_back(tiff);
    host.onRun = [&](const std::vector<std::string>& argv) {
        testing::writeWorldFile(dir / "geo.tfw", 0.01, -0.01, 10, 50);
        EXPECT_EQ(argv.back(), tiff);
        return std::optional<int>(0);
    };
    app.settings.multiResolution = true;  // multi-resolution: Transform stays as it was
    EXPECT_FALSE(OpenImage(app));
    EXPECT_EQ(host.ran.size(), 1u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(app.settings.projectImage, tiff);
    EXPECT_FALSE(app.enabled.transform);
}

}  // namespace
}  // namespace orvanta
