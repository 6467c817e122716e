#include "tiling/picture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "magick/commands.h"
#include "platform/run_error.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

using testing::ScratchDir;

constexpr std::uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kLime = 0x00FF00, kWhite = 0xFFFFFF;

std::string identify(const std::string& format, const std::string& path) {
    return runIdentify({"identify", "-format", format, path});
}

TEST(LoadPictureResized, OwnSizeKeepsEveryPixelWithRowsBottomUpAndScalingFillsTheBackground) {
    ScratchDir dir;
    // A 2 x 2 image: red and blue on top, lime and white below.
    runConvert({"convert", "(", "xc:red", "xc:blue", "+append", ")", "(", "xc:lime", "xc:white",
                "+append", ")", "-append", dir / "four.png"});
    int width = -1, height = 5;
    const Picture picture = LoadPictureResized(dir / "four.png", width, height, kWhite);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    ASSERT_EQ(picture.bytes().size(), 12u);
    EXPECT_EQ(picture.pixel(0, 0), kRed);
    EXPECT_EQ(picture.pixel(1, 0), kBlue);
    // The buffer holds the bottom row first, each pixel blue green red: red is 00 00 FF.
    EXPECT_EQ(picture.pixelFromBottom(0, 0), kLime);
    EXPECT_EQ(std::vector<std::uint8_t>(picture.bytes().begin() + 6, picture.bytes().begin() + 9),
              (std::vector<std::uint8_t>{0x00, 0x00, 0xFF}));

    runConvert({"convert", "-size", "3x3", "xc:none", dir / "clear.png"});
    width = 12, height = 6;
    const Picture scaled = LoadPictureResized(dir / "clear.png", width, height, 0x336699);
    EXPECT_EQ(scaled.width(), 12);
    EXPECT_EQ(scaled.height(), 6);
    EXPECT_EQ(scaled.pixel(11, 5), 0x336699u);
    EXPECT_EQ(scaled.pixel(0, 0), 0x336699u);
}

TEST(LoadPictureResized, UnreadableFileIsError999) {
    ScratchDir dir;
    testing::writeFile(dir / "broken.jpg", "not a picture");
    for (const std::string& bad : {dir / "broken.jpg", dir / "missing.png"}) {
        int width = -1, height = -1;
        try {
            LoadPictureResized(bad, width, height, kWhite);
            FAIL() << bad;
        } catch (const RunError& error) {
            EXPECT_EQ(error.number(), errors::PictureLoad);
            EXPECT_EQ(error.description(), "Error loading picture " + bad);
        }
    }
}

TEST(PictureBoxToFile, TheExtensionInAnyCaseChoosesTheWriterAndOnlyJpegTakesQuality) {
    ScratchDir dir;
    cGdiPlus saver;
    Picture picture{16, 8, kBlue};
    for (const std::string name : {"a.jpg", "b.JPEG", "c.Jpg"}) {
        EXPECT_EQ(saver.PictureBoxToFile(picture, dir / name, 85), -1) << name;
        EXPECT_EQ(identify("%m %wx%h %Q", dir / name), "JPEG 16x8 85") << name;
    }
    picture.setPixel(0, 0, kRed);
    EXPECT_EQ(saver.PictureBoxToFile(picture, dir / "p.png", 5), -1);
    EXPECT_EQ(identify("%m %wx%h", dir / "p.png"), "PNG 16x8");
    int width = -1, height = -1;
    const Picture back = LoadPictureResized(dir / "p.png", width, height, kWhite);
    EXPECT_EQ(back.pixel(0, 0), kRed);  // lossless: no quality was applied
    EXPECT_EQ(back.pixel(15, 7), kBlue);
    EXPECT_EQ(saver.PictureBoxToFile(picture, dir / "t.TIF"), -1);
    EXPECT_EQ(identify("%m", dir / "t.TIF"), "TIFF");
    EXPECT_EQ(saver.PictureBoxToFile(picture, dir / "g.gif"), -1);
    EXPECT_EQ(identify("%m", dir / "g.gif"), "GIF");
}

// Returning 0 is what makes the caller fail the step.
TEST(PictureBoxToFile, NoWriterOrAFailedWriteWritesNothingAndReturnsZero) {
    ScratchDir dir;
    cGdiPlus saver;
    std::filesystem::create_directory(dir / "tiles.v2");
    for (const std::string name : {"tiles.v2/tile", "tile.xyz", "tile.", "no/such/folder/t.png"})
        EXPECT_EQ(saver.PictureBoxToFile(Picture(16, 8, kBlue), dir / name, 100), 0) << name;
    EXPECT_EQ(saver.PictureBoxToFile(Picture(), dir / "empty.png"), 0);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path()))
        EXPECT_TRUE(entry.is_directory()) << entry.path();
}

}  // namespace
}  // namespace orvanta
