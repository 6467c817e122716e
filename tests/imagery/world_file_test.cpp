#include "imagery/world_file.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "imagery/piece_world_files.h"
#include "magick/commands.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"
#include "support/test_policy.h"

namespace orvanta {
namespace {

WorldFile withCorner(const std::string& c, const std::string& f) {
    WorldFile world;
    world.C = c;
    world.F = f;
    return world;
}

// The lines go to A, D, B, E, C and F in that order; missing lines stay empty.
TEST(WorldFile, LinesFillTheirFieldsAndShortFilesLeaveThemEmpty) {
    const WorldFile world = parseWorldFile("1\r\n2\r\n3\r\n-4\r\n10\r\n");
    EXPECT_EQ((std::vector<std::string>{world.A, world.D, world.B, world.E, world.C, world.F}),
              (std::vector<std::string>{"1", "2", "3", "-4", "10", ""}));
    EXPECT_EQ(world.lineCount, 5);
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

WorldFile sourceWorld() {
    return parseWorldFile(" 0.0001 \r\n0.0\r\n0.0\r\n-0.0001\r\n10.00005\r\n50.99995\r\n");
}

std::vector<int> edgePieces(const PieceWorldPlan& plan) {
    std::vector<int> edges;
    for (const PiecePlan& piece : plan.pieces) {
        if (piece.edge)
            edges.push_back(piece.k);
    }
    return edges;
}

TEST(PieceWorldFiles, TenThousandByNineThousandGivesNinePiecesFiveOfThemPadded) {
    const PieceWorldPlan plan = planPieceWorldFiles(10000, 9000, sourceWorld(), "big");
    ASSERT_EQ(plan.pieces.size(), 9u);
    EXPECT_EQ(edgePieces(plan), (std::vector<int>{2, 5, 6, 7, 8}));
    EXPECT_TRUE(plan.paddedPieces);
    ASSERT_EQ(plan.paddedPieceNames.size(), 5u * 17u);
    EXPECT_EQ(plan.paddedPieceNames[0], "big_2");
    EXPECT_EQ(plan.paddedPieceNames[5], "big_2_1_0");
    EXPECT_EQ(plan.paddedPieceNames[16], "big_2_3_3");
    EXPECT_EQ(plan.paddedPieceNames[17], "big_5");

    // Piece 4 is row 1, column 1: one piece right of and one piece below the upper left.
    const PiecePlan& piece4 = plan.pieces[4];
    EXPECT_EQ(std::pair(piece4.row, piece4.column), std::pair(1, 1));
    EXPECT_EQ(
        splitLines(piece4.worldFileText),
        (std::vector<std::string>{"0.0001", "0.0", "0.0", "-0.0001", "10.40965", "50.59035"}));
    EXPECT_EQ(piece4.worldFileText.substr(piece4.worldFileText.size() - 2), "\r\n");
}

// Every piece is located whatever the remainders; only short rows and columns are padded.
TEST(PieceWorldFiles, EveryPieceIsLocatedWhateverTheRemainders) {
    const std::vector<std::tuple<int, int, std::size_t, std::vector<int>>> cases = {
        {8192, 9000, 6, {4, 5}}, {9000, 8192, 6, {2, 5}}, {8192, 8192, 4, {}}, {300, 200, 1, {0}}};
    for (const auto& [width, height, count, edges] : cases) {
        const PieceWorldPlan plan = planPieceWorldFiles(width, height, sourceWorld(), "m");
        EXPECT_EQ(plan.pieces.size(), count) << width << "x" << height;
        EXPECT_EQ(edgePieces(plan), edges) << width << "x" << height;
        EXPECT_EQ(plan.paddedPieces, !edges.empty());
        EXPECT_EQ(plan.paddedPieceNames.size(), edges.size() * 17);
        EXPECT_EQ(splitLines(plan.pieces.back().worldFileText).size(), 6u);
    }
    // C and F must be numbers.
    WorldFile world = sourceWorld();
    world.C = "east";
    try {
        planPieceWorldFiles(5000, 5000, world, "x");
        ADD_FAILURE() << "no error";
    } catch (const RunError& error) {
        EXPECT_EQ(error.number(), errors::TypeMismatch);
    }
}

// Channels of "r,g,b,a" within `tolerance` of red, green and blue.
void expectColour(const std::string& rgba, std::array<int, 3> rgb, int tolerance = 3) {
    std::array<int, 3> read{};
    ASSERT_EQ(std::sscanf(rgba.c_str(), "%d,%d,%d", &read[0], &read[1], &read[2]), 3) << rgba;
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(read[i], rgb[i], tolerance) << rgba;
}

// 4100 x 100 pixels: the crop wrote a short piece 0, here 300 x 200, and no piece 1. The short
// piece is laid on the background at its upper left; padding the missing one is skipped; both
// pieces get their world files.
TEST(PlacePieces, ShortPiecesArePaddedMissingOnesSkippedAndAllLocated) {
    testing::ScratchDir dir;
    testing::FakeHost host;
    testing::TestPolicy policy(host);
    const std::string folder = dir / "bigL";
    std::filesystem::create_directory(folder);
    const std::string piece = folder + "/big_0.JPG";
    runConvert({"convert", "-size", "300x200", "xc:rgb(0,128,0)", piece});
    const WorldFile world = parseWorldFile("0.001\n0\n0\n-0.001\n20.0005\n40.9995\n");
    ASSERT_TRUE(placePieces(host, policy, folder, "big",
                            planPieceWorldFiles(4100, 100, world, "big"), PictureFormat::Jpg,
                            Rgb{255, 0, 255}));
    EXPECT_EQ(pingImageSize(piece), (PixelSize{4096, 4096}));
    expectColour(testing::pixelColour(piece, 150, 100), {0, 128, 0});
    expectColour(testing::pixelColour(piece, 310, 10), {255, 0, 255}, 12);  // JPEG ringing
    expectColour(testing::pixelColour(piece, 2000, 3000), {255, 0, 255});
    EXPECT_EQ(readTextLines(folder + "/big_0.jgw"),
              (std::vector<std::string>{"0.001", "0", "0", "-0.001", "20.0005", "40.9995"}));
    EXPECT_EQ(readTextLines(folder + "/big_1.jgw")[4], "24.0965");
    EXPECT_EQ(policy.skippedSteps(), 1);
}

}  // namespace
}  // namespace orvanta
