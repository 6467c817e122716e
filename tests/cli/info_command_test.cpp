#include <gtest/gtest.h>

#include "magick/commands.h"
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

}  // namespace
}  // namespace orvanta
