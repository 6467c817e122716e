#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "imagery/world_file.h"
#include "magick/commands.h"
#include "support/kml_walk.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

// One image far wider than the library's usual caps, through the whole large-image road:
// slicing, piece world files, padding, the 4096 pyramid of every piece and the KML tree.
TEST(CliLarge, WideImageBecomesPaddedPiecesAndAReadableTree) {
    testing::ScratchDir dir;
    const double a = 0.0001, c = 10.00005, f = 50.99995;
    testing::makeImage(dir / "wide.jpg", 20000, 3000);
    testing::writeWorldFile(dir / "wide.jgw", a, -a, c, f);

    const auto result =
        testing::runProgram({ORVANTA_CLI, "large", dir / "wide.jpg", "--name", "Wide"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string pieces = dir / "wideL";
    EXPECT_EQ(result.out, pieces + "/Wide.kml\n");

    for (int k = 0; k < 5; ++k) {
        const std::string piece = pieces + "/wide_" + std::to_string(k);
        EXPECT_EQ(pingImageSize(piece + ".JPG"), (PixelSize{4096, 4096})) << k;
        const WorldFile world = readWorldFile(piece + ".jgw");
        EXPECT_NEAR(*WorldFile::number(world.C), c + k * 4096 * a, 1e-9) << k;
        EXPECT_NEAR(*WorldFile::number(world.F), f, 1e-9) << k;
    }

    // Every piece is short (3000 of 4096 rows) and the last is narrow (3616 columns): at
    // level 0 a tile pixel covers 16 image pixels, so the image ends at row 187.5 and column
    // 226, and the padding beyond is transparent.
    const auto alpha = [&](int piece, int x, int y) {
        const std::string colour =
            testing::pixelColour(pieces + "/Tgroup2/wide_" + std::to_string(piece) + ".PNG", x, y);
        return colour.substr(colour.rfind(',') + 1);
    };
    EXPECT_EQ(alpha(0, 100, 100), "255");
    EXPECT_EQ(alpha(0, 100, 200), "0");
    EXPECT_EQ(alpha(4, 200, 100), "255");
    EXPECT_EQ(alpha(4, 240, 100), "0");

    const testing::KmlTreeWalk walk = testing::walkKmlTree(pieces + "/Wide.kml");
    EXPECT_EQ(walk.files, 1 + 5 * 341);
    EXPECT_TRUE(walk.missing.empty()) << walk.missing.front();
}

// The pictures in a folder, not below it.
int pictures(const std::string& folder) {
    namespace fs = std::filesystem;
    return static_cast<int>(std::count_if(fs::directory_iterator(folder), {}, [](const auto& e) {
        const std::string ext = e.path().extension().string();
        return e.is_regular_file() && (ext == ".PNG" || ext == ".JPG");
    }));
}

// Of a 4096 piece whose image fills w x h from its upper left: the squares of `size` that
// hold any of it, and the tiles of all its levels that do.
int squaresWithImage(int w, int h, int size) {
    return (w + size - 1) / size * ((h + size - 1) / size);
}
int tilesWithImage(int w, int h) {
    int tiles = 0;
    for (int size = 4096; size >= 256; size /= 2)
        tiles += squaresWithImage(w, h, size);
    return tiles;
}

// A 4500 x 1000 image gives two pieces, padded to 4096 x 4096: the image fills 4096 x 1000 of
// the first and 404 x 1000 of the second. A full run leaves every tile; a run that skips empty
// tiles over it leaves only those holding image, under either engine (the second resuming:
// a skipped tile is not missing), and its tree links exactly those.
TEST(CliLarge, EmptyEdgeTilesAreSkippedAndTheTreeLinksTheRest) {
    testing::ScratchDir dir;
    testing::makeImage(dir / "strip.jpg", 4500, 1000);
    testing::writeWorldFile(dir / "strip.jgw", 0.0001, -0.0001, 10.00005, 50.99995);
    const std::string out = dir / "out", tiles = out + "/stripL/Tgroup1";
    auto run = [&](std::vector<std::string> options) {
        std::vector<std::string> argv{ORVANTA_CLI, "large", dir / "strip.jpg", "--output", out};
        argv.insert(argv.end(), options.begin(), options.end());
        const auto result = testing::runProgram(argv);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        return pictures(out + "/stripL/Tgroup2") + pictures(tiles + "/Sgroup1") +
               pictures(tiles + "/Sgroup2");
    };
    EXPECT_EQ(run({"--engine", "vips"}), 2 * tilesWithImage(4096, 4096));
    EXPECT_EQ(pictures(tiles), 32);

    const int kept = tilesWithImage(4096, 1000) + tilesWithImage(404, 1000);
    for (const std::string engine : {"magick", "vips"}) {
        SCOPED_TRACE(engine);
        std::vector<std::string> options{"--skip-empty-tiles", "--engine", engine};
        if (engine == "vips")
            options.push_back("--resume");
        EXPECT_EQ(run(options), kept);
        EXPECT_EQ(pictures(tiles), squaresWithImage(4096, 1000, 1024) + 1);
        const testing::KmlTreeWalk walk = testing::walkKmlTree(out + "/stripL/Default.kml");
        EXPECT_EQ(walk.overlays, kept);
        EXPECT_EQ(walk.files, 1 + kept);
        EXPECT_TRUE(walk.missing.empty()) << walk.missing.front();
        // The KML files of the empty cells the full run wrote are gone with their tiles.
        EXPECT_EQ(std::count_if(std::filesystem::recursive_directory_iterator(out), {},
                                [](const auto& e) { return e.path().extension() == ".kml"; }),
                  walk.files);
    }
}

// Pieces cut and tiled in one pass from the rows in memory (PNG pieces) give the very tiles
// that pieces written to lossless files and tiled from those give (TIF pieces): nothing of the
// padding, the transparency of the edges, the levels or the coding differs.
TEST(CliLarge, TilesCutFromRowsInMemoryEqualTilesCutFromPieceFiles) {
    namespace fs = std::filesystem;
    testing::ScratchDir dir;
    runConvert({"convert", "-seed", "4", "-size", "4600x1100", "plasma:fractal", dir / "area.png"});
    testing::writeWorldFile(dir / "area.pgw", 0.0001, -0.0001, 10.00005, 50.99995);
    for (const std::string format : {"PNG", "TIF"}) {
        const auto result =
            testing::runProgram({ORVANTA_CLI, "large", dir / "area.png", "--piece-format", format,
                                 "--output", dir / format});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
    }
    int compared = 0;
    const std::string streamed = dir / "PNG/areaL", fromFiles = dir / "TIF/areaL";
    for (const auto& entry : fs::recursive_directory_iterator(fromFiles + "/Tgroup1")) {
        const std::string name = fs::relative(entry.path(), fromFiles).string();
        if (entry.is_regular_file() && name.find("kml") == std::string::npos) {
            EXPECT_EQ(testing::readFile(streamed + "/" + name), testing::readFile(entry.path()))
                << name;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 2 * (16 + 16 * 21) + 2);  // the 1024 parts, their tiles, two markers
    EXPECT_EQ(testing::readFile(streamed + "/Tgroup2/area_1_3.PNG"),
              testing::readFile(fromFiles + "/Tgroup2/area_1_3.PNG"));
}

// An image with transparent parts keeps them through its pieces with --format PNG alone, under
// either engine: the pieces are PNG. Pieces chosen as JPG are warned of.
TEST(CliLarge, TransparencyOfTheImageReachesTheTilesThroughItsPieces) {
    testing::ScratchDir dir;
    runConvert({"convert", "-size", "4200x300", "xc:none", "-fill", "red", "-draw",
                "rectangle 0,0 99,299", "PNG32:" + dir / "clear.png"});
    testing::writeWorldFile(dir / "clear.pgw", 0.0001, -0.0001, 10.00005, 50.99995);
    const std::string warning = "JPG pieces cannot hold them";
    for (const char* engine : {"vips", "magick"}) {
        const std::string out = dir / engine;
        const auto result =
            testing::runProgram({ORVANTA_CLI, "large", dir / "clear.png", "--format", "PNG",
                                 "--engine", engine, "--output", out});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.err.find(warning), std::string::npos) << result.err;
        EXPECT_TRUE(std::filesystem::exists(out + "/clearL/clear_1.pgw")) << engine;
        // Level 0: a tile pixel covers 16 image pixels; the red strip ends at column 6.
        const std::string tile = out + "/clearL/Tgroup2/clear_0.PNG";
        EXPECT_EQ(testing::pixelColour(tile, 2, 2), "255,0,0,255") << engine;
        const std::string clear = testing::pixelColour(tile, 100, 5);
        EXPECT_EQ(clear.substr(clear.rfind(',') + 1), "0") << engine;
        // The picture the padding was laid on is no part of the output.
        EXPECT_FALSE(std::filesystem::exists(out + "/clearL/Stiles")) << engine;
    }
    const auto jpg = testing::runProgram({ORVANTA_CLI, "large", dir / "clear.png", "--format",
                                          "PNG", "--piece-format", "JPG", "--output", dir / "j"});
    EXPECT_NE(jpg.err.find(warning), std::string::npos) << jpg.err;
}

// Every box of the KML files below `folder` that is off the globe: a latitude beyond 90, a west
// edge outside -180 to 180, an east edge beyond 180 that does not start west of it, or a box
// that is empty or goes round the globe more than once.
std::vector<std::string> boxesOffTheGlobe(const std::string& folder) {
    std::vector<std::string> off;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".kml")
            continue;
        const std::string text = testing::readFile(entry.path().string());
        for (std::size_t at = 0; (at = text.find("<north>", at + 1)) != std::string::npos;) {
            double n = 0, s = 0, e = 0, w = 0;
            std::sscanf(text.c_str() + at,
                        "<north>%lf</north> <south>%lf</south> <east>%lf</east> <west>%lf</west>",
                        &n, &s, &e, &w);
            if (!(-90 <= s && s < n && n <= 90 && -180 <= w && w < 180 && w < e && e <= w + 360 &&
                  (e <= 180 || w < 180)))
                off.push_back(entry.path().string() + " " + text.substr(at, 120));
        }
    }
    return off;
}

