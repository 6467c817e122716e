#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/job_fixture.h"
#include "app/lists.h"
#include "app/transform.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::readFile;

// Runs orvanta-cli with its files limited to `blocks` of 512 bytes (the POSIX shell's unit):
// an oversized write must fail as on a full disk, not kill the program.
ProgramResult runCliWithFileLimit(const std::vector<std::string>& args, int blocks) {
    std::vector<std::string> argv = {"/bin/sh", "-c", "ulimit -f \"$0\"; exec \"$@\"",
                                     std::to_string(blocks), ORVANTA_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return testing::runProgram(argv);
}

// The bytes of every source file (images and world files) in `folder`, by path.
std::map<std::string, std::string> sources(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".jpg" || ext == ".png" || ext == ".jgw" || ext == ".pgw")
            files[entry.path().string()] = readFile(entry.path().string());
    }
    return files;
}

// The bytes of every file below `folder`, by path.
std::map<std::string, std::string> tree(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[entry.path().string()] = readFile(entry.path().string());
    }
    return files;
}

class CliFaultTest : public ::testing::Test {
  protected:
    CliFaultTest() {
        fs::create_directories(folder);
        testing::makeImage(image, 1024, 1024);
        testing::writeWorldFile(folder + "/area.jgw", 0.001, -0.001, 10, 20);
        before = sources(folder);
    }

    ProgramResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), ORVANTA_CLI);
        return testing::runProgram(args);
    }

    testing::ScratchDir dir;
    const std::string folder = dir / "maps";
    const std::string image = folder + "/area.jpg";
    std::map<std::string, std::string> before;
};

TEST_F(CliFaultTest, TileFolderThatCannotBeWrittenEndsTheRunWithItsPath) {
    const std::string tiles = folder + "/area";
    fs::create_directories(tiles);
    testing::ReadOnlyFolder locked(tiles);
    if (!locked.effective())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    const auto result = cli({"transform", image});
    EXPECT_EQ(result.exitStatus, 1);
    const std::string message = "The tiles cannot be written into the folder " + tiles;
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(fs::exists(folder + "/area.kml"));
    EXPECT_EQ(sources(folder), before);
}

// Over the tree of an earlier good run, writes failing as on a full disk replace no file.
TEST_F(CliFaultTest, WritesFailingAsOnAFullDiskAreCountedAndKeepTheEarlierRun) {
    ASSERT_EQ(cli({"transform", image}).exitStatus, 0);
    const auto good = tree(folder);
    for (const int limit : {2, 16}) {
        const auto result = runCliWithFileLimit({"transform", image}, limit);
        EXPECT_EQ(result.exitStatus, 1) << limit;
        EXPECT_NE(result.err.find(" skipped. The first failure: "), std::string::npos)
            << result.err;
        EXPECT_EQ(tree(folder), good);  // no scratch file left, no tile made grey
    }
}

// SIGINT or SIGTERM cancels the run after the step in hand: exit 130, nothing half-written.
TEST_F(CliFaultTest, InterruptCancelsAfterTheStepInHand) {
    testing::makeImage(image, 4096, 4096);
    for (const std::string signal : {"INT", "TERM"}) {
        fs::remove_all(folder + "/area");
        // The signal is sent once the run has begun its tiles (within 30 s), however slow its
        // start.
        const auto result = testing::runProgram(
            {"/bin/sh", "-c",
             "\"$0\" transform \"$1\" --engine magick --jobs 1 & for i in $(seq 600); do [ -d "
             "\"$2\" ] && break; sleep 0.05; done; sleep 0.5; kill -" +
                 signal + " $!; wait $!",
             ORVANTA_CLI, image, folder + "/area"});
        EXPECT_EQ(result.exitStatus, 130) << signal << result.err;
        EXPECT_NE(result.err.find("orvanta-cli: cancelled"), std::string::npos);
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(fs::exists(folder + "/area.kml"));
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            EXPECT_TRUE(entry.is_directory() || entry.file_size() > 0) << entry.path();
    }
}

