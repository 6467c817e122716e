#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::runProgram;
using testing::ScratchDir;

// Every file below `folder` but the KML files, with its size and modification time, to see
// that no source, world file or tile changed.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> snapshot(
    const std::string& folder) {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() != ".kml") {
            files[entry.path().string()] = {entry.file_size(), entry.last_write_time()};
        }
    }
    return files;
}

int countFiles(const std::string& folder, const std::string& extension) {
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().extension() == extension)
            ++count;
    }
    return count;
}

class CliRunTest : public ::testing::Test {
  protected:
    // A square JPEG tile with its world file.
    void tile(const std::string& folder, const std::string& name, int size, double west = 10,
              double pixel = 0.001) {
        fs::create_directories(folder);
        testing::makeImage(folder + "/" + name + ".jpg", size, size);
        testing::writeWorldFile(folder + "/" + name + ".jgw", pixel, -pixel, west, 20);
    }

    testing::ProgramResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), ORVANTA_CLI);
        return runProgram(args);
    }

    ScratchDir dir;
};

TEST_F(CliRunTest, FolderOfTwo2048TilesGivesItsTreeAndPrintsTheTopKml) {
    const std::string folder = dir / "tiles";
    tile(folder, "a", 2048, 10);
    tile(folder, "b", 2048, 12.048);
    const auto result = cli({"transform", folder, "--name", "Area"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, folder + "/Area.kml\n");
    EXPECT_EQ(countFiles(folder + "/Tgroup1", ".JPG"), 2 * 85);
    EXPECT_EQ(countFiles(folder, ".kml"), 1 + 2 * 85);
    EXPECT_NE(result.err.find("KML files were written successfully..."), std::string::npos);
}

TEST_F(CliRunTest, SavedProjectRegeneratesTheSameKmlWithoutTouchingTiles) {
    const std::string folder = dir / "one";
    tile(folder, "area", 1024);
    const std::string project = dir / "x.ovt";
    const auto first =
        cli({"transform", folder + "/area.jpg", "--order", "HIGH", "--save-project", project});
    ASSERT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(first.out, folder + "/area.kml\n");
    const std::string kml = folder + "/area/kml/area.kml";
    const std::string before = testing::readFile(kml);
    const auto tiles = snapshot(folder + "/area/Tgroup1");
    fs::remove(kml);

    const auto again = cli({"regenerate", "--project", project});
    EXPECT_EQ(again.exitStatus, 0) << again.err;
    EXPECT_EQ(testing::readFile(kml), before);
    EXPECT_EQ(snapshot(folder + "/area/Tgroup1"), tiles);
}

TEST_F(CliRunTest, BatchStartsGoogleEarthOnceOnTheTopFile) {
    tile(dir / "A", "west", 1024, 10);
    tile(dir / "B", "east", 1024, 5);
    const std::string log = dir / "started.log";
    const std::string program = dir / "earth";
    testing::writeFile(program, "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" + log + "'\n");
    fs::permissions(program, fs::perms::owner_all);
    const auto result = cli({"batch", dir / "A", dir / "B", "--name", "Area", "--open",
                             "--google-earth", program, "--kml-folder", dir.path().string()});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, dir / "Area.kml\n");
    for (int wait = 0; wait < 100 && !fs::exists(log); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(testing::readFile(log), "1|" + dir / "Area.kml\n");
}

TEST_F(CliRunTest, RefusedInputsEndWithTheirMessageAndChangeNothing) {
    fs::create_directories(dir / "empty");
    tile(dir / "mixed", "a", 1024);
    tile(dir / "mixed", "b", 2048);
    tile(dir / "unreferenced", "a", 1024);
    fs::remove(dir / "unreferenced/a.jgw");
    tile(dir / "utm", "a", 1024, 500000);
    tile(dir / "odd", "a", 1000);
    tile(dir / "good", "a", 1024);
    testing::writeFile(
        dir / "gone.ovt",
        "#OVT Project File\r\n#----------------\r\n\r\n0\r\n0\r\n" + dir / "gone" + "\r\n");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"transform", dir / "empty"}, "holds no images"},
        {{"transform", dir / "missing"}, "does not exist"},
        {{"transform", dir / "mixed"}, "contains images of different sizes"},
        {{"transform", dir / "unreferenced"}, "does not contain any reference 'world file'"},
        {{"transform", dir / "utm/a.jpg"}, "is not using 'WGS84 Datum Projection'"},
        {{"transform", dir / "odd/a.jpg"}, "This image could not be tiled."},
        {{"multires", dir / "good/a.jpg", dir / "odd/a.jpg"}, "This image could not be tiled."},
        {{"batch", dir / "good", dir / "utm"}, "not using 'WGS84 Datum Projection'"},
        {{"run", dir / "gone.ovt"}, "which does not exist"},
    };
    const auto before = snapshot(dir.path().string());
    for (const Case& c : cases) {
        const auto result = cli(c.args);
        EXPECT_EQ(result.exitStatus, 1) << c.args[1] << "\n" << result.err;
        EXPECT_EQ(result.out, "") << c.args[1];
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.args[1] << "\n" << result.err;
    }
    EXPECT_EQ(snapshot(dir.path().string()), before);
}

}  // namespace
}  // namespace orvanta