// The world map of 2048 x 1024 pixels, padded to a 4096 piece reaching 540 east and 630 south:
// under either engine, with or without empty tiles, every box lies on the globe and only the
// cells on it are written and linked (the tile, its north-west quarter, 2, 8 and 32 below); the
// tile's picture is cut to the image's 128 x 64 pixels of it.
TEST(CliLarge, WholeEarthTreeLiesOnTheGlobe) {
    testing::ScratchDir dir;
    for (const char* name : {"earth.jpg", "earth.jgw"})
        std::filesystem::copy_file(std::string(ORVANTA_SOURCE_DIR) + "/samples/earth/" + name,
                                   dir / name);
    for (const std::string options : {"vips", "vips-skip", "magick", "magick-skip"}) {
        SCOPED_TRACE(options);
        const std::string out = dir / options, root = out + "/earthL";
        const auto result =
            testing::runProgram({ORVANTA_CLI, "large", dir / "earth.jpg", "--engine",
                                 options.substr(0, options.find('-')), "--output", out, "--yes",
                                 options.ends_with("skip") ? "--skip-empty-tiles" : "--yes"});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        const std::vector<std::string> off = boxesOffTheGlobe(out);
        EXPECT_TRUE(off.empty()) << off.size() << " boxes off the globe, as " << off.front();
        const testing::KmlTreeWalk walk = testing::walkKmlTree(root + "/Default.kml");
        EXPECT_EQ(walk.files, 1 + 1 + 1 + 2 + 8 + 32);
        EXPECT_TRUE(walk.missing.empty()) << walk.missing.front();
        EXPECT_EQ(pictures(root + "/Tgroup2") + pictures(root + "/Tgroup1/Sgroup1") +
                      pictures(root + "/Tgroup1/Sgroup2"),
                  walk.overlays);
        EXPECT_EQ(pingImageSize(root + "/Tgroup2/earth_0.PNG"), (PixelSize{128, 64}));
    }
}

