#include "tiling/large_slicer.h"
#include "imagery/geo_image.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "magick/commands.h"
#include "platform/text_file.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

using testing::FakeHost;
using testing::ScratchDir;

TEST(SliceLargeImage, CropArgumentsCarryLimitsWithUnits) {
    EXPECT_EQ(sliceArguments("/in/big.tif", "1024", "20", "/in/bigL", "big", "JPG"),
              (std::vector<std::string>{"/in/big.tif", "-limit", "Memory", "1024MiB", "-limit",
                                        "map", "4096MiB", "-limit", "disk", "20GiB", "-crop",
                                        "4096x4096", "+repage", "/in/bigL/big_%d.JPG"}));
    // Limits are whole numbers whatever the settings hold.
    const auto args = sliceArguments("a.png", "768 MB", "junk", "f", "a", "png");
    EXPECT_EQ(args[3], "768MiB");
    EXPECT_EQ(args[9], "0GiB");
}

WorldFile world(double a, double c, double f) {
    char text[128];
    std::snprintf(text, sizeof text, "%.17g\n0\n0\n%.17g\n%.17g\n%.17g\n", a, -a, c, f);
    return parseWorldFile(text);
}

TEST(SliceLargeImage, PaddedPiecesOfAWholeWorldImageLeaveTheGlobe) {
    // 2048 x 1024 over the whole world: one 4096 piece reaches twice around.
    const double a = 360.0 / 2048;
    const auto whole = paddedPieceExtent(2048, 1024, world(a, -180 + a / 2, 90 - a / 2));
    ASSERT_TRUE(whole);
    EXPECT_DOUBLE_EQ(whole->east, -180 + a / 2 + 4096 * a);
    EXPECT_TRUE(beyondTheGlobe(*whole));

    // 12000 x 9000 over Europe at 0.0005 degrees: 3 x 3 pieces end well inside.
    const auto europe = paddedPieceExtent(12000, 9000, world(0.0005, 5, 50));
    ASSERT_TRUE(europe);
    EXPECT_DOUBLE_EQ(europe->east, 5 + 3 * 4096 * 0.0005);
    EXPECT_DOUBLE_EQ(europe->south, 50 - 3 * 4096 * 0.0005);
    EXPECT_FALSE(beyondTheGlobe(*europe));

    EXPECT_FALSE(paddedPieceExtent(100, 100, parseWorldFile("x\n0\n0\n-1\n0\n0\n")));
}

class LargeImage : public ::testing::Test {
  protected:
    ScratchDir dir;
    FakeHost host;
    AppState app{host};

    // A large image with its world file, open as the project image.
    void largeImage(int width, int height, double a, double c, double f) {
        const std::string image = dir / "big.jpg";
        testing::makeImage(image, width, height);
        testing::writeWorldFile(dir / "big.jgw", a, -a, c, f);
        app.settings.projectImage = app.settings.largeImage = image;
        app.settings.imageFolder = dir.path().string();
        app.settings.imageName = "big";
        app.settings.widthText = std::to_string(width);
        app.settings.heightText = std::to_string(height);
    }
};

TEST_F(LargeImage, AnySizeIsAcceptedInLargeImageMode) {
    testing::makeImage(dir / "odd.png", 300, 200);
    testing::writeWorldFile(dir / "odd.pgw", 0.01, -0.01, 10, 50);
    host.fileAnswers.push_back(dir / "odd.png");
    app.settings.previewImage = true;
    const std::optional<Preview> preview = OpenLargeImage(app);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(app.run.largeImageMode);
    EXPECT_EQ(app.run.sizeClass, SizeClass::None);
    // Transform is what slices it, so an accepted image enables it.
    EXPECT_TRUE(app.enabled.transform);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->picture.width(), 300);
    EXPECT_EQ(preview->picture.height(), 200);
}

TEST_F(LargeImage, GeoTiffWithoutWorldFileIsRefusedAtOnce) {
    testing::makeImage(dir / "geo.tif", 300, 200);
    host.fileAnswers.push_back(dir / "geo.tif");
    EXPECT_FALSE(OpenLargeImage(app));
    EXPECT_TRUE(host.ran.empty());  // no world-file conversion is tried
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{imageWithoutWorldFileMessage(
                                       "geo", "tfw", dir.path().string())});
    EXPECT_FALSE(app.run.largeImageMode);  // the project is closed
}

TEST_F(LargeImage, PiecesAreCutPaddedAndLocatedOverAnExistingFolder) {
    largeImage(300, 200, 0.0001, 10, 45);
    const std::string folder = dir / "bigL";
    std::filesystem::create_directory(folder);
    testing::writeFile(folder + "/big_0.JPG", "stale");

    ASSERT_TRUE(SliceLargeImage(app, {}));

    EXPECT_EQ(pingImageSize(folder + "/big_0.JPG"), (PixelSize{4096, 4096}));
    EXPECT_EQ(readTextLines(folder + "/big_0.jgw")[4], "10");
    EXPECT_EQ(app.paddedPieceNames.size(), 17u);
    EXPECT_EQ(app.run.root4096, folder);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LargeImage, ImageReachingBeyondTheGlobeIsSlicedOnlyWhenConfirmed) {
    largeImage(64, 32, 360.0 / 64, -180 + 180.0 / 64, 90 - 180.0 / 64);
    EXPECT_FALSE(SliceLargeImage(app, {}));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].title, kAppTitle);
    EXPECT_NE(host.questions[0].text.find("would reach beyond 180\u00B0 of longitude"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "bigL"));
}

TEST_F(LargeImage, UnreadableImageIsReportedAndNothingFollows) {
    largeImage(300, 200, 0.0001, 10, 45);
    testing::writeFile(app.settings.largeImage, "not an image");
    EXPECT_FALSE(SliceLargeImage(app, {}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.rfind("1 step failed and was skipped. The first failure: "
                                          "-2147215503 ",
                                          0),
              0u)
        << host.messages[0].text;
    EXPECT_FALSE(std::filesystem::exists(dir / "bigL/big_0.jgw"));
    EXPECT_TRUE(std::filesystem::exists(app.settings.largeImage));  // the user's file stays
}

}  // namespace
}  // namespace orvanta
