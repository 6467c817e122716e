#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::readFile;

// Paths are data: blanks, letters beyond ASCII, quotes, ';' and "$(...)" must reach the
// image library, the file system and the started programs unchanged, and a shell that
// split or ran them would create the sentinel file.
class HostilePathTest : public ::testing::Test {
  protected:
    HostilePathTest() {
        const std::string hostile = "a b;\xC3\xA9 \"q\" $(touch " + sentinel() + ") 'x' `true`";
        folder = dir / hostile;
        // About 1,000 characters in all, in names a file system accepts.
        longFolder = dir.path().string();
        while (longFolder.size() < 900)
            longFolder += "/" + std::string(200, 'l');
        fs::create_directories(folder);
        fs::create_directories(longFolder);
        recorder = dir / "earth records";
        testing::writeFile(recorder,
                           "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                               dir / "argv.txt" + "'\n");
        fs::permissions(recorder, fs::perms::owner_all);
    }
    ~HostilePathTest() override { EXPECT_FALSE(fs::exists(sentinel())); }

    std::string sentinel() const { return dir / "executed"; }

    std::string tile(const std::string& where, const std::string& name, int size = 1024,
                     double west = 10) {
        const std::string image = where + "/" + name + ".jpg";
        testing::makeImage(image, size, size);
        testing::writeWorldFile(where + "/" + name + ".jgw", 0.001, -0.001, west, 20);
        return image;
    }

    ProgramResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), ORVANTA_CLI);
        return testing::runProgram(args);
    }

    // What the Google Earth stand-in was started with, one argument a line.
    std::string startedWith() {
        const std::string log = dir / "argv.txt";
        for (int wait = 0; wait < 100 && !fs::exists(log); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::string text = fs::exists(log) ? readFile(log) : "";
        fs::remove(log);
        return text;
    }

    testing::ScratchDir dir;
    std::string folder, longFolder, recorder;
};

TEST_F(HostilePathTest, TransformAndRegenerateTakeTheImageAndHandItToGoogleEarthWhole) {
    for (const std::string& where : {folder, longFolder}) {
        const std::string image = tile(where, "-m ap");
        const std::string kml = where + "/-m ap.kml";
        const auto result = cli({"transform", "--open", "--google-earth", recorder, "--", image});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, kml + "\n");
        EXPECT_EQ(startedWith(), kml + "\n");
        EXPECT_TRUE(fs::exists(where + "/-m ap/Tgroup1/Sgroup1/-m ap_3_3.JPG"));

        const std::string before = readFile(kml);
        fs::remove(kml);
        const auto again = cli({"regenerate", "--", image});
        ASSERT_EQ(again.exitStatus, 0) << again.err;
        EXPECT_EQ(readFile(kml), before);

        const auto info = cli({"info", "--", image});
        EXPECT_EQ(info.exitStatus, 0) << info.err;
        EXPECT_NE(info.out.find(image), std::string::npos) << info.out;
    }
}

TEST_F(HostilePathTest, BatchAndMultiresolutionFoldersAreSingleArguments) {
    const std::string east = folder + "/-east ;$(x)", west = longFolder + "/-west";
    fs::create_directories(east);
    fs::create_directories(west);
    tile(east, "e", 1024, 12);
    tile(west, "w", 1024, 10);
    const auto batch = cli({"batch", "--name", "Area", "--kml-folder", folder, "--open",
                            "--google-earth", recorder, "--", east, west});
    ASSERT_EQ(batch.exitStatus, 0) << batch.err;
    EXPECT_EQ(batch.out, folder + "/Area.kml\n");
    EXPECT_EQ(startedWith(), folder + "/Area.kml\n");

    const std::string high = tile(folder, "-high", 2048, 10);
    const std::string low = tile(longFolder, "low $(y)", 1024, 10);
    const auto multires = cli({"multires", "--open", "--google-earth", recorder, "--", high, low});
    ASSERT_EQ(multires.exitStatus, 0) << multires.err;
    EXPECT_NE(readFile(folder + "/-high.kml").find("<kml"), std::string::npos);
    EXPECT_NE(readFile(longFolder + "/low $(y).kml").find("<kml"), std::string::npos);
}

TEST_F(HostilePathTest, LargeImageSlicesBesideItself) {
    const std::string image = folder + "/-big $(z).jpg";
    testing::makeImage(image, 600, 400);
    testing::writeWorldFile(folder + "/-big $(z).jgw", 0.001, -0.001, 10, 20);
    const auto result = cli({"large", "--name", "Big", "--", image});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, folder + "/-big $(z)L/Big.kml\n");
    EXPECT_TRUE(fs::exists(folder + "/-big $(z)L/-big $(z)_0.jgw"));
}

// A GeoTIFF without its world file: the listing program found on the PATH gets the image's
// path as one argument, both when one image is examined and when a folder is scanned.
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
    const auto info = cli({"info", "--", image});
    EXPECT_EQ(info.exitStatus, 0) << info.err;
    EXPECT_EQ(startedWith(), "-tfw\n" + image + "\n");

    fs::remove(folder + "/-g eo $(w).tfw");
    const auto transform = cli({"transform", "--", folder});
    setenv("PATH", savedPath.c_str(), 1);
    ASSERT_EQ(transform.exitStatus, 0) << transform.err;
    EXPECT_EQ(startedWith(), "-tfw\n" + image + "\n");
    EXPECT_TRUE(fs::exists(folder + "/-g eo $(w).tfw"));
}

}  // namespace
}  // namespace orvanta
