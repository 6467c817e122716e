#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::readFile;
using Lines = std::multiset<std::string>;  // in name order: detached starts may finish in any

// Paths are data: blanks, letters beyond ASCII, quotes, ';' and "$(...)" must reach the
// image library, the file system and the started programs unchanged, and a shell that
// split or ran them would create the sentinel file.
class HostilePathTest : public ::testing::Test {
  protected:
    HostilePathTest() {
        folder = dir / ("a b;\xC3\xA9 \"q\" $(touch " + dir / "executed" + ") 'x' `true`");
        // About 1,000 characters in all, in names a file system accepts.
        longFolder = dir.path().string();
        while (longFolder.size() < 900)
            longFolder += "/" + std::string(200, 'l');
        fs::create_directories(folder);
        fs::create_directories(longFolder);
        // The Google Earth stand-in: one line per argument, appended at every start.
        recorder = dir / "earth records";
        testing::writeFile(recorder,
                           "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" +
                               dir / "argv.txt" + "'\n");
        fs::permissions(recorder, fs::perms::owner_all);
    }
    ~HostilePathTest() override { EXPECT_FALSE(fs::exists(dir / "executed")); }

    std::string tile(const std::string& where, const std::string& name, int size = 1024) {
        fs::create_directories(where);
        const std::string image = where + "/" + name + ".jpg";
        testing::makeImage(image, size, size);
        testing::writeWorldFile(where + "/" + name + ".jgw", 0.001, -0.001, 10, 20);
        return image;
    }

    ProgramResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), ORVANTA_CLI);
        return testing::runProgram(args);
    }

    // The arguments the started programs recorded, once `lines` came (or 5 s) and 0.2 s later.
    Lines startedWith(std::size_t lines) {
        const std::string log = dir / "argv.txt";
        auto recorded = [&] {
            std::istringstream in(fs::exists(log) ? readFile(log) : "");
            Lines found;
            for (std::string line; std::getline(in, line);)
                found.insert(line);
            return found;
        };
        for (int wait = 0; wait < 100 && recorded().size() < lines; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const Lines found = recorded();
        fs::remove(log);
        return found;
    }

    testing::ScratchDir dir;
    std::string folder, longFolder, recorder;
};

TEST_F(HostilePathTest, TransformTakesTheImageAndHandsItsKmlToGoogleEarthWhole) {
    for (const std::string& where : {folder, longFolder}) {
        const std::string image = tile(where, "-m ap");
        const std::string kml = where + "/-m ap.kml";
        const auto result = cli({"transform", "--open", "--google-earth", recorder, "--", image});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, kml + "\n");
        EXPECT_EQ(startedWith(1), Lines{kml});
        EXPECT_TRUE(fs::exists(where + "/-m ap/Tgroup1/Sgroup1/-m ap_3_3.JPG"));
        // Links name their files through any URL reader: blanks are encoded.
        EXPECT_EQ(readFile(kml).find("-m ap/"), std::string::npos);
    }
}

// Multi-resolution starts Google Earth only when asked, then on both results.
TEST_F(HostilePathTest, BatchAndMultiresolutionFoldersAreSingleArguments) {
    const std::string east = folder + "/-east ;$(x)", west = longFolder + "/-west";
    tile(east, "e");
    tile(west, "w");
    const auto batch = cli({"batch", "--name", "Area", "--kml-folder", folder, "--open",
                            "--google-earth", recorder, "--", east, west});
    ASSERT_EQ(batch.exitStatus, 0) << batch.err;
    EXPECT_EQ(batch.out, folder + "/Area.kml\n");
    EXPECT_EQ(startedWith(1), Lines{folder + "/Area.kml"});

    const std::string high = tile(folder, "-high", 2048), low = tile(longFolder, "low $(y)");
    const std::string highKml = folder + "/-high.kml", lowKml = longFolder + "/low $(y).kml";
    std::vector<std::string> multires = {"multires", "--google-earth", recorder, "--", high, low};
    for (const bool open : {false, true}) {
        if (open)
            multires.insert(multires.begin() + 1, "--open");
        const auto result = cli(multires);
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, highKml + "\n" + lowKml + "\n");
        EXPECT_EQ(startedWith(open ? 2 : 0), open ? (Lines{highKml, lowKml}) : Lines{});
    }
}

TEST_F(HostilePathTest, LargeImageSlicesBesideItself) {
    const std::string image = tile(folder, "-big $(z)", 600);
    const auto result = cli({"large", "--name", "Big", "--", image});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, folder + "/-big $(z)L/Big.kml\n");
    EXPECT_TRUE(fs::exists(folder + "/-big $(z)L/-big $(z)_0.jgw"));
}

// A GeoTIFF without its world file: the listing program found on the PATH gets the image's
// path as one argument, both when one image is opened and when a folder is scanned.
TEST_F(HostilePathTest, GeoTiffListingProgramGetsThePathWhole) {
    const std::string bin = dir / "bin";
    fs::create_directories(bin);
    testing::writeFile(bin + "/listgeo",
                       "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" +
                           dir / "argv.txt" +
                           "'\nprintf '0.001\\n0\\n0\\n-0.001\\n10\\n20\\n' > \"${2%.*}.tfw\"\n");
    fs::permissions(bin + "/listgeo", fs::perms::owner_all);
    const std::string savedPath = std::getenv("PATH");
    setenv("PATH", (bin + ":" + savedPath).c_str(), 1);

    const std::string image = folder + "/-g eo $(w).tif";
    testing::makeImage(image, 1024, 1024);
    // It works on a link to the image in a scratch folder of the run beside the world file.
    const auto listed = [&] {
        const Lines lines = startedWith(2);
        EXPECT_TRUE(lines.size() == 2 && *lines.begin() == "-tfw" &&
                    lines.rbegin()->starts_with(folder + "/.orvanta-part-") &&
                    lines.rbegin()->ends_with("/-g eo $(w).tif"));
    };
    const auto single = cli({"transform", "--", image});
    EXPECT_EQ(single.exitStatus, 0) << single.err;
    listed();

    fs::remove(folder + "/-g eo $(w).tfw");
    const auto transform = cli({"transform", "--", folder});
    ASSERT_EQ(transform.exitStatus, 0) << transform.err;
    listed();
    EXPECT_TRUE(fs::exists(folder + "/-g eo $(w).tfw"));

    // With an output folder, the world file is made in the tile root of the run and the input's
    // folder is only read: for an image, a folder and a folder of a batch.
    fs::remove(folder + "/-g eo $(w).tfw");
    const auto output = cli({"transform", "--output", dir / "out", "--", image});
    const auto folderRun = cli({"transform", "--output", dir / "folder", "--", folder});
    const auto batch = cli({"batch", "--output", dir / "batch", "--", folder});
    setenv("PATH", savedPath.c_str(), 1);
    ASSERT_EQ(output.exitStatus, 0) << output.err;
    EXPECT_EQ(output.out, dir / "out/-g eo $(w).kml\n");
    EXPECT_TRUE(fs::exists(dir / "out/-g eo $(w).tfw"));
    ASSERT_EQ(folderRun.exitStatus, 0) << folderRun.err;
    EXPECT_TRUE(fs::exists(dir / "folder/-g eo $(w).tfw"));
    ASSERT_EQ(batch.exitStatus, 0) << batch.err;
    EXPECT_TRUE(fs::exists(dir / "batch" / fs::path(folder).filename() / "-g eo $(w).tfw"));
    EXPECT_FALSE(fs::exists(folder + "/-g eo $(w).tfw"));
}

}  // namespace
}  // namespace orvanta
