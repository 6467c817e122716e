#include <gtest/gtest.h>

#include <filesystem>

#include "imagery/world_file.h"
#include "magick/commands.h"
#include "support/kml_walk.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

// One image far wider than the library's usual caps, through the whole large-image road:
// slicing, piece world files, padding, the 4096 pyramid of every piece and the KML tree.
TEST(CliLarge, WideImageBecomesPaddedPiecesAndAReadableTree) {
    testing::ScratchDir dir;
    const double a = 0.0001, c = 10.00005, f = 50.99995;
    testing::makeImage(dir / "wide.jpg", 20000, 3000);
    testing::writeWorldFile(dir / "wide.jgw", a, -a, c, f);

    const auto result =
        testing::runProgram({ORVANTA_CLI, "large", dir / "wide.jpg", "--name", "Wide"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string pieces = dir / "wideL";
    EXPECT_EQ(result.out, pieces + "/Wide.kml\n");

    for (int k = 0; k < 5; ++k) {
        const std::string piece = pieces + "/wide_" + std::to_string(k);
        EXPECT_EQ(pingImageSize(piece + ".JPG"), (PixelSize{4096, 4096})) << k;
        const WorldFile world = readWorldFile(piece + ".jgw");
        EXPECT_NEAR(*WorldFile::number(world.C), c + k * 4096 * a, 1e-9) << k;
        EXPECT_NEAR(*WorldFile::number(world.F), f, 1e-9) << k;
    }

    // Every piece is short (3000 of 4096 rows) and the last is narrow (3616 columns): at
    // level 0 a tile pixel covers 16 image pixels, so the image ends at row 187.5 and column
    // 226, and the padding beyond is transparent.
    const auto alpha = [&](int piece, int x, int y) {
        const std::string colour =
            testing::pixelColour(pieces + "/Tgroup2/wide_" + std::to_string(piece) + ".PNG", x, y);
        return colour.substr(colour.rfind(',') + 1);
    };
    EXPECT_EQ(alpha(0, 100, 100), "255");
    EXPECT_EQ(alpha(0, 100, 200), "0");
    EXPECT_EQ(alpha(4, 200, 100), "255");
    EXPECT_EQ(alpha(4, 240, 100), "0");

    const testing::KmlTreeWalk walk = testing::walkKmlTree(pieces + "/Wide.kml");
    EXPECT_EQ(walk.files, 1 + 5 * 341);
    EXPECT_TRUE(walk.missing.empty()) << walk.missing.front();
}

// A PNG of a few bytes whose header promises 100000 x 100000 pixels is refused with the figures
// before anything is decoded or written, under either engine.
TEST(CliLarge, HeaderPromisingMoreThanTheLimitsIsRefusedUpFront) {
    testing::ScratchDir dir;
    const std::string ihdr("\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0\x08\x02\0\0\0", 21);
    testing::writeFile(dir / "huge.png", std::string("\x89PNG\r\n\x1a\n", 8) + ihdr +
                                             std::string(4, '\0') + std::string(46, '\0'));
    testing::writeWorldFile(dir / "huge.pgw", 0.0001, -0.0001, 10, 50);
    for (const char* engine : {"vips", "magick"}) {
        const auto result = testing::runProgram(
            {ORVANTA_CLI, "large", dir / "huge.png", "--ram", "512", "--engine", engine});
        EXPECT_EQ(result.exitStatus, 1) << engine;
        EXPECT_NE(result.err.find("The image is 100000 x 100000 pixels"), std::string::npos)
            << result.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "hugeL")) << engine;
    }
}

}  // namespace
}  // namespace orvanta
