// Splits of generated images through the image library: the tiles on disk, their pixels and
// the KML tree over them.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/error_policy.h"
#include "platform/file_list.h"
#include "platform/file_lookup.h"
#include "support/kml_walk.h"
#include "support/test_images.h"
#include "tiling/tiling_rig.h"

namespace orvanta {
namespace {

using testing::countFiles;
using testing::TilingRig;

// Every file of the folder matching the image pattern is a 256x256 picture.
void expectAllTiles256(const std::string& folder) {
    for (const std::string& name : listFiles(folder, kImagePattern)) {
        EXPECT_EQ(pingImageSize(joinPath(folder, name)), (PixelSize{256, 256})) << name;
    }
}

std::string centreColour(const std::string& path) {
    return testing::pixelColour(path, 128, 128);
}

// A run over the images of the rig's folder, with the KML tree left to open by hand.
void prepareFolderRun(TilingRig& rig, SizeClass sizeClass) {
    rig.app.settings.tilesFolder = rig.dir.path().string();
    rig.app.settings.projectName = "Area";
    rig.app.settings.openWhenDone = false;
    rig.app.run.sizeClass = sizeClass;
    rig.app.run.root1024 = rig.app.run.root4096 = rig.dir.path().string();
}

TEST(RealSplit, Image1024GivesTwentyOneTilesInQuadrantOrder) {
    TilingRig rig;
    testing::makeQuadrantImage(rig.path("my.area.jpg"), 1024, {"red", "lime", "blue", "yellow"});
    testing::writeWorldFile(rig.path("my.area.jgw"), 0.001, -0.001, 10, 20);
    prepareFolderRun(rig, SizeClass::S1024);
    EXPECT_TRUE(Split1024(rig.app));

    const std::string s1 = TileSet{rig.dir.path().string()}.sgroup1();
    EXPECT_EQ(countFiles(s1, ".JPG"), 21);
    expectAllTiles256(s1);
    EXPECT_TRUE(listFiles(joinPath(s1, "kml"), kImagePattern).empty());
    auto near = [](const std::string& colour, int r, int g, int b) {
        int got[4];
        std::sscanf(colour.c_str(), "%d,%d,%d,%d", &got[0], &got[1], &got[2], &got[3]);
        return std::abs(got[0] - r) < 8 && std::abs(got[1] - g) < 8 && std::abs(got[2] - b) < 8;
    };
    EXPECT_TRUE(near(centreColour(joinPath(s1, "my.area_0.JPG")), 255, 0, 0));
    EXPECT_TRUE(near(centreColour(joinPath(s1, "my.area_1.JPG")), 0, 255, 0));
    EXPECT_TRUE(near(centreColour(joinPath(s1, "my.area_2.JPG")), 0, 0, 255));
    EXPECT_TRUE(near(centreColour(joinPath(s1, "my.area_3.JPG")), 255, 255, 0));
    EXPECT_TRUE(near(centreColour(joinPath(s1, "my.area_3_3.JPG")), 255, 255, 0));
    EXPECT_TRUE(near(testing::pixelColour(joinPath(s1, "my.area.JPG"), 64, 200), 0, 0, 255));
}

TEST(RealSplit, Image2048GivesEightyFiveTilesAndAKmlTreeOverThem) {
    TilingRig rig;
    testing::makeImage(rig.path("scene.jpg"), 2048, 2048);
    testing::writeWorldFile(rig.path("scene.jgw"), 0.0005, -0.0005, 30, 40);
    rig.app.settings.projectImage = rig.path("scene.jpg");
    rig.app.settings.imageFolder = rig.dir.path().string();
    rig.app.settings.imageName = "scene";
    rig.app.settings.openWhenDone = false;
    rig.app.settings.jpegQuality = "75";
    rig.app.run.singleImage = true;
    rig.app.run.sizeClass = SizeClass::S2048;
    rig.app.run.root2048 = rig.path("scene");
    EXPECT_TRUE(Split2048(rig.app));

    const TileSet tiles{rig.path("scene")};
    EXPECT_EQ(countFiles(tiles.tgroup1(), ".JPG") + countFiles(tiles.sgroup1(), ".JPG") +
                  countFiles(tiles.sgroup2(), ".JPG"),
              85);
    for (const std::string& folder : {tiles.tgroup1(), tiles.sgroup1(), tiles.sgroup2()}) {
        expectAllTiles256(folder);
        EXPECT_TRUE(listFiles(joinPath(folder, "kml"), kImagePattern).empty());
    }
    EXPECT_TRUE(listFiles(tiles.kml(), kImagePattern).empty());

    const testing::KmlTreeWalk walk = testing::walkKmlTree(rig.path("scene.kml"));
    EXPECT_EQ(walk.overlays, 85);
    EXPECT_EQ(walk.missing, std::vector<std::string>{});
    EXPECT_EQ(rig.host.statuses.back(), "KML files were written successfully...");
    EXPECT_TRUE(rig.host.messages.empty());
}

TEST(RealSplit, FolderRunSkipsAnUnreadableSourceAndTilesTheOthersUnderOneRoot) {
    TilingRig rig;
    testing::makeImage(rig.path("a.jpg"), 1024, 1024);
    testing::writeFile(rig.path("b.jpg"), "not a picture at all");
    testing::makeImage(rig.path("c.jpg"), 1024, 1024);
    for (const std::string name : {"a", "b", "c"}) {
        testing::writeWorldFile(rig.path(name + ".jgw"), 0.001, -0.001, 10, 20);
    }
    prepareFolderRun(rig, SizeClass::S1024);
    EXPECT_FALSE(Split1024(rig.app));

    const std::string s1 = TileSet{rig.dir.path().string()}.sgroup1();
    EXPECT_EQ(countFiles(s1, ".JPG"), 2 * 21);
    ASSERT_FALSE(rig.host.messages.empty());
    EXPECT_TRUE(rig.host.messages[0].text.starts_with("10 steps failed and were skipped. "))
        << rig.host.messages[0].text;
    EXPECT_EQ(rig.host.statuses.back(), "KML files was written successfully...");
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

TEST(RealSplit, EdgeImageOfAPaddedLargeImageIsTransparentBeyondItsOwnEdgeAtEveryLevel) {
    TilingRig rig;
    constexpr int kWidth = 3000, kHeight = 2600;  // the large image's own pixels in this piece
    const std::string content = rig.path("content.png");
    testing::makeQuadrantImage(content, 3000, {"#3070b0", "#b0a030", "#208040", "#806020"});
    runConvert({"convert", "-size", "4096x4096", "xc:RGB(255, 0, 255)", "(", content, "-crop",
                "3000x2600+0+0", ")", "-composite", rig.path("big_1.jpg")});
    std::filesystem::remove(content);
    testing::writeWorldFile(rig.path("big_1.jgw"), 0.001, -0.001, 10, 20);
    prepareFolderRun(rig, SizeClass::S4096);
    rig.app.settings.jpegQuality = "75";
    rig.app.run.paddedPieces = true;
    rig.app.paddedPieceNames = {"big_1"};
    for (int q = 0; q < 4; ++q) {
        for (int s = 0; s < 4; ++s) {
            rig.app.paddedPieceNames.push_back("big_1_" + std::to_string(q) + "_" + std::to_string(s));
        }
    }
    EXPECT_TRUE(Split4096(rig.app));

    const TileSet tiles{rig.dir.path().string()};
    EXPECT_EQ(countFiles(tiles.tgroup2(), ".PNG"), 5);
    EXPECT_EQ(countFiles(tiles.tgroup1(), ".JPG"), 16);
    EXPECT_EQ(countFiles(tiles.sgroup1(), ".PNG"), 16 + 64);
    EXPECT_EQ(countFiles(tiles.sgroup2(), ".PNG"), 256);
    for (const std::string& folder : {tiles.tgroup2(), tiles.sgroup1(), tiles.sgroup2()}) {
        expectAllTiles256(folder);
        EXPECT_EQ(countFiles(folder, ".JPG"), 0);
        EXPECT_TRUE(listFiles(joinPath(folder, "kml"), kImagePattern).empty());
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

    const testing::KmlTreeWalk walk = testing::walkKmlTree(rig.path("Area.kml"));
    EXPECT_EQ(walk.overlays, 341);
    EXPECT_EQ(walk.missing, std::vector<std::string>{});
}

}  // namespace
}  // namespace orvanta
