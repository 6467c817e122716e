#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "magick/commands.h"
#include "support/geo_images.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

// Runs "orvanta-cli info" with the arguments.
testing::ProgramResult info(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {ORVANTA_CLI, "info"};
    argv.insert(argv.end(), args.begin(), args.end());
    return testing::runProgram(argv);
}

TEST(InfoCommand, TileImageFactsAndProjectedWorldFileRefused) {
    testing::ScratchDir dir;
    runConvert({"convert", "-size", "2048x2048", "xc:navy", "-quality", "50", dir / "tile.jpg"});
    testing::writeFile(dir / "tile.jgw", "0.0001\r\n0\r\n0\r\n-0.0001\r\n10.5\r\n50.25\r\n");
    const testing::ProgramResult result = info({dir / "tile.jpg"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    for (const char* line :
         {"Width (Pixels): 2048\n", "Height (Pixels): 2048\n", "Size class: 2048\n", "World file: ",
          "tile.jgw\n", "A: 0.0001\n", "E: -0.0001\n", "C: 10.5\n", "F: 50.25\n", "WGS84: yes\n",
          "North: 50.25\n", "South: 50.0452\n", "East: 10.7048\n", "West: 10.5\n"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
    }

    testing::writeFile(dir / "tile.jgw", "1\n0\n0\n-1\n500000\n5000000\n");
    const testing::ProgramResult projected = info({dir / "tile.jpg"});
    EXPECT_EQ(projected.exitStatus, 1);
    EXPECT_EQ(projected.out, "");
    EXPECT_NE(projected.err.find("The Selected image is not using 'WGS84 Datum Projection'."),
              std::string::npos)
        << projected.err;
}

TEST(InfoCommand, FolderVerdictAndRefusals) {
    testing::ScratchDir dir;
    runConvert({"convert", "-size", "1024x1024", "xc:navy", dir / "a.png"});
    testing::writeFile(dir / "a.pgw", "0.001\n0\n0\n-0.001\n1\n2\n");
    testing::ProgramResult result = info({dir.path().string()});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("Usable: yes\nSize class: 1024\n"), std::string::npos) << result.out;

    runConvert({"convert", "-size", "1024x1024", "xc:navy", dir / "b.png"});
    result = info({dir.path().string(), "--no"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("contains 1 image(s) with no reference 'world file'"),
              std::string::npos);
    EXPECT_EQ(info({dir.path().string(), "--yes"}).exitStatus, 0);
    EXPECT_EQ(info({dir / "absent.png"}).exitStatus, 1);
    EXPECT_EQ(info({}).exitStatus, 2);
}

// A WGS84 GeoTIFF whose georeference is in its tags only, where no listing program can write
// its world file: info reads it in memory, tells the bits of each channel, warns of nothing and
// writes nothing; transform tiles it where its tags place it and writes only its tree.
TEST(InfoCommand, GeoTiffWithoutWorldFileIsReadWithoutWritingOne) {
    namespace fs = std::filesystem;
    testing::ScratchDir dir;
    testing::makeGeoImage(dir / "a.tif", 1024, 1024, {10, 0.001, 0, 50, 0, -0.001}, "EPSG:4326");
    fs::create_directory(dir / "bin");
    const auto run = [&](const std::string& command) {
        return testing::runProgram(
            {"/usr/bin/env", "PATH=" + dir / "bin", ORVANTA_CLI, command, dir / "a.tif"});
    };
    const auto files = [&] {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            names.insert(entry.path().filename().string());
        return names;
    };
    const testing::ProgramResult facts = run("info");
    EXPECT_EQ(facts.exitStatus, 0) << facts.err;
    EXPECT_EQ(facts.err, "");
    for (const char* line : {"Bit Depth: 8 per channel, 3 channels\n",
                             "World file: none (the image's own georeference)\n", "C: 10.0005\n",
                             "F: 49.9995\n", "Coordinate system: WGS 84 (EPSG:4326)\n"}) {
        EXPECT_NE(facts.out.find(line), std::string::npos) << line << "\n" << facts.out;
    }
    EXPECT_EQ(files(), (std::set<std::string>{"a.tif", "bin"}));

    const testing::ProgramResult tiled = run("transform");
    EXPECT_EQ(tiled.exitStatus, 0) << tiled.err;
    EXPECT_EQ(files(), (std::set<std::string>{"a.tif", "bin", "a", "a.kml"}));
    const std::string root = testing::readFile(dir / "a.kml");
    EXPECT_NE(root.find("<north>49.9995</north>"), std::string::npos) << root;
    EXPECT_NE(root.find("<west>10.0005</west>"), std::string::npos) << root;
}

}  // namespace
}  // namespace orvanta
