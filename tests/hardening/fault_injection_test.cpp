#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <csignal>
#include <filesystem>
#include <map>

#include "app/app_state.h"
#include "app/lists.h"
#include "app/transform.h"
#include "support/fake_host.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"
#include "tiling/tiling_rig.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::readFile;
using testing::ScratchDir;

// Runs orvanta-cli in a child whose files may grow to `maxBytes` at most; SIGXFSZ is ignored
// there, so an oversized write fails with EFBIG as on a full disk instead of killing it.
ProgramResult runCliWithFileLimit(std::vector<std::string> args, rlim_t maxBytes) {
    ScratchDir dir;
    const std::string outPath = dir / "out", errPath = dir / "err";
    args.insert(args.begin(), ORVANTA_CLI);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(err, 2);
        const rlimit limit{maxBytes, maxBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ProgramResult result;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

// The bytes of every source file (images and world files) below `folder`, by path.
std::map<std::string, std::string> sources(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".jpg" || ext == ".png" || ext == ".jgw" || ext == ".pgw")
            files[entry.path().string()] = readFile(entry.path().string());
    }
    return files;
}

bool says(const ProgramResult& result, const std::string& text) {
    return result.err.find(text) != std::string::npos;
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

    ScratchDir dir;
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
    EXPECT_TRUE(says(result, "The tiles cannot be written into the folder " + tiles)) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(sources(folder), before);
}

// The tiles of a first run are in place; their KML folder turns read-only before the next
// run, so the tiling stage succeeds and every KML step fails part way through.
TEST_F(CliFaultTest, KmlFolderTurnedReadOnlyMidRunReportsTheSkippedSteps) {
    ASSERT_EQ(cli({"transform", image}).exitStatus, 0);
    const std::string kml = folder + "/area/Tgroup1/Sgroup1/kml";
    testing::ReadOnlyFolder locked(kml);
    if (!locked.effective())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    const auto result = cli({"transform", image});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(says(result,
                     "steps failed and were skipped. The first failure: 75 "
                     "Path/File access error: " +
                         kml + "/"))
        << result.err;
    EXPECT_EQ(sources(folder), before);
}

TEST_F(CliFaultTest, WritesFailingAsOnAFullDiskAreCountedAndExitOne) {
    for (rlim_t limit : {rlim_t{1024}, rlim_t{8192}}) {
        const auto result = runCliWithFileLimit({"transform", image}, limit);
        EXPECT_EQ(result.exitStatus, 1) << limit;
        EXPECT_TRUE(says(result, "failed and w")) << result.err;
        EXPECT_TRUE(says(result, "The first failure: ")) << result.err;
        EXPECT_EQ(sources(folder), before);
        // No half-written scratch file of a text file is left behind.
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    }
}

TEST_F(CliFaultTest, SourceImageTruncatedHalfwayIsRefusedNotTiledAsGrey) {
    for (const std::string name : {"half.png", "half.jpg", "half2048.jpg"}) {
        const std::string path = folder + "/" + name;
        const int size = name == "half2048.jpg" ? 2048 : 1024;
        testing::makeImage(path, size, size);
        const std::string bytes = readFile(path);
        testing::writeFile(path, bytes.substr(0, bytes.size() / 2));
        testing::writeWorldFile(
            fs::path(path).replace_extension(name == "half.png" ? ".pgw" : ".jgw").string(), 0.001,
            -0.001, 10, 20);
        const auto sourcesBefore = sources(folder);
        const auto result = cli({"transform", path});
        EXPECT_EQ(result.exitStatus, 1) << name << "\n" << result.err;
        EXPECT_TRUE(says(result, "The first failure: -2147215503 ")) << result.err;
        EXPECT_EQ(sources(folder), sourcesBefore);
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

TEST(WorldFileDeletedMidRun, KmlPassEndsOnAMessageAndKeepsTheImages) {
    ScratchDir dir;
    const std::string folder = dir / "tiles";
    fs::create_directories(folder);
    for (int i = 0; i < 2; ++i) {
        testing::makeImage(folder + "/t" + std::to_string(i) + ".jpg", 1024, 1024);
        testing::writeWorldFile(folder + "/t" + std::to_string(i) + ".jgw", 0.001, -0.001,
                                10 + i * 1.024, 20);
    }
    const auto before = sources(folder);
    WorldFileThief host;
    host.victim = folder + "/t1.jgw";
    AppState app(host);
    app.startUp({"/"});
    app.settings.projectName = "Area";
    app.settings.openWhenDone = false;
    useTilesFolder(app, folder);
    Transform(app);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_NE(host.messages.back().text.find("t1"), std::string::npos) << host.messages.back().text;
    EXPECT_NE(app.statusText(), "KML files was written successfully...");
    auto expected = before;
    expected.erase(host.victim);
    EXPECT_EQ(sources(folder), expected);
}

}  // namespace
}  // namespace orvanta