// gdalinfo's origin and pixel size of a raster; empty when it cannot read them.
std::vector<double> gdalGeometry(const std::string& path) {
    const std::string info = testing::runProgram({"gdalinfo", path}).out;
    std::vector<double> g(4);
    const char* origin = std::strstr(info.c_str(), "Origin = (");
    if (origin == nullptr || std::sscanf(origin, "Origin = (%lf,%lf) Pixel Size = (%lf,%lf)", &g[0],
                                         &g[1], &g[2], &g[3]) != 4)
        return {};
    return g;
}

// With exact edges, GDAL reads the tree of a single image, and of the whole-earth map, with
// the origin and pixel size of the source, and the world map's pixels back in their place.
TEST(CliLarge, ExactEdgesAreWhereGdalPutsTheSource) {
    if (testing::runProgram({"gdalinfo", "--version"}).exitStatus != 0)
        GTEST_SKIP() << "gdalinfo is not installed";
    testing::ScratchDir dir;
    testing::makeImage(dir / "t.jpg", 1024, 1024);
    testing::writeWorldFile(dir / "t.jgw", 0.001, -0.001, 10.0005, 49.9995);
    for (const char* name : {"earth.jpg", "earth.jgw"})
        std::filesystem::copy_file(std::string(ORVANTA_SOURCE_DIR) + "/samples/earth/" + name,
                                   dir / name);
    for (const std::string command : {"transform", "large"}) {
        const std::string image = dir / (command == "large" ? "earth.jpg" : "t.jpg");
        const std::string top = command == "large" ? "earthL/Default" : "t";
        const auto result =
            testing::runProgram({ORVANTA_CLI, command, image, "--exact-edges", "--relative-links",
                                 "--yes", "--output", dir / "o"});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        const std::vector<double> source = gdalGeometry(image),
                                  tree = gdalGeometry(dir / ("o/" + top + ".kml"));
        ASSERT_EQ(source.size() + tree.size(), 8u) << command;
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(tree[i], source[i], 1e-9) << command << " " << i;
    }
    ASSERT_EQ(testing::runProgram({"gdal_translate", "-q", "-of", "PNG", "-b", "1", "-b", "2", "-b",
                                   "3", dir / "o/earthL/Default.kml", dir / "back.png"})
                  .exitStatus,
              0);
    const auto psnr = testing::runProgram(
        {"compare", "-metric", "PSNR", dir / "earth.jpg", dir / "back.png", "null:"});
    EXPECT_GT(std::atof(psnr.err.c_str()), 40) << psnr.err;
}

// A PNG of a few bytes whose header promises 100000 x 100000 pixels is refused with the figures
// before anything is decoded or written, under either engine.
TEST(CliLarge, HeaderPromisingMoreThanTheLimitsIsRefusedUpFront) {
    testing::ScratchDir dir;
    const std::string ihdr("\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0\x08\x02\0\0\0", 21);
    testing::writeFile(dir / "huge.png", std::string("\x89PNG\r\n\x1a\n", 8) + ihdr +
                                             std::string(4, '\0') + std::string(46, '\0'));
    testing::writeWorldFile(dir / "huge.pgw", 0.0001, -0.0001, 10, 50);
    for (const char* engine : {"vips", "magick"}) {
        const auto result = testing::runProgram(
            {ORVANTA_CLI, "large", dir / "huge.png", "--ram", "512", "--engine", engine});
        EXPECT_EQ(result.exitStatus, 1) << engine;
        EXPECT_NE(result.err.find("The image is 100000 x 100000 pixels"), std::string::npos)
            << result.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "hugeL")) << engine;
    }
}

}  // namespace
}  // namespace orvanta
