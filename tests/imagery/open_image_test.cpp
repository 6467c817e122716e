#include "imagery/open_image.h"
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
        app.run.LargeImageMode = !large;
        app.run.KmlOnlyMode = true;
        app.run.PaddedPieces = "1";
        app.settings.Largeimage = "big.tif";
        app.settings.List2 = {"a", "b"};
        app.settings.List1 = {"hi.jpg"};
        app.settings.List3 = {"dir"};
        app.settings.Check2 = 1;
        app.settings.tilesdirr = "tiles";
        app.settings.imagename = "old";
        app.settings.Projectimage = "kept.jpg";
        app.enabled.Command26 = true;
        app.enabled.List2 = true;

        reset(app);
        EXPECT_EQ(app.run.LargeImageMode, large);
        EXPECT_EQ(app.settings.Largeimage, large ? "big.tif" : "");
        EXPECT_EQ(app.enabled.Command26, large);
        EXPECT_FALSE(app.run.KmlOnlyMode);
        EXPECT_EQ(app.run.PaddedPieces, "0");
        EXPECT_TRUE(app.settings.List2.empty());
        EXPECT_TRUE(app.settings.List1.empty());
        EXPECT_TRUE(app.settings.List3.empty());
        EXPECT_EQ(app.settings.Check2, 0);
        EXPECT_FALSE(app.enabled.List2);
        EXPECT_TRUE(app.settings.tilesdirr.empty());
        EXPECT_TRUE(app.settings.imagename.empty());
        EXPECT_EQ(app.settings.Projectimage, "kept.jpg");  // replaced only when a file is chosen

        // With "Multi Resolution Imagery" checked its lists survive.
        app.settings.Check6 = 1;
        app.settings.List1 = {"hi.jpg"};
        reset(app);
        EXPECT_EQ(app.settings.List1.size(), 1u);
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
    EXPECT_EQ(app.settings.projdir, dir.path().string());
    EXPECT_EQ(app.settings.kmlpath, dir.path().string());
    EXPECT_EQ(app.settings.imagename, "area");
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
    EXPECT_TRUE(app.settings.Projectimage.empty());  // closed
}

TEST_F(OpenImageTest, ProjectedWorldFileIsRefused) {
    open("utm.png");
    testing::writeFile(dir / "utm.pgw", "30\n0\n0\n-30\n500000\n4649776\n");
    EXPECT_FALSE(acceptProjectWorldFile(app, projectWorldFilePath(app.settings)));
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{kImageNotWgs84Message});
    EXPECT_TRUE(app.settings.Projectimage.empty());
}

TEST_F(OpenImageTest, CancelledDialogKeepsOnlyTheReset) {
    app.settings.tilesdirr = "tiles";
    app.settings.Projectimage = "kept.jpg";
    EXPECT_FALSE(OpenImage(app));
    EXPECT_TRUE(app.settings.tilesdirr.empty());
    EXPECT_EQ(app.settings.Projectimage, "kept.jpg");
    EXPECT_FALSE(app.enabled.Command25);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(OpenImageTest, TileSizedImageIsOpenedAndPreviewed) {
    host.fileAnswers.push_back(image("tile.jpg", 1024, 1024));
    app.settings.Check5 = 1;
    const std::optional<Preview> preview = OpenImage(app);
    EXPECT_TRUE(host.messages.empty()) << host.messageTexts()[0];
    EXPECT_EQ(app.run.sizeClass, SizeClass::S1024);
    EXPECT_EQ(app.settings.imagename, "tile");
    EXPECT_TRUE(app.enabled.Command25);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->size, (PreviewSize{427, 427, false}));
    EXPECT_EQ(preview->picture.width(), 427);
    EXPECT_EQ(preview->picture.height(), 427);

    // "Image Preview" shows the same again; with no image open it does nothing.
    EXPECT_EQ(ImagePreview(app)->picture.width(), 427);
    app.CloseProject();
    EXPECT_FALSE(ImagePreview(app));
}

TEST_F(OpenImageTest, OtherSizesAreRefusedAndTheProjectClosed) {
    host.fileAnswers.push_back(image("odd.png", 300, 200));
    EXPECT_FALSE(OpenImage(app));
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{kNotTileSizeMessage});
    EXPECT_TRUE(app.settings.Projectimage.empty());
    EXPECT_FALSE(app.enabled.Command25);
}

TEST_F(OpenImageTest, GeoTiffGetsItsWorldFileFromTheListingProgram) {
    const std::string tiff = image("geo.tif", 1024, 1024, false);
    host.fileAnswers.push_back(tiff);
    host.onRun = [&](const std::vector<std::string>& argv) {
        testing::writeWorldFile(dir / "geo.tfw", 0.01, -0.01, 10, 50);
        EXPECT_EQ(argv.back(), tiff);
        return std::optional<int>(0);
    };
    app.settings.Check6 = 1;  // multi-resolution: Transform stays as it was
    EXPECT_FALSE(OpenImage(app));
    EXPECT_EQ(host.ran.size(), 1u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(app.settings.Projectimage, tiff);
    EXPECT_FALSE(app.enabled.Command25);
}

}  // namespace
}  // namespace orvanta
