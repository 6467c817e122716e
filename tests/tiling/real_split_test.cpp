// Splits of generated images through the image library: the tiles on disk and their pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/file_list.h"
#include "platform/file_lookup.h"
#include "support/test_images.h"
#include "tiling/tiling_rig.h"

namespace orvanta {
namespace {

using testing::countFiles;
using testing::SplitRig;

// Every file of the folder matching the image pattern is a 256x256 picture, and no scratch
// piece is left in its kml folder.
void expectOnlyTiles256(const std::string& folder) {
    for (const std::string& name : listFiles(folder, kImagePattern)) {
        EXPECT_EQ(pingImageSize(joinPath(folder, name)), (PixelSize{256, 256})) << name;
    }
    EXPECT_TRUE(listFiles(joinPath(folder, "kml"), kImagePattern).empty()) << folder;
}

// Whether the colour of the pixel at x, y of an image is near r, g, b.
bool near(const std::string& path, int x, int y, int r, int g, int b) {
    int got[4] = {};
    std::sscanf(testing::pixelColour(path, x, y).c_str(), "%d,%d,%d,%d", &got[0], &got[1], &got[2],
                &got[3]);
    return std::abs(got[0] - r) < 8 && std::abs(got[1] - g) < 8 && std::abs(got[2] - b) < 8;
}

// An unreadable image is skipped step by step; the images after it are still tiled.
TEST(RealSplit, FolderOf1024ImagesGivesTwentyOneTilesEachInQuadrantOrder) {
    SplitRig rig;
    testing::writeFile(rig.path("b.jpg"), "not a picture at all");
    testing::makeQuadrantImage(rig.path("my.area.jpg"), 1024, {"red", "lime", "blue", "yellow"});
    EXPECT_TRUE(rig.split(rig.folderRun(SizeClass::S1024)));
    EXPECT_EQ(rig.policy.skippedSteps(), 10);

    const std::string s1 = TileSet{rig.root()}.sgroup1();
    EXPECT_EQ(countFiles(s1, ".JPG"), 21);
    expectOnlyTiles256(s1);
    EXPECT_TRUE(near(joinPath(s1, "my.area_0.JPG"), 128, 128, 255, 0, 0));
    EXPECT_TRUE(near(joinPath(s1, "my.area_1.JPG"), 128, 128, 0, 255, 0));
    EXPECT_TRUE(near(joinPath(s1, "my.area_2.JPG"), 128, 128, 0, 0, 255));
    EXPECT_TRUE(near(joinPath(s1, "my.area_3.JPG"), 128, 128, 255, 255, 0));
    EXPECT_TRUE(near(joinPath(s1, "my.area_3_3.JPG"), 128, 128, 255, 255, 0));
    EXPECT_TRUE(near(joinPath(s1, "my.area.JPG"), 64, 200, 0, 0, 255));
}

// One tile of a 4096 image: its file and the source square it shows.
struct TileCell {
    std::string path;
    int x = 0, y = 0, scale = 16;
};

// Every tile of the pyramid of image `name` in the tile set, whatever its format.
std::vector<TileCell> pyramidCells(const TileSet& tiles, const std::string& name) {
    std::vector<TileCell> cells;
    std::function<void(const std::string&, const std::string&, int, int, int)> visit =
        [&](const std::string& folder, const std::string& cell, int x, int y, int scale) {
            const std::string found = findFileLoosely(joinPath(folder, cell + ".png"));
            cells.push_back({found.empty() ? joinPath(folder, cell + ".png") : found, x, y, scale});
            if (scale == 1)
                return;
            const std::string below = scale > 8   ? tiles.tgroup2()
                                      : scale > 2 ? tiles.sgroup1()
                                                  : tiles.sgroup2();
            for (int q = 0; q < 4; ++q) {
                const int half = 128 * scale;
                visit(below, cell + "_" + std::to_string(q), x + q % 2 * half, y + q / 2 * half,
                      scale / 2);
            }
        };
    visit(tiles.tgroup2(), name, 0, 0, 16);
    return cells;
}

class PaddedEdgeSplit : public ::testing::TestWithParam<PixelEngine> {};

TEST_P(PaddedEdgeSplit, IsTransparentBeyondTheImagesOwnEdgeAtEveryLevel) {
    SplitRig rig;
    constexpr int kWidth = 3000, kHeight = 2600;  // the large image's own pixels in this piece
    const std::string content = rig.path("content.png");
    testing::makeQuadrantImage(content, 3000, {"#3070b0", "#b0a030", "#208040", "#806020"});
    runConvert({"convert", "-size", "4096x4096", "xc:RGB(255, 0, 255)", "(", content, "-crop",
                "3000x2600+0+0", ")", "-composite", rig.path("big_1.jpg")});
    std::filesystem::remove(content);
    SplitRequest request = rig.folderRun(SizeClass::S4096);
    request.tiles.quality = 75;
    request.engine = GetParam();
    request.edges = PaddedEdges{{"big_1"}, Rgb{255, 0, 255}, {}};
    for (int q = 0; q < 16; ++q)
        request.edges->names.push_back("big_1_" + std::to_string(q / 4) + "_" +
                                       std::to_string(q % 4));
    EXPECT_TRUE(rig.split(request));

    const TileSet tiles{rig.root()};
    EXPECT_EQ(countFiles(tiles.tgroup2(), ".PNG"), 5);
    EXPECT_EQ(countFiles(tiles.tgroup1(), ".JPG"), 16);
    EXPECT_EQ(countFiles(tiles.sgroup1(), ".PNG"), 16 + 64);
    EXPECT_EQ(countFiles(tiles.sgroup2(), ".PNG"), 256);
    for (const std::string& folder : {tiles.tgroup2(), tiles.sgroup1(), tiles.sgroup2()}) {
        expectOnlyTiles256(folder);
        EXPECT_EQ(countFiles(folder, ".JPG"), 0);
    }

    const std::vector<TileCell> cells = pyramidCells(tiles, "big_1");
    ASSERT_EQ(cells.size(), 341u);
    for (const TileCell& cell : cells) {
        const std::vector<unsigned char> rgba = testing::rgbaPixels(cell.path, rig.dir);
        ASSERT_EQ(rgba.size(), 256u * 256 * 4) << cell.path;
        const double edgeX = double(kWidth - cell.x) / cell.scale;
        const double edgeY = double(kHeight - cell.y) / cell.scale;
        int seen = 0, cleared = 0;
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                const unsigned char alpha = rgba[(y * 256 + x) * 4 + 3];
                if (x + 0.5 > edgeX + 4 || y + 0.5 > edgeY + 4) {
                    seen += alpha != 0;
                } else if (x + 0.5 < edgeX - 4 && y + 0.5 < edgeY - 4) {
                    cleared += alpha != 255;
                }
            }
        }
        EXPECT_EQ(seen, 0) << "padding shows in " << cell.path;
        EXPECT_EQ(cleared, 0) << "the image itself is cleared in " << cell.path;
    }
}

INSTANTIATE_TEST_SUITE_P(BothEngines, PaddedEdgeSplit,
                         ::testing::Values(PixelEngine::Vips, PixelEngine::Magick),
                         [](const auto& engine) { return engineName(engine.param); });

}  // namespace
}  // namespace orvanta
