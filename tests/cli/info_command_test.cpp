#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "magick/magick.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

using testing::ScratchDir;

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the command-line program with the arguments (simple paths, quoted for the shell).
CliResult runCli(const ScratchDir& dir, const std::vector<std::string>& args) {
    std::string command = std::string("'") + ORVANTA_CLI + "'";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    command += " 2>'" + (dir / "stderr.txt") + "' </dev/null";
    CliResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        result.out += buffer;
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = testing::readFile(dir / "stderr.txt");
    return result;
}

TEST(InfoCommand, TileImageWithWorldFile) {
    ScratchDir dir;
    runConvert({"convert", "-size", "2048x2048", "xc:navy", "-quality", "50", dir / "tile.jpg"});
    testing::writeFile(dir / "tile.jgw", "0.0001\r\n0\r\n0\r\n-0.0001\r\n10.5\r\n50.25\r\n");
    const CliResult result = runCli(dir, {"info", dir / "tile.jpg"});
    EXPECT_EQ(result.status, 0) << result.err;
    for (const char* line :
         {"Width (Pixels): 2048\n", "Height (Pixels): 2048\n", "Size class: 2048\n", "World file: ",
          "tile.jgw\n", "A: 0.0001\n", "E: -0.0001\n", "C: 10.5\n", "F: 50.25\n", "WGS84: yes\n",
          "North: 50.25\n", "South: 50.0452\n", "East: 10.7048\n", "West: 10.5\n"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
    }
}

TEST(InfoCommand, ProjectedWorldFileIsRefused) {
    ScratchDir dir;
    runConvert({"convert", "-size", "64x64", "xc:navy", dir / "utm.jpg"});
    testing::writeFile(dir / "utm.jgw", "1\n0\n0\n-1\n500000\n5000000\n");
    const CliResult result = runCli(dir, {"info", dir / "utm.jpg"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("The Selected image is not using 'WGS84 Datum Projection'."),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.out, "");
}

TEST(InfoCommand, FolderVerdictAndRefusals) {
    ScratchDir dir;
    runConvert({"convert", "-size", "1024x1024", "xc:navy", dir / "a.png"});
    testing::writeFile(dir / "a.pgw", "0.001\n0\n0\n-0.001\n1\n2\n");
    CliResult result = runCli(dir, {"info", dir.path().string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Usable: yes\nSize class: 1024\n"), std::string::npos) << result.out;

    runConvert({"convert", "-size", "1024x1024", "xc:navy", dir / "b.png"});
    result = runCli(dir, {"info", dir.path().string(), "--no"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("contains 1 image(s) with no reference 'world file'"),
              std::string::npos);
    EXPECT_EQ(runCli(dir, {"info", dir.path().string(), "--yes"}).status, 0);

    EXPECT_EQ(runCli(dir, {"info", dir / "absent.png"}).status, 1);
    EXPECT_EQ(runCli(dir, {"info"}).status, 2);
}

}  // namespace
}  // namespace orvanta
