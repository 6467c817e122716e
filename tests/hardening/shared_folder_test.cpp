// Runs into a folder that others can write, as an attacker would prepare it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::readFile;

class SharedFolderTest : public ::testing::Test {
  protected:
    SharedFolderTest() {
        fs::create_directories(shared);
        fs::permissions(shared, fs::perms::all);
        testing::makeImage(shared + "/area.jpg", 1024, 1024);
        testing::writeWorldFile(shared + "/area.jgw", 0.001, -0.001, 10, 20);
        testing::writeFile(victim, "precious");
    }

    // Runs orvanta-cli from a shell that first runs `plant` with $$, the id the program keeps.
    testing::ProgramResult cliAfter(const std::string& plant, std::vector<std::string> args) {
        args.insert(args.begin(), {"/bin/sh", "-c", plant + "\nexec \"$0\" \"$@\"", ORVANTA_CLI});
        return testing::runProgram(args);
    }

    testing::ScratchDir dir;
    const std::string shared = dir / "shared";
    const std::string victim = dir / "victim";
};

// Links under the scratch names a run of that id once used and under final names are never
// written through; cleanup removes only the person's own regular scratch files, nothing below
// the folders the run writes, and no temporary folder of the process's name made by another.
TEST_F(SharedFolderTest, WhatOthersPlantedIsNeitherWrittenThroughNorDeleted) {
    const std::string own = shared + "/trips/2019/.orvanta-part-424242-beach.jpg";
    fs::create_directories(fs::path(own).parent_path());
    testing::writeFile(own, "a person's photo");
    const std::string plant =
        "export TMPDIR='" + dir / "tmp" + "'; mkdir -p \"$TMPDIR/orvanta-scratch-$$\" '" + shared +
        "/Tgroup1/Sgroup1'; echo kept > \"$TMPDIR/orvanta-scratch-$$/f\"; for n in Default.kml "
        "Tgroup1.txt Tgroup1/Sgroup1/area.JPG Tgroup1/Sgroup1/area_0_0.JPG; do ln -s '" +
        victim + "' \"" + shared +
        "/$(dirname $n)/.orvanta-part-$$-$(basename $n)\"; done; ln -s '" + victim + "' '" +
        shared + "/Tgroup1/Sgroup1/area_0.JPG'";
    const std::string left = shared + "/.orvanta-part-99999999-abcDEF-";
    for (const char* engine : {"vips", "magick"}) {
        fs::remove_all(shared + "/Tgroup1");
        fs::remove_all(dir / "tmp");
        testing::writeFile(left + "ours.kml", "left by an ended run");
        testing::writeFile(left + "theirs.kml", "someone else's");
        const bool theirs = geteuid() == 0 && chown((left + "theirs.kml").c_str(), 1, 1) == 0;
        fs::create_symlink(victim, left + "link.kml");
        const auto result = cliAfter(plant, {"transform", shared, "--engine", engine});
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(readFile(victim), "precious") << engine;
        EXPECT_FALSE(fs::is_symlink(shared + "/Tgroup1/Sgroup1/area_0.JPG"));
        EXPECT_EQ(readFile(own), "a person's photo");
        EXPECT_EQ(fs::exists(left + "theirs.kml"), theirs);
        EXPECT_FALSE(fs::exists(left + "ours.kml"));
        EXPECT_TRUE(fs::remove(left + "link.kml"));
        ASSERT_EQ(std::distance(fs::directory_iterator(dir / "tmp"), {}), 1);  // theirs
        EXPECT_EQ(readFile(fs::directory_iterator(dir / "tmp")->path() / "f"), "kept\n");
    }
}

// Started programs get the person's environment, not that of the restart with huge pages
// (which the program itself gets unless the person chose). Absurd --jobs are capped.
TEST_F(SharedFolderTest, StartedProgramsGetThePersonsEnvironment) {
    const std::string bin = dir / "bin", log = dir / "env.txt";
    fs::create_directories(bin);
    testing::writeFile(bin + "/listgeo",
                       "#!/bin/sh\n{ echo \"own:$GLIBC_TUNABLES\"; tr '\\0' '\\n' < "
                       "/proc/$PPID/environ | grep GLIBC_TUNABLES; } >> '" +
                           log +
                           "'\nprintf '0.001\\n0\\n0\\n-0.001\\n10\\n20\\n' > \"${2%.*}.tfw\"\n");
    fs::permissions(bin + "/listgeo", fs::perms::owner_all);
    fs::rename(shared + "/area.jpg", shared + "/area.tif");
    fs::remove(shared + "/area.jgw");
    for (const std::string tunables : {"", "glibc.malloc.hugetlb=0"}) {
        fs::remove(shared + "/area.tfw");
        const std::string set =
            tunables.empty() ? "unset GLIBC_TUNABLES" : "export GLIBC_TUNABLES=" + tunables;
        const auto result = cliAfter(set + "; export PATH='" + bin + "':$PATH",
                                     {"transform", shared, "--no", "--jobs", "100000"});
        EXPECT_NE(result.err.find("--jobs 100000 is more than this machine can use"),
                  std::string::npos)
            << result.err;
        const std::string seen = readFile(log);
        fs::remove(log);
        EXPECT_EQ(seen, tunables.empty()
                            ? "own:\nGLIBC_TUNABLES=glibc.malloc.hugetlb=1\n"
                            : "own:" + tunables + "\nGLIBC_TUNABLES=" + tunables + "\n");
    }
}

}  // namespace
}  // namespace orvanta
