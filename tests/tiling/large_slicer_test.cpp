#include "tiling/large_slicer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "magick/commands.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"
#include "support/test_policy.h"
#include "tiling/warped_image.h"

namespace orvanta {
namespace {

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

// Pieces are numbered row by row and forget their place in the whole image, which a PNG piece
// would otherwise keep and every later crop of it would count from.
TEST(SliceLargeImage, PiecesReplaceThoseOfAnEarlierRunAndStartAtTheirOwnOrigin) {
    testing::ScratchDir dir;
    testing::FakeHost host;
    testing::TestPolicy policy(host);
    testing::makeImage(dir / "big.png", 5000, 300);
    const std::string folder = dir / "bigL";
    std::filesystem::create_directory(folder);
    // Pieces of an earlier run of a wider source: the extra ones go, other files stay.
    for (const char* name : {"big_0.PNG", "big_2.PNG", "big_2.pgw", "big_2.txt", "big_x.PNG"})
        testing::writeFile(folder + "/" + name, "stale");

    ASSERT_TRUE(
        slicePieces(policy, dir / "big.png", folder, "big", 2, {512, 3, PictureFormat::Png}));
    EXPECT_FALSE(std::filesystem::exists(folder + "/big_2.PNG"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/big_2.pgw"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/big_2.txt"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/big_x.PNG"));
    EXPECT_EQ(pingImageSize(folder + "/big_0.PNG"), (PixelSize{4096, 300}));
    EXPECT_EQ(runIdentify({"identify", "-format", "%g", folder + "/big_1.PNG"}), "904x300+0+0");
    EXPECT_TRUE(host.messages.empty());

    // An unreadable image is skipped and left as it is; no piece, so nothing follows.
    testing::writeFile(dir / "bad.jpg", "not an image");
    EXPECT_FALSE(slicePieces(policy, dir / "bad.jpg", dir / "badL", "bad", 1, {}));
    EXPECT_EQ(policy.skippedSteps(), 1);
    EXPECT_EQ(testing::readFile(dir / "bad.jpg"), "not an image");
}

// The vips slicer pads every short piece to 4096 with the background as it writes it.
TEST(SliceLargeImage, PiecesReadInBandsArePaddedWithTheBackground) {
    testing::ScratchDir dir;
    testing::FakeHost host;
    testing::TestPolicy policy(host);
    runConvert({"convert", "-size", "5000x300", "xc:rgb(0,128,0)", dir / "big.png"});
    const std::string folder = dir / "bigL";
    SliceSettings settings{512, 3, PictureFormat::Png};
    settings.engine = PixelEngine::Vips;
    settings.background = Rgb{255, 0, 255};
    ASSERT_TRUE(slicePieces(policy, dir / "big.png", folder, "big", 2, settings));
    EXPECT_EQ(pingImageSize(folder + "/big_1.PNG"), (PixelSize{4096, 4096}));
    EXPECT_EQ(testing::pixelColour(folder + "/big_1.PNG", 903, 299), "0,128,0,255");
    EXPECT_EQ(testing::pixelColour(folder + "/big_1.PNG", 904, 100), "255,0,255,255");
    EXPECT_EQ(testing::pixelColour(folder + "/big_0.PNG", 100, 300), "255,0,255,255");
    EXPECT_FALSE(std::filesystem::exists(folder + "/big_2.PNG"));
    EXPECT_EQ(policy.skippedSteps(), 0);
}

// An image whose header promises more than the limits allow is refused with the figures: the
// vips engine needs two strips of 1024 lines and its pieces in work, ImageMagick the whole
// image and its pieces.
TEST(SliceLargeImage, ImagesBeyondTheLimitsAreRefusedWithTheFigures) {
    SliceSettings magick{512, 3, PictureFormat::Jpg}, vips = magick;
    vips.engine = PixelEngine::Vips;
    EXPECT_FALSE(sliceRefusal(40000, 30000, vips));
    EXPECT_FALSE(sliceRefusal(8000, 8000, magick));
    EXPECT_EQ(sliceRefusal(100000, 100000, vips),
              "The image is 100000 x 100000 pixels: two strips of 1024 lines of it and its "
              "pieces in work need 900 MB, more than the 512 MB of memory the large-image "
              "options allow. Nothing was written.");
    EXPECT_EQ(sliceRefusal(40000, 30000, magick),
              "The image is 40000 x 30000 pixels: its pixels and its pieces need 18311 MB, more "
              "than the 512 MB of memory and 3 GB of disk the large-image options allow. Nothing "
              "was written.");
}

// The pieces of a warped image that hold background where it has no pixels: every piece on
// the rim of a 3 x 3 grid whose outline is its frame, and the middle one too once a corner of
// the outline cuts into it.
TEST(SliceLargeImage, PiecesReachingBeyondAWarpedOutlineAreFound) {
    const int side = 3 * 4096;
    std::vector<std::pair<double, double>> frame = {{0, 0}, {side, 0}, {side, side}, {0, side}};
    const std::vector<int> rim = {0, 1, 2, 3, 5, 6, 7, 8};
    EXPECT_EQ(piecesReachingOutside(frame, side, side, 2), rim);
    frame.insert(frame.begin() + 1, {{6000, 0}, {8000, 6000}, {8200, 0}});
    EXPECT_EQ(piecesReachingOutside(frame, side, side, 2),
              (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

}  // namespace
}  // namespace orvanta
