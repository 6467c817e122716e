#include "imagery/world_file.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "imagery/geo_image.h"
#include "imagery/piece_world_files.h"
#include "magick/commands.h"
#include "platform/path_names.h"
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
    EXPECT_TRUE(isWgs84(withCorner("-180", "90")));
    EXPECT_TRUE(isWgs84(withCorner("  12.5 ", "\t48.25")));
    EXPECT_FALSE(isWgs84(withCorner("0", "-90.0001")));
    // Not numbers: refused rather than read as 0, which would pass.
    EXPECT_FALSE(isWgs84(withCorner("12,5", "48,25")));
    EXPECT_FALSE(isWgs84(withCorner("east", "48")));
    EXPECT_FALSE(isWgs84(withCorner("", "")));
    EXPECT_FALSE(isWgs84(withCorner("nan", "inf")));
}

// One table of world files: what the check lets through and the line each refusal names. The
// WGS84 test is of the upper-left pixel only; the added checks refuse only what would place
// pixels wrongly.
TEST(WorldFile, ChecksRefuseOnlyWhatWouldPlacePixelsWrongly) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0.001\n0\n0\n-0.001\n180\n-90\n", ""},       // the limits pass, far edges unchecked
        {"0.001\n0\n0\n-0.001\n179.5\n10\n", ""},      // crosses longitude 180
        {"0.001\n1e-9\n-1e-9\n-0.001\n10\n50\n", ""},  // moves the corner 0.001 pixel
        {"0.001\n0\n0\n-0.001\n180.0001\n0\n", "Lines 5 and 6 of the world file 'w'"},
        {"30\n0\n0\n-30\n500000\n4649776\n", "must first be warped to WGS84 latitude/longitude"},
        // 0.2 pixel over the image's 1000 rows or columns, though far less on one pixel.
        {"0.001\n0\n2e-7\n-0.001\n10\n50\n", "Line 3 of the world file 'w', the rotation term B"},
        {"0.001\n2e-7\n0\n-0.001\n10\n50\n", "Line 2 of the world file 'w', the rotation term D"},
        {"0\n0\n0\n-0.001\n10\n50\n", "Line 1 of the world file 'w', the pixel width A, reads '0'"},
        {"0.001\n0\n0\n0\n10\n50\n", "Line 4 of the world file 'w', the pixel height E, reads '0'"},
        {"-0.001\n0\n0\n-0.001\n10\n50\n", "reads '-0.001': the image is mirrored"},
        {"0.001\n0\n0\n0.001\n10\n50\n", "reads '0.001': the image is upside down"},
        {"inf\n0\n0\n-0.001\n10\n50\n",
         "Line 1 of the world file 'w', the pixel width A, reads 'inf'"},
        {"0.001\n0\n0\n-0.001\n10\n", "Line 6 of the world file 'w', the latitude F"},
    };
    for (const auto& [text, expected] : cases) {
        const std::string detail = worldFileDetail("w", parseWorldFile(text), 1000, 1000);
        if (expected.empty())
            EXPECT_EQ(detail, "") << text;
        else
            EXPECT_NE(detail.find(expected), std::string::npos) << text << "\n" << detail;
    }
}

// Each name a world file may have is found beside its image, the program's own first.
TEST(WorldFile, FoundByEveryNameGisToolsWrite) {
    testing::ScratchDir dir;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a.jpg", "a.jgw"},    {"a.jpg", "a.jpgw"}, {"a.jpg", "a.wld"},    {"a.jpeg", "a.jgw"},
        {"a.jpeg", "a.jpegw"}, {"a.tiff", "a.tfw"}, {"a.tiff", "a.tiffw"}, {"a.png", "A.PNGW"},
    };
    for (const auto& [image, world] : cases) {
        testing::writeFile(dir / world, "x");
        EXPECT_EQ(findWorldFile(dir.path().string(), "a", GetFileExtension(image)), dir / world)
            << image;
        std::filesystem::remove(dir / world);
    }
    testing::writeFile(dir / "a.wld", "x");
    testing::writeFile(dir / "a.jgw", "x");
    EXPECT_EQ(findWorldFile(dir.path().string(), "a", "JPG"), dir / "a.jgw");
    EXPECT_EQ(worldFileNamesTried("/d/a.jpg"),
              "No world file was found beside the image '/d/a.jpg': looked for 'a.jgw', 'a.jpgw' "
              "and 'a.wld'.");
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

    // Piece 5 of three pieces a row is row 1, column 2: its y comes from its row.
    const PiecePlan piece5 = planPieceWorldFiles(10000, 5000, sourceWorld(), "big").pieces[5];
    EXPECT_EQ(splitLines(piece5.worldFileText)[4], "10.81925");
    EXPECT_EQ(splitLines(piece5.worldFileText)[5], "50.59035");
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
