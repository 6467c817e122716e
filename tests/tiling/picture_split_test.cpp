#include "tiling/picture_split.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "magick/commands.h"
#include "platform/text_file.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

using testing::FakeHost;
using testing::ScratchDir;

constexpr std::uint32_t kWhite = 0xFFFFFF;

// A picture whose every pixel has its own colour: x in red, y from the top in green.
Picture numbered(int width, int height) {
    Picture picture(width, height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, x | (y << 8));
    }
    return picture;
}

Picture load(const std::string& path) {
    int width = -1, height = -1;
    return LoadPictureResized(path, width, height, kWhite);
}

TEST(StretchCopy, SourceRectangleCountsFromTheBottomRowAndKeepsOrientation) {
    const Picture source = numbered(4, 4);
    Picture target(2, 2, kWhite);
    // Rows 0 and 1 from the bottom, columns 2 and 3: the lower-right quarter.
    stretchRect(source, target, {0, 0, 2, 2}, {2, 0, 2, 2});
    EXPECT_EQ(target.pixel(0, 0), source.pixel(2, 2));
    EXPECT_EQ(target.pixel(1, 1), source.pixel(3, 3));

    // Stretched twofold by the nearest pixel; what the source lacks stays as it was.
    Picture big(4, 4, kWhite);
    stretchRect(source, big, {0, 0, 4, 4}, {0, 2, 2, 2});
    EXPECT_EQ(big.pixel(0, 0), source.pixel(0, 0));
    EXPECT_EQ(big.pixel(1, 1), source.pixel(0, 0));
    EXPECT_EQ(big.pixel(3, 3), source.pixel(1, 1));
    Picture edge(2, 2, kWhite);
    stretchRect(source, edge, {0, 0, 2, 2}, {3, -1, 2, 2});
    EXPECT_EQ(edge.pixel(0, 0), source.pixel(3, 3));
    EXPECT_EQ(edge.pixel(1, 0), kWhite);
    EXPECT_EQ(edge.pixel(0, 1), kWhite);
}

TEST(QuarterSplit, QuartersAreNumberedOneToFourFromTheTopLeft) {
    ScratchDir dir;
    FakeHost host;
    cGdiPlus saver;
    PictureBoxes boxes;
    boxes.scaled = Picture(512, 512, 0);
    const std::uint32_t colours[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF};
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x)
            boxes.scaled.setPixel(x, y, colours[(y / 256) * 2 + x / 256]);
    }
    QuarterSplit(boxes, saver, host, dir.path().string(), "scan", "PNG");
    for (int i = 1; i <= 4; ++i) {
        const Picture quarter = load(dir / ("scan_" + std::to_string(i) + ".PNG"));
        EXPECT_EQ(quarter.width(), 256);
        EXPECT_EQ(quarter.pixel(0, 0), colours[i - 1]) << i;
        EXPECT_EQ(quarter.pixel(255, 255), colours[i - 1]) << i;
    }
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>(4, "ok"));

    host.messages.clear();
    QuarterSplit(boxes, saver, host, dir / "missing", "scan", "PNG");
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>(4, "Not K"));
}

TEST(FullResolutionSplit, GridFollowsTheTileSizeRules) {
    EXPECT_EQ(fullResolutionGrid(3072, 3072), (TileGrid{1024, 3, 3}));
    EXPECT_EQ(fullResolutionGrid(2500, 1500), (TileGrid{1024, 3, 2}));
    EXPECT_EQ(fullResolutionGrid(9000, 5000), (TileGrid{4096, 3, 2}));
    EXPECT_EQ(fullResolutionGrid(4096, 1024), TileGrid{});
    EXPECT_EQ(fullResolutionGrid(5000, 3000), TileGrid{});
    EXPECT_EQ(fullResolutionGrid(1024, 1024), TileGrid{});
}

class FullResolutionSplitRun : public ::testing::Test {
  protected:
    ScratchDir dir;
    FakeHost host;
    AppState app{host};
    PictureBoxes boxes;
    cGdiPlus saver;

    void openImage(const std::string& name, int width, int height) {
        app.settings.projectImage = dir / name;
        app.settings.imageFolder = dir.path().string();
        app.settings.imageName = name.substr(0, name.find('.'));
        app.settings.widthText = std::to_string(width);
        app.settings.heightText = std::to_string(height);
    }
};

TEST_F(FullResolutionSplitRun, EveryTileOfANonSquareGridShowsItsOwnPixelsAndIsLocated) {
    // 2500 x 1500: three columns and two rows of 1024 tiles, each block its own colour.
    const std::uint32_t colours[2][3] = {{0x0000FF, 0x00FF00, 0xFF0000},
                                         {0x00FFFF, 0xFF00FF, 0x000080}};
    runConvert({"convert",   "-size",      "1024x1024",       "(",       "xc:red",
                "xc:lime",   "xc:blue",    "+append",         ")",       "(",
                "xc:yellow", "xc:magenta", "xc:rgb(128,0,0)", "+append", ")",
                "-append",   "-crop",      "2500x1500+0+0",   "+repage", dir / "area.png"});
    testing::writeFile(dir / "area.pgw", "0.001\r\n0\r\n0\r\n-0.002\r\n10.0005\r\n50.999\r\n");
    openImage("area.png", 2500, 1500);
    app.settings.outputFormat = "JPG";
    app.settings.transparent = true;  // transparent output: PNG tiles

    FullResolutionSplit(app, boxes, saver);

    EXPECT_TRUE(host.messages.empty()) << host.messageTexts()[0];
    const std::string tiles = dir / "Tiles";
    EXPECT_EQ(app.settings.tilesFolder, tiles);
    EXPECT_EQ(testing::readFile(tiles + "/tiles.txt"), " \r\n");
    for (int row = 0, i = 1; row < 2; ++row) {
        for (int column = 0; column < 3; ++column, ++i) {
            const std::string name = tiles + "/area_" + std::to_string(i);
            const Picture tile = load(name + ".PNG");
            ASSERT_EQ(tile.width(), 1024);
            EXPECT_EQ(tile.pixel(0, 0), colours[row][column]) << i;
            EXPECT_EQ(tile.pixel(400, 400), colours[row][column]) << i;
            const std::vector<std::string> world = readTextLines(name + ".pgw");
            ASSERT_EQ(world.size(), 6u);
            EXPECT_EQ(world[0], "0.001");
            EXPECT_EQ(world[1], "0.000000000000000");
            EXPECT_EQ(world[3], "-0.002");
            EXPECT_DOUBLE_EQ(std::stod(world[4]), 10.0005 + column * 1.024) << i;
            EXPECT_DOUBLE_EQ(std::stod(world[5]), 50.999 - row * 2.048) << i;
        }
    }
    // The image ends 452 pixels into the last column and 476 pixels into the last row.
    EXPECT_EQ(load(tiles + "/area_3.PNG").pixel(460, 10), kWhite);
    EXPECT_EQ(load(tiles + "/area_4.PNG").pixel(10, 480), kWhite);
    EXPECT_TRUE(boxes.display.empty());
}

TEST_F(FullResolutionSplitRun, RefusesWithoutImageOrWorldFile) {
    FullResolutionSplit(app, boxes, saver);
    openImage("lost.jpg", 3072, 3072);
    FullResolutionSplit(app, boxes, saver);
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{
                  "No Image was loaded!",
                  "The Reference Worldfile " + (dir / "lost.jgw") +
                      " does not exits. OVT cannot continue unless all the tiles have their "
                      "associated worldfiles! Ovt will now stop the conversion!"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "Tiles"));
}

}  // namespace
}  // namespace orvanta
