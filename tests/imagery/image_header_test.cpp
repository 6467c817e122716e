#include "imagery/image_header.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "imagery/header_bytes.h"
#include "magick/commands.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

using testing::FakeHost;
using testing::ScratchDir;
using testing::writeFile;

std::vector<std::string> labels(const AppState& app) {
    return {app.settings.widthText, app.settings.heightText, app.settings.bitDepthText, app.settings.resolutionText,
            app.greyscaleText};
}

class LoadfTest : public ::testing::Test {
  protected:
    // Reads a 1024-pixel header first, so stale facts would show.
    void loadPrevious() {
        writeFile(dir / "previous.png", testing::pngFile(1024, 1024));
        ASSERT_TRUE(Loadf(app, dir / "previous.png"));
        ASSERT_EQ(app.imageHeader.width, 1024u);
    }

    ScratchDir dir;
    FakeHost host;
    AppState app{host};
};

TEST_F(LoadfTest, BinaryReadersFillFieldsAndLabels) {
    writeFile(dir / "a.png", testing::pngFile(2048, 2048, 8, 6, testing::phys(2835, 1)));
    EXPECT_TRUE(Loadf(app, dir / "a.png"));
    EXPECT_EQ(labels(app), (std::vector<std::string>{"2048", "2048", "24", "72", "False"}));

    runConvert({"convert", "-size", "40x30", "xc:gray", "-density", "300", "-units",
                "PixelsPerInch", dir / "b.tif"});
    EXPECT_TRUE(Loadf(app, dir / "b.tif"));
    EXPECT_EQ(labels(app), (std::vector<std::string>{"40", "30", "1", "300", "False"}));

    runConvert({"convert", "-size", "64x48", "xc:red", "-density", "96", "-units", "PixelsPerInch",
                dir / "c.jpg"});
    EXPECT_TRUE(Loadf(app, dir / "c.jpg"));
    EXPECT_EQ(labels(app), (std::vector<std::string>{"64", "48", "24", "96", "False"}));
}

TEST_F(LoadfTest, SizesTheReadersMissAreMeasured) {
    runConvert({"convert", "-size", "320x200", "xc:red", "-interlace", "JPEG", dir / "p.jpg"});
    runConvert({"convert", "-size", "300x100", "xc:red", "-endian", "MSB", dir / "m.tif"});
    runConvert({"convert", "-size", "50x60", "xc:red", dir / "g.gif"});
    runConvert({"convert", "-size", "70x80", "xc:red", dir / "b.bmp"});
    EXPECT_TRUE(Loadf(app, dir / "p.jpg"));
    EXPECT_EQ(app.imageHeader.width, 320u);
    EXPECT_EQ(app.imageHeader.height, 200u);
    EXPECT_EQ(app.settings.widthText, "320");
    EXPECT_EQ(app.imageHeader.bitDepth, 24);  // the reader's other facts stay

    Loadf(app, dir / "m.tif");
    EXPECT_EQ(labels(app)[0] + "x" + labels(app)[1], "300x100");
    Loadf(app, dir / "b.bmp");
    EXPECT_EQ(labels(app)[0] + "x" + labels(app)[1], "70x80");

    // A GIF shows identify's "width,height,depth" (the library's sample depth), and its stored
    // size follows.
    Loadf(app, dir / "g.gif");
    const std::string depth = runIdentify({"identify", "-format", "%q", dir / "g.gif"});
    EXPECT_EQ(labels(app), (std::vector<std::string>{"50", "60", depth, "", ""}));
    EXPECT_EQ(app.imageHeader.width, 50u);
    EXPECT_EQ(app.imageHeader.height, 60u);
}

TEST_F(LoadfTest, UnreadableFilesClearTheFacts) {
    writeFile(dir / "empty.png", "");
    writeFile(dir / "text.jpg", "hello world, no picture here");
    writeFile(dir / "corrupt.gif", "GIF89a\x01");
    std::filesystem::create_directory(dir / "folder.png");
    for (const char* name : {"empty.png", "text.jpg", "corrupt.gif", "folder.png", "none.png"}) {
        loadPrevious();
        EXPECT_FALSE(Loadf(app, dir / name)) << name;
        EXPECT_EQ(app.imageHeader, ImageHeaderInfo{}) << name;
        EXPECT_EQ(labels(app), std::vector<std::string>(5)) << name;
    }
}

TEST_F(LoadfTest, TruncatedFilesNeverCrash) {
    runConvert({"convert", "-size", "32x32", "gradient:", dir / "t.png"});
    runConvert({"convert", "-size", "32x32", "gradient:", dir / "t.jpg"});
    runConvert({"convert", "-size", "32x32", "gradient:", dir / "t.tif"});
    for (const char* name : {"t.png", "t.jpg", "t.tif"}) {
        const std::string whole = testing::readFile(dir / name);
        for (std::size_t cut = 0; cut < std::min<std::size_t>(whole.size(), 400); cut += 7) {
            writeFile(dir / ("cut_" + std::string(name)), whole.substr(0, cut));
            Loadf(app, dir / ("cut_" + std::string(name)));
            EXPECT_LE(app.imageHeader.width, 32u) << name << " cut at " << cut;
        }
    }
}

TEST_F(LoadfTest, ImageInfoClassifiesSquareTiles) {
    writeFile(dir / "t1024.png", testing::pngFile(1024, 1024));
    writeFile(dir / "t4096.png", testing::pngFile(4096, 4096));
    writeFile(dir / "wide.png", testing::pngFile(4096, 2048));
    EXPECT_EQ(GetImageInfo(app, dir / "t1024.png"), 0.0f);
    EXPECT_EQ(app.run.sizeClass, SizeClass::S1024);
    EXPECT_EQ(GetImageInfo(app, dir / "t4096.png"), 0.0f);
    EXPECT_EQ(app.run.sizeClass, SizeClass::S4096);
    EXPECT_TRUE(host.messages.empty());

    EXPECT_EQ(GetImageInfo(app, dir / "wide.png"), 1.0f);
    EXPECT_EQ(app.run.sizeClass, SizeClass::S4096);  // kept
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], (FakeHost::Message{kNotTileSizeMessage, kAppTitle}));

    app.run.largeImageMode = true;
    EXPECT_EQ(GetImageInfo(app, dir / "wide.png"), 0.0f);
    EXPECT_EQ(app.run.sizeClass, SizeClass::None);

    // An unreadable file after a tile is not classified by the tile's size.
    app.run.largeImageMode = false;
    writeFile(dir / "broken.png", "\x89PNG");
    GetImageInfo(app, dir / "t1024.png");
    EXPECT_EQ(GetImageInfo(app, dir / "broken.png"), 1.0f);
}

}  // namespace
}  // namespace orvanta
