#include <gtest/gtest.h>

#include <filesystem>

#include "imagery/piece_world_files.h"
#include "magick/commands.h"
#include "platform/text_file.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

using testing::FakeHost;
using testing::ScratchDir;

// Channels of "r,g,b,a" within `tolerance` of the expected red, green and blue.
void expectColour(const std::string& rgba, int red, int green, int blue, int tolerance = 3) {
    int r = 0, g = 0, b = 0;
    ASSERT_EQ(std::sscanf(rgba.c_str(), "%d,%d,%d", &r, &g, &b), 3) << rgba;
    EXPECT_NEAR(r, red, tolerance) << rgba;
    EXPECT_NEAR(g, green, tolerance) << rgba;
    EXPECT_NEAR(b, blue, tolerance) << rgba;
}

class PiecePadding : public ::testing::Test {
  protected:
    ScratchDir dir;
    FakeHost host;
    AppState app{host};
    std::string folder;

    // A large image of width x height whose pieces the slicer has already written.
    void largeImage(int width, int height) {
        app.settings.imageFolder = dir.path().string();
        app.settings.imageName = "big";
        app.settings.projectImage = dir / "big.jpg";
        app.settings.widthText = std::to_string(width);
        app.settings.heightText = std::to_string(height);
        testing::writeWorldFile(dir / "big.jgw", 0.001, -0.001, 20.0005, 40.9995);
        folder = dir / "bigL";
        std::filesystem::create_directory(folder);
    }
};

TEST_F(PiecePadding, ShortPieceIsLaidOnTheBackgroundAndLocated) {
    largeImage(300, 200);
    runConvert({"convert", "-size", "300x200", "xc:rgb(0,128,0)", folder + "/big_0.JPG"});

    ASSERT_TRUE(PieceWorldFiles(app, {"JPG", 16711935}));

    const std::string piece = folder + "/big_0.JPG";
    EXPECT_EQ(pingImageSize(piece), (PixelSize{4096, 4096}));
    expectColour(testing::pixelColour(piece, 150, 100), 0, 128, 0);
    expectColour(testing::pixelColour(piece, 2000, 3000), 255, 0, 255);
    expectColour(testing::pixelColour(piece, 310, 10), 255, 0, 255, 12);  // JPEG ringing
    EXPECT_EQ(readTextLines(folder + "/big_0.jgw"),
              (std::vector<std::string>{"0.001", "0", "0", "-0.001", "20.0005", "40.9995"}));
    EXPECT_EQ(app.paddedPieceNames.size(), 17u);
    EXPECT_EQ(app.paddedPieceNames.front(), "big_0");
    EXPECT_EQ(app.run.paddedPieces, "1");
    EXPECT_EQ(app.settings.tilesFolder, folder);
    EXPECT_EQ(app.settings.kmlFolder, folder);
    EXPECT_EQ(app.run.root4096, folder);
    EXPECT_EQ(app.run.sizeClass, SizeClass::S4096);  // the folder scan has accepted the pieces
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(PiecePadding, MissingPiecesAreSkippedAndReported) {
    largeImage(4100, 100);  // piece 0 would be 4096 x 100, piece 1 4 x 100; the crop made none

    ASSERT_TRUE(PieceWorldFiles(app, {"PNG", 0}));

    EXPECT_EQ(readTextLines(folder + "/big_0.pgw")[4], "20.0005");
    EXPECT_EQ(readTextLines(folder + "/big_1.pgw")[4], "24.0965");
    EXPECT_EQ(app.paddedPieceNames.size(), 34u);
    EXPECT_EQ(app.paddedPieceNames[17], "big_1");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.rfind("2 steps failed and were skipped. The first failure: "
                                          "-2147215503 ",
                                          0),
              0u)
        << host.messages[0].text;
    EXPECT_FALSE(std::filesystem::exists(folder + "/big_0.PNG"));
}

TEST_F(PiecePadding, UnreadableSourceWorldFileEndsTheOperation) {
    largeImage(300, 200);
    std::filesystem::remove(dir / "big.jgw");
    EXPECT_FALSE(PieceWorldFiles(app, {}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "53 File not found: " + (dir / "big.jgw"));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
}  // namespace orvanta
