#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>

#include "imagery/world_file.h"
#include "support/geo_images.h"
#include "support/kml_walk.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
constexpr const char* kUtm33 = "EPSG:32633";
// 10 m pixels in UTM zone 33N, west of the zone's central meridian: the footprint on
// latitude/longitude is tilted.
constexpr std::array<double, 6> kPlace = {300000, 10, 0, 5500000, 0, -10};

std::set<std::string> filesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Red, green, blue of a picture's pixel.
std::array<int, 4> colourAt(const std::string& picture, int x, int y) {
    std::array<int, 4> rgba{};
    std::sscanf(testing::pixelColour(picture, x, y).c_str(), "%d,%d,%d,%d", &rgba[0], &rgba[1],
                &rgba[2], &rgba[3]);
    return rgba;
}

struct Input {
    const char* file;
    int size;
    const char* command;
    std::vector<std::string> options;  // given with and without --reproject
    bool prj;
};

// An image in another coordinate system, georeferenced by its GeoTIFF tags, by a world file
// with a .prj, or by a world file whose system --source-srs names: without --reproject it is
// refused and nothing is written; with it, it is warped and sliced (a tile-size image too, which
// says so), its pieces' north-west corner where the library puts the image's, its halves where
// the library puts them, and the grid's corner beyond the tilted footprint transparent.
TEST(CliReproject, WarpedWhereTheLibraryPutsTheImage) {
    const std::vector<Input> inputs = {
        {"utm.tif", 300, "large", {}, true},
        {"plain.png", 300, "large", {}, true},
        {"bare.png", 1024, "transform", {"--source-srs", kUtm33}, false},
    };
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.file);
        testing::ScratchDir dir;
        const std::string image = dir / input.file;
        testing::makeGeoImage(image, input.size, input.size * 2 / 3, kPlace, kUtm33, input.prj);
        const std::set<std::string> given = filesIn(dir.path().string());
        std::vector<std::string> argv = {ORVANTA_CLI, input.command, image};
        argv.insert(argv.end(), input.options.begin(), input.options.end());

        const auto refused = testing::runProgram(argv);
        EXPECT_EQ(refused.exitStatus, 1);
        EXPECT_NE(refused.err.find("is not using 'WGS84 Datum Projection'"), std::string::npos)
            << refused.err;
        EXPECT_NE(refused.err.find("give --reproject"), std::string::npos) << refused.err;
        EXPECT_EQ(filesIn(dir.path().string()), given);

        argv.push_back("--reproject");
        const auto warped = testing::runProgram(argv);
        ASSERT_EQ(warped.exitStatus, 0) << warped.err;
        EXPECT_NE(warped.err.find("warped to WGS84 latitude/longitude"), std::string::npos);
        const std::string name = fs::path(image).stem().string();
        const std::string pieces = dir / (name + "L");
        const WorldFile world = readWorldFile(pieces + "/" + name + "_0.jgw");
        const double a = *WorldFile::number(world.A), e = *WorldFile::number(world.E);
        const double west = *WorldFile::number(world.C) - a / 2;
        const double north = *WorldFile::number(world.F) - e / 2;
        const int height = input.size * 2 / 3;
        const auto lonLat = [&](double x, double y) {
            return testing::toLonLat(kUtm33, kPlace[0] + x * kPlace[1], kPlace[3] + y * kPlace[5]);
        };
        EXPECT_NEAR(west, std::min(lonLat(0, 0).first, lonLat(0, height).first), a);
        EXPECT_NEAR(north, std::max(lonLat(0, 0).second, lonLat(input.size, 0).second), -e);

        // The full-resolution tiles of the first piece: each 2048, 1024, 512 and 256 square
        // in turn is quarter 0 to 3, row by row.
        const auto at = [&](int x, int y) {
            std::string tile = pieces + "/Tgroup1/Sgroup2/" + name + "_0";
            for (int side = 2048; side >= 256; side /= 2)
                tile += "_" + std::to_string(y / side % 2 * 2 + x / side % 2);
            return colourAt(tile + ".PNG", x % 256, y % 256);
        };
        const auto sourceAt = [&](double x, double y) {
            const auto [lon, lat] = lonLat(x, y);
            return at(static_cast<int>((lon - west) / a), static_cast<int>((north - lat) / -e));
        };
        const std::array<int, 4> red = sourceAt(input.size * 0.25, height * 0.6);
        const std::array<int, 4> blue = sourceAt(input.size * 0.75, height * 0.6);
        EXPECT_TRUE(red[0] > 200 && red[1] < 60 && red[2] < 60 && red[3] == 255);
        EXPECT_TRUE(blue[0] < 60 && blue[1] < 60 && blue[2] > 200 && blue[3] == 255);
        EXPECT_EQ(at(0, 0)[3], 0);
    }
}

// A folder of tiles in another coordinate system is refused as before without --reproject;
// with it, each image is warped and sliced on its own, and one top file links their trees.
TEST(CliReproject, FolderOfImagesIsSlicedImageByImage) {
    testing::ScratchDir dir;
    fs::create_directory(dir / "tiles");
    testing::makeGeoImage(dir / "tiles/a.png", 200, 100, kPlace, kUtm33);
    std::array<double, 6> east = kPlace;
    east[0] += 2000;
    testing::makeGeoImage(dir / "tiles/b.png", 200, 100, east, kUtm33);
    const std::set<std::string> given = filesIn(dir / "tiles");
    const auto refused = testing::runProgram({ORVANTA_CLI, "transform", dir / "tiles"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("give --reproject"), std::string::npos) << refused.err;
    EXPECT_EQ(filesIn(dir / "tiles"), given);

    const auto warped =
        testing::runProgram({ORVANTA_CLI, "transform", dir / "tiles", "--reproject"});
    ASSERT_EQ(warped.exitStatus, 0) << warped.err;
    EXPECT_EQ(warped.out, dir / "tiles/Default.kml\n");
    const testing::KmlTreeWalk walk = testing::walkKmlTree(dir / "tiles/Default.kml");
    EXPECT_EQ(walk.files, 1 + 2 * (1 + 341));
    EXPECT_TRUE(walk.missing.empty()) << walk.missing.front();
    EXPECT_TRUE(fs::exists(dir / "tiles/bL/Default1.kml"));
}

}  // namespace
}  // namespace orvanta
