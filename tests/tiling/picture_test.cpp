#include "tiling/picture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/run_error.h"
#include "magick/commands.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

using testing::ScratchDir;

constexpr std::uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kLime = 0x00FF00, kWhite = 0xFFFFFF;

// A 2 x 2 image: red and blue on top, lime and white below.
std::string fourColours(const ScratchDir& dir) {
    const std::string path = dir / "four.png";
    runConvert({"convert", "(", "xc:red", "xc:blue", "+append", ")", "(", "xc:lime", "xc:white",
                "+append", ")", "-append", path});
    return path;
}

std::string identify(const std::string& format, const std::string& path) {
    return runIdentify({"identify", "-format", format, path});
}

TEST(LoadPictureResized, OwnSizeKeepsEveryPixelWithRowsBottomUp) {
    ScratchDir dir;
    int width = -1, height = 5;
    const Picture picture = LoadPictureResized(fourColours(dir), width, height, kWhite);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    ASSERT_EQ(picture.bytes().size(), 12u);
    EXPECT_EQ(picture.pixel(0, 0), kRed);
    EXPECT_EQ(picture.pixel(1, 0), kBlue);
    EXPECT_EQ(picture.pixel(0, 1), kLime);
    // The buffer starts with the bottom row, blue green red.
    EXPECT_EQ(picture.pixelFromBottom(0, 0), kLime);
    EXPECT_EQ(picture.bytes()[0], 0x00);
    EXPECT_EQ(picture.bytes()[1], 0xFF);
    EXPECT_EQ(picture.bytes()[2], 0x00);
}

TEST(LoadPictureResized, ScalesOverTheBackgroundColour) {
    ScratchDir dir;
    const std::string path = dir / "clear.png";
    runConvert({"convert", "-size", "3x3", "xc:none", path});
    int width = 12, height = 6;
    const Picture picture = LoadPictureResized(path, width, height, 0x336699);
    EXPECT_EQ(picture.width(), 12);
    EXPECT_EQ(picture.height(), 6);
    EXPECT_EQ(picture.pixel(11, 5), 0x336699u);
    EXPECT_EQ(picture.pixel(0, 0), 0x336699u);
}

TEST(LoadPictureResized, UnreadableFileIsError999) {
    ScratchDir dir;
    const std::string path = dir / "broken.jpg";
    testing::writeFile(path, "not a picture");
    for (const std::string& bad : {path, dir / "missing.png"}) {
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

class PictureBoxToFileTest : public ::testing::Test {
  protected:
    ScratchDir dir;
    cGdiPlus saver;
    std::vector<std::pair<long, std::string>> errors;
    Picture picture{16, 8, kBlue};

    void SetUp() override {
        saver.Error = [this](long status, const std::string& text) {
            errors.emplace_back(status, text);
        };
    }
};

TEST_F(PictureBoxToFileTest, JpegNamesInAnyCaseAreWrittenWithTheQuality) {
    for (const std::string name : {"a.jpg", "b.JPEG", "c.Jpg"}) {
        EXPECT_EQ(saver.PictureBoxToFile(picture, dir / name, 85), -1) << name;
        EXPECT_EQ(identify("%m %wx%h %Q", dir / name), "JPEG 16x8 85") << name;
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(PictureBoxToFileTest, OtherFormatsFollowTheExtensionWithoutQuality) {
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

TEST_F(PictureBoxToFileTest, NoExtensionOrNoWriterWritesNothing) {
    std::filesystem::create_directory(dir / "tiles.v2");
    EXPECT_EQ(saver.PictureBoxToFile(picture, dir / "tiles.v2/tile", 100), 0);
    EXPECT_EQ(saver.PictureBoxToFile(picture, dir / "tile.xyz", 100), 0);
    EXPECT_EQ(saver.PictureBoxToFile(picture, dir / "tile.", 100), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "tiles.v2"));
    EXPECT_FALSE(std::filesystem::exists(dir / "tile.xyz"));
    EXPECT_TRUE(errors.empty());
}

TEST_F(PictureBoxToFileTest, FailedWriteRaisesErrorAndReturnsZero) {
    EXPECT_EQ(saver.PictureBoxToFile(picture, dir / "no/such/folder/t.png"), 0);
    EXPECT_EQ(saver.PictureBoxToFile(Picture(), dir / "empty.png"), 0);
    EXPECT_EQ(errors, (std::vector<std::pair<long, std::string>>{{7, "Win32 Error"},
                                                                 {2, "Invalid Parameter"}}));
}

TEST(GdiErrorString, StatusTexts) {
    EXPECT_EQ(cGdiPlus::GdiErrorString(0), "Unknown GDI+ Error");
    EXPECT_EQ(cGdiPlus::GdiErrorString(1), "Generic Error");
    EXPECT_EQ(cGdiPlus::GdiErrorString(13), "Unknown Image Format");
    EXPECT_EQ(cGdiPlus::GdiErrorString(17), "Unsupported Gdiplus Version");
    EXPECT_EQ(cGdiPlus::GdiErrorString(20), "Property Not Supported");
    EXPECT_EQ(cGdiPlus::GdiErrorString(21), "Unknown GDI+ Error");
}

}  // namespace
}  // namespace orvanta
