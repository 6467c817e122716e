// Runs over the output of earlier runs: what a rerun keeps, replaces, removes and links, and the
// archive of exactly what a run wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "magick/commands.h"
#include "support/kml_walk.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

class CliRerunTest : public ::testing::Test {
  protected:
    void tile(const std::string& folder, const std::string& name, double west = 10,
              const std::string& colour = {}) {
        fs::create_directories(folder);
        const std::string image = folder + "/" + name + ".jpg";
        if (colour.empty())
            testing::makeImage(image, 1024, 1024);
        else
            testing::makeQuadrantImage(image, 1024, {colour, colour, colour, colour});
        testing::writeWorldFile(folder + "/" + name + ".jgw", 0.001, -0.001, west, 20);
    }
    testing::ProgramResult cli(Args args) {
        args.insert(args.begin(), ORVANTA_CLI);
        return testing::runProgram(args);
    }
    // Files under `folder` whose name ends so (or, with `start`, starts so).
    static int count(const std::string& folder, const std::string& part, bool start = false) {
        return static_cast<int>(
            std::count_if(fs::recursive_directory_iterator(folder), {}, [&](const auto& entry) {
                const std::string name = entry.path().filename().string();
                return start ? name.starts_with(part) : name.ends_with(part);
            }));
    }
    // The strongest channel of a pixel: "red", "green" or "blue".
    static std::string colourAt(const std::string& path, int x, int y) {
        int r = 0, g = 0, b = 0;
        std::sscanf(testing::pixelColour(path, x, y).c_str(), "%d,%d,%d", &r, &g, &b);
        return r > g && r > b ? "red" : g > b ? "green" : "blue";
    }
    // The tree holds every file it links and no KML file it does not link.
    static void expectWholeTree(const std::string& top, const std::string& folder) {
        const testing::KmlTreeWalk walk = testing::walkKmlTree(top);
        EXPECT_TRUE(walk.missing.empty()) << walk.missing.front();
        EXPECT_EQ(count(folder, ".kml"), walk.files) << top;
    }
    testing::ScratchDir dir;
};

