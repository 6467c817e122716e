#include "tiling/picture_split.h"

#include <gtest/gtest.h>

#include "platform/run_error.h"

namespace orvanta {
namespace {

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

TEST(FullResolutionSplit, GridFollowsTheTileSizeRules) {
    EXPECT_EQ(fullResolutionGrid(2500, 1500), (TileGrid{1024, 3, 2}));
    EXPECT_EQ(fullResolutionGrid(9000, 5000), (TileGrid{4096, 3, 2}));
    EXPECT_EQ(fullResolutionGrid(4096, 1024), TileGrid{});
    EXPECT_EQ(fullResolutionGrid(5000, 3000), TileGrid{});
    EXPECT_EQ(fullResolutionGrid(1024, 1024), TileGrid{});
}

TEST(FullResolutionSplit, EveryTileOfANonSquareGridShowsItsOwnPixels) {
    // 2500 x 1500: three columns and two rows of 1024 tiles, each block its own colour.
    const std::uint32_t colours[2][3] = {{0x0000FF, 0x00FF00, 0xFF0000},
                                         {0x00FFFF, 0xFF00FF, 0x000080}};
    PictureBoxes boxes;
    boxes.display = Picture(2500, 1500, 0);
    for (int y = 0; y < 1500; ++y) {
        for (int x = 0; x < 2500; ++x)
            boxes.display.setPixel(x, y, colours[y / 1024][x / 1024]);
    }
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            cutTile(boxes, 1024, row, column);
            ASSERT_EQ(boxes.piece.width(), 1024);
            EXPECT_EQ(boxes.piece.pixel(0, 0), colours[row][column]) << row << column;
            EXPECT_EQ(boxes.piece.pixel(400, 400), colours[row][column]) << row << column;
        }
    }
    // The image ends 452 pixels into the last column and 476 pixels into the last row.
    cutTile(boxes, 1024, 0, 2);
    EXPECT_EQ(boxes.piece.pixel(451, 10), colours[0][2]);
    EXPECT_EQ(boxes.piece.pixel(452, 10), kWhite);
    cutTile(boxes, 1024, 1, 0);
    EXPECT_EQ(boxes.piece.pixel(10, 475), colours[1][0]);
    EXPECT_EQ(boxes.piece.pixel(10, 476), kWhite);
}

TEST(FullResolutionSplit, TileWorldFileLocatesTheTilesUpperLeftPixel) {
    const WorldFile source = parseWorldFile("0.001\r\n0\r\n0\r\n-0.002\r\n10.0005\r\n50.999\r\n");
    EXPECT_EQ(tileWorldFileText(source, 1, 2, 1024),
              "0.001\r\n0.000000000000000\r\n0.000000000000000\r\n-0.002\r\n12.0485\r\n"
              "48.951\r\n");
    EXPECT_THROW(tileWorldFileText(parseWorldFile("1\n0\n0\n-1\nx\n0\n"), 0, 0, 1024), RunError);
}

}  // namespace
}  // namespace orvanta