// A run killed outright and started again with --resume ends with the files of a run that was
// never stopped: no scratch file, no lock, no picture half-written or cut twice differently.
TEST_F(CliFaultTest, KilledRunResumedEqualsAnUninterruptedOne) {
    testing::makeImage(image, 4096, 4096);
    ASSERT_EQ(cli({"transform", image, "--engine", "magick"}).exitStatus, 0);
    const auto uninterrupted = tree(folder);
    fs::remove_all(folder + "/area");
    fs::remove(folder + "/area.kml");
    testing::runProgram(
        {"/bin/sh", "-c",
         "\"$0\" transform \"$1\" --engine magick & sleep 3; kill -KILL $!; wait $!", ORVANTA_CLI,
         image});
    const auto resumed = cli({"transform", image, "--engine", "magick", "--resume"});
    EXPECT_EQ(resumed.exitStatus, 0) << resumed.err;
    EXPECT_EQ(tree(folder), uninterrupted);
}

// A second run into a folder that a run is writing is refused, naming the first; the first
// completes.
TEST_F(CliFaultTest, SecondRunIntoABusyFolderIsRefused) {
    testing::makeImage(image, 4096, 4096);
    const auto result = testing::runProgram(
        {"/bin/sh", "-c",
         "\"$0\" transform \"$1\" --engine magick --jobs 1 >/dev/null & sleep 1; "
         "\"$0\" transform \"$1\"; "
         "echo second=$?; wait $!; echo first=$?",
         ORVANTA_CLI, image});
    EXPECT_EQ(result.out, "second=1\nfirst=0\n") << result.err;
    EXPECT_NE(result.err.find(") is writing into " + folder + "/area."), std::string::npos)
        << result.err;
    EXPECT_TRUE(fs::exists(folder + "/area.kml"));
    EXPECT_FALSE(fs::exists(folder + "/area/.orvanta-lock"));
}

// Cut halfway, or cut with the end marker put back (which the decoder only warns of).
TEST_F(CliFaultTest, SourceImageTruncatedHalfwayIsRefusedNotTiledAsGrey) {
    for (const auto& [name, world, size, end] : {std::tuple{"half.png", "half.pgw", 1024, ""},
                                                 {"half.jpg", "half.jgw", 1024, ""},
                                                 {"half2048.jpg", "half2048.jgw", 2048, ""},
                                                 {"ended.jpg", "ended.jgw", 1024, "\xFF\xD9"}}) {
        const std::string path = folder + "/" + name;
        testing::makeImage(path, size, size);
        const std::string bytes = readFile(path);
        testing::writeFile(path, bytes.substr(0, bytes.size() / 2) + end);
        testing::writeWorldFile(folder + "/" + world, 0.001, -0.001, 10, 20);
        const auto sourcesBefore = sources(folder);
        const auto result = cli({"transform", path});
        EXPECT_EQ(result.exitStatus, 1) << name << "\n" << result.err;
        EXPECT_NE(result.err.find("The first failure: -2147215503 "), std::string::npos)
            << result.err;
        EXPECT_EQ(sources(folder), sourcesBefore);
        // No tile of the broken source exists, and no KML file links one.
        const std::string stem = fs::path(name).stem().string();
        for (const auto& [file, text] : tree(folder + "/" + stem)) {
            EXPECT_TRUE(file.ends_with(".txt") || file.ends_with(".kml")) << file;
            EXPECT_EQ(text.find("<Icon>"), std::string::npos) << file;
        }
    }
}

// Deletes a world file when the KML pass begins, after the scan has read it.
class WorldFileThief : public testing::FakeHost {
  public:
    std::string victim;
    void statusChanged(const std::string& text) override {
        FakeHost::statusChanged(text);
        if (text == "Generating kml files...")
            fs::remove(victim);
    }
};

class WorldFileDeletedMidRun : public testing::JobTestOn<WorldFileThief> {};

TEST_F(WorldFileDeletedMidRun, KmlPassEndsOnAMessageAndKeepsTheImages) {
    const std::string folder = folderOfTiles("tiles", 2);
    auto before = sources(folder);
    host.victim = folder + "/t1.jgw";
    app.settings.openWhenDone = false;
    useTilesFolder(app, folder);
    EXPECT_EQ(Transform(app).ending, Ending::Failed);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_NE(host.messages.back().text.find("t1"), std::string::npos) << host.messages.back().text;
    before.erase(host.victim);
    EXPECT_EQ(sources(folder), before);
}

}  // namespace
}  // namespace orvanta