// A rerun in another format, or with the source changed, links and leaves only the tiles it
// cuts; --resume keeps a tile only when the same source and settings made it, whatever the
// times of the files, and says what it kept.
TEST_F(CliRerunTest, ResumeKeepsOnlyWhatTheSameSourceAndSettingsMade) {
    const std::string f = dir / "f", tile0 = f + "/Tgroup1/Sgroup1/a.JPG";
    const auto quality = [&] { return runIdentify({"identify", "-format", "%Q", tile0}); };
    tile(f, "a", 10, "red");
    struct Step {
        Args options;
        std::function<void()> before;
        std::function<void()> check;
    };
    const std::vector<Step> steps = {
        {{"--format", "PNG"}, {}, [&] { EXPECT_EQ(count(f, ".PNG"), 21); }},
        {{"--resume"},
         [&] { tile(f, "a", 10, "blue"); },
         [&] {
             EXPECT_EQ(count(f, ".PNG"), 0);
             EXPECT_EQ(colourAt(tile0, 5, 5), "blue");
         }},
        {{"--quality", "75"}, {}, [&] { EXPECT_EQ(quality(), "75"); }},
        {{"--resume", "--quality", "100"}, {}, [&] { EXPECT_EQ(quality(), "100"); }},
        // The source replaced by another whose time is older, as cp -p and tar leave it.
        {{"--resume"},
         [&] {
             const auto old = fs::last_write_time(f + "/a.jpg") - std::chrono::hours(48);
             tile(f, "a", 10, "lime");
             fs::last_write_time(f + "/a.jpg", old);
         },
         [&] { EXPECT_EQ(colourAt(tile0, 5, 5), "green"); }},
        // A level cut again is made from the level below, as a whole run makes it.
        {{"--resume"},
         [&] { fs::remove(f + "/Tgroup1/Sgroup1/a_2.JPG"); },
         [&] { EXPECT_EQ(colourAt(f + "/Tgroup1/Sgroup1/a_2.JPG", 9, 9), "green"); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.options.front());
        if (step.before)
            step.before();
        Args args = {"transform", f};
        args.insert(args.end(), step.options.begin(), step.options.end());
        const auto result = cli(args);
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        step.check();
        expectWholeTree(f + "/Default.kml", f);
        const testing::KmlTreeWalk walk = testing::walkKmlTree(f + "/Default.kml");
        EXPECT_EQ(walk.overlays, 21);
    }
    const auto kept = cli({"transform", f, "--resume"});
    EXPECT_NE(kept.err.find("Resumed: 1 image kept the tiles of the earlier run, 0 images cut "
                            "again."),
              std::string::npos)
        << kept.err;
}

// The archive holds exactly what the run wrote, its links resolving inside it: a pair, a batch
// whose top file lies in a KML folder of its own, and a name holding '&'.
TEST_F(CliRerunTest, ArchivePacksWhatTheRunWroteWithLinksThatResolveInsideIt) {
    tile(dir / "hi", "city", 10);
    tile(dir / "lo", "region", 10);
    tile(dir / "A", "west", 10);
    tile(dir / "B", "east", 11);
    tile(dir / "R&D", "a&b", 12);
    const std::vector<std::pair<Args, int>> cases = {
        {{"multires", dir / "hi/city.jpg", dir / "lo/region.jpg"}, 42},
        {{"batch", dir / "A", dir / "B", "--kml-folder", dir / "top/kml", "--output", dir / "out"},
         42},
        {{"transform", dir / "R&D"}, 21},
    };
    for (const auto& [args, overlays] : cases) {
        SCOPED_TRACE(args[0]);
        const std::string kmz = dir / (args[0] + ".kmz"), unpacked = dir / ("unpacked-" + args[0]);
        Args withKmz = args;
        withKmz.insert(withKmz.end(), {"--kmz", kmz});
        const auto result = cli(withKmz);
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        ASSERT_EQ(testing::runProgram({"unzip", "-q", kmz, "-d", unpacked}).exitStatus, 0);
        const testing::KmlTreeWalk walk = testing::walkKmlTree(unpacked + "/doc.kml");
        EXPECT_TRUE(walk.missing.empty()) << walk.missing.front();
        EXPECT_EQ(walk.overlays, overlays);
        EXPECT_EQ(count(unpacked, ".kml"), walk.files);
    }
    // Another super-overlay reader opens each tree of the pair inside the archive.
    const auto info =
        testing::runProgram({"gdalinfo", "/vsizip/" + dir / "multires.kmz/lo/region.kml"});
    EXPECT_NE(info.out.find("Size is 1024, 1024"), std::string::npos) << info.out << info.err;
}

// An output path that is an input or something else is refused before any work; an archive
// that exists is replaced only with --yes; a project name is a plain file name; a large image
// is a file; a refusal or a declined question leaves nothing behind.
TEST_F(CliRerunTest, OutputPathsAreCheckedBeforeAnyWork) {
    tile(dir / "in", "a", 10);
    testing::writeFile(dir / "old.kmz", "PK\x03\x04 an archive of an earlier run");
    testing::writeFile(dir / "plain", "not a folder");
    const std::string image = testing::readFile(dir / "in/a.jpg");
    const std::vector<std::tuple<Args, std::string>> refused = {
        {{"--kmz", dir / "in/a.jpg"}, "is an image this run reads"},
        {{"--kmz", dir / "in/Default.kml"}, "would also be the KMZ archive of this run"},
        {{"--save-project", dir / "in/a.jpg"}, "is an image this run reads"},
        {{"--kmz", dir / "old.kmz"}, "stopped at a question answered No"},
        {{"--kmz", dir / "plain/x.kmz"}, "cannot be made"},
        {{"--output", dir / "plain"}, "is a file, not a folder"},
        {{"--name", "../../escaped"}, "is not a plain file name"},
        {{"--name", ""}, "is not a plain file name"},
    };
    for (const auto& [options, message] : refused) {
        Args args = {"transform", dir / "in"};
        args.insert(args.end(), options.begin(), options.end());
        const auto result = cli(args);
        EXPECT_EQ(result.exitStatus, 1) << options[1];
        EXPECT_NE(result.err.find(message), std::string::npos) << options[1] << result.err;
        EXPECT_FALSE(fs::exists(dir / "in/Tgroup1")) << options[1];
    }
    EXPECT_EQ(testing::readFile(dir / "in/a.jpg"), image);
    EXPECT_EQ(cli({"transform", dir / "in", "--kmz", dir / "old.kmz", "--yes"}).exitStatus, 0);
    EXPECT_EQ(testing::runProgram({"unzip", "-tq", dir / "old.kmz"}).exitStatus, 0);
    const auto large = cli({"large", dir / "in"});
    EXPECT_EQ(large.exitStatus, 1);
    EXPECT_NE(large.err.find("is a folder; large cuts one image"), std::string::npos) << large.err;
}

// A rerun removes what an earlier run of the same names made and this one does not: the tiles
// of the pieces a larger image had, and the scratch of an archive a killed run was packing.
TEST_F(CliRerunTest, RerunRemovesTheLeftoversOfEarlierRuns) {
    const std::string big = dir / "big.jpg", out = dir / "out";
    testing::writeWorldFile(dir / "big.jgw", 0.0001, -0.0001, 10, 50);
    fs::create_directories(out);
    const std::string killed = out + "/.orvanta-part-999999999-Ab3dEf-big.kmz";
    for (const int width : {4200, 3000}) {
        testing::makeImage(big, width, 100);
        testing::writeFile(killed, "half an archive");
        const auto result = cli({"large", big, "--output", out, "--skip-empty-tiles", "--kmz",
                                 out + "/big.kmz", "--yes"});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_FALSE(fs::exists(killed));
    }
    EXPECT_EQ(count(out + "/bigL", "big_1", true), 0);
    expectWholeTree(out + "/bigL/Default.kml", out + "/bigL");
    // A resumed slice looks for every piece, the last one too.
    fs::remove(out + "/bigL/big_0.JPG");
    EXPECT_EQ(cli({"large", big, "--output", out, "--skip-empty-tiles", "--resume"}).exitStatus, 0);
    EXPECT_TRUE(fs::exists(out + "/bigL/big_0.JPG"));
}

}  // namespace
}  // namespace orvanta
