#include "imagery/world_file.h"

#include <gtest/gtest.h>

#include "platform/run_error.h"
#include "imagery/geo_image.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

WorldFile withCorner(const std::string& c, const std::string& f) {
    WorldFile world;
    world.C = c;
    world.F = f;
    return world;
}

TEST(WorldFile, ShortFilesLeaveLinesEmpty) {
    const WorldFile world = parseWorldFile("1\r\n0\r\n0\r\n-1\r\n10\r\n");
    EXPECT_EQ(world.lineCount, 5);
    EXPECT_EQ(world.C, "10");
    EXPECT_EQ(world.F, "");
    EXPECT_FALSE(isWgs84(world));
    testing::ScratchDir dir;
    EXPECT_THROW(readWorldFile(dir / "absent.jgw"), RunError);
}

TEST(WorldFile, Wgs84LimitsPassAndEverythingElseFails) {
    EXPECT_TRUE(isWgs84(withCorner("180", "-90")));
    EXPECT_TRUE(isWgs84(withCorner("-180", "90")));
    EXPECT_TRUE(isWgs84(withCorner("  12.5 ", "\t48.25")));
    EXPECT_FALSE(isWgs84(withCorner("180.0001", "0")));
    EXPECT_FALSE(isWgs84(withCorner("0", "-90.0001")));
    EXPECT_FALSE(isWgs84(withCorner("500000", "5000000")));  // UTM metres
    // Not numbers: refused rather than read as 0, which would pass.
    EXPECT_FALSE(isWgs84(withCorner("12,5", "48,25")));
    EXPECT_FALSE(isWgs84(withCorner("east", "48")));
    EXPECT_FALSE(isWgs84(withCorner("", "")));
    EXPECT_FALSE(isWgs84(withCorner("nan", "inf")));
}

TEST(WorldFile, SearchlistIgnoresCase) {
    EXPECT_EQ(Searchlist({}, "a"), -1);
    EXPECT_EQ(Searchlist({"x_0", "Piece_1_2", "piece_1_2"}, "PIECE_1_2"), 1);
    EXPECT_EQ(Searchlist({"x_0"}, "x_1"), -1);
}

TEST(GeoImage, BlockBoundsUseTheUpperLeftPixelCentre) {
    const WorldFile world = parseWorldFile("0.001\n0\n0\n-0.0005\n10\n50\n");
    EXPECT_EQ(blockBounds(world, 2048, 1024), (GeoBounds{50, 50 - 1024 * 0.0005, 10 + 2.048, 10}));
    EXPECT_EQ(blockBounds(parseWorldFile("0.001\n0\n0\n"), 1, 1), std::nullopt);
}

}  // namespace
}  // namespace orvanta
