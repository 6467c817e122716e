#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::runProgram;

// Every file below `folder` but the shard files, by relative path, with its bytes.
std::map<std::string, std::string> tree(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.find(".shard-") == std::string::npos)
            files[fs::relative(entry.path(), folder).string()] = testing::readFile(entry.path());
    }
    return files;
}

// Four folders run as three shards at once through GNU parallel, then merged, give the very
// files of the batch run on one machine; a merge that lacks a folder or holds one twice writes
// nothing.
TEST(CliShards, ShardsRunThroughParallelMergeIntoTheSingleMachineBatch) {
    testing::ScratchDir dir;
    std::vector<std::string> batch = {ORVANTA_CLI, "batch"};
    for (const std::string name : {"north", "south", "east", "west"}) {
        fs::create_directories(dir / name);
        testing::makeImage(dir / name + "/" + name + ".jpg", 1024, 1024);
        // West and north as the world file writes them reach the top file as they stand.
        testing::writeFile(
            dir / name + "/" + name + ".jgw",
            "0.001\r\n0\r\n0\r\n-0.001\r\n1" + std::to_string(batch.size()) + ".000\r\n20.000\r\n");
        batch.push_back(dir / name);
    }
    const std::string out = dir / "out", top = out + "/Area.kml";
    auto run = [&](std::vector<std::string> args, const std::string& into,
                   const std::vector<std::string>& more) {
        args.insert(args.end(), {"--name", "Area", "--relative-links", "--output", into});
        args.insert(args.end(), more.begin(), more.end());
        return runProgram(args);
    };
    ASSERT_EQ(run(batch, dir / "single", {}).exitStatus, 0);

    std::vector<std::string> parallel = {"parallel", "--will-cite", "--halt", "now,fail=1"};
    parallel.insert(parallel.end(), batch.begin(), batch.end());
    const auto shards = run(parallel, out, {"--shard", "{}/3", ":::", "0", "1", "2"});
    ASSERT_EQ(shards.exitStatus, 0) << shards.err;
    EXPECT_FALSE(fs::exists(top));
    const std::vector<std::string> merge = {ORVANTA_CLI, "merge",  "--kml-folder",
                                            out,         "--name", "Area"};
    auto merged = runProgram(merge);
    ASSERT_EQ(merged.exitStatus, 0) << merged.err;
    EXPECT_EQ(merged.out, top + "\n");
    EXPECT_EQ(tree(out), tree(dir / "single"));

    // One shard missing: its folder is named and nothing is written.
    fs::remove(top);
    fs::rename(out + "/Area.shard-1-of-3.txt", dir / "away.txt");
    merged = runProgram(merge);
    EXPECT_EQ(merged.exitStatus, 1);
    EXPECT_NE(merged.err.find("Finished in no shard (run its shard again, with --resume):\n"
                              "orvanta-cli:   1 (" +
                              dir / "south)\norvanta-cli: No top file"),
              std::string::npos)
        << merged.err;
    EXPECT_FALSE(fs::exists(top));

    // A stale shard of another split holds folders 1 and 3 a second time; run again with
    // --resume, it leaves the trees as they were.
    fs::rename(dir / "away.txt", out + "/Area.shard-1-of-3.txt");
    ASSERT_EQ(run(batch, out, {"--shard", "1/2", "--resume"}).exitStatus, 0);
    merged = runProgram(merge);
    EXPECT_EQ(merged.exitStatus, 1);
    EXPECT_NE(
        merged.err.find("more than one shard (remove the stale shard file):\norvanta-cli:   1 (" +
                        dir / "south) in " + out + "/Area.shard-1-of-2.txt " + out +
                        "/Area.shard-1-of-3.txt\norvanta-cli:   3 ("),
        std::string::npos)
        << merged.err;
    EXPECT_FALSE(fs::exists(top));
    fs::remove(out + "/Area.shard-1-of-2.txt");
    ASSERT_EQ(runProgram(merge).exitStatus, 0);
    EXPECT_EQ(tree(out), tree(dir / "single"));

    // A folder's tree removed after its shard finished: the top file would link nothing there.
    fs::remove(top);
    fs::remove_all(out + "/west");
    merged = runProgram(merge);
    EXPECT_EQ(merged.exitStatus, 1);
    EXPECT_NE(merged.err.find("The shard file " + out +
                              "/Area.shard-0-of-3.txt cannot be merged: "
                              "line 8: the tile folder '" +
                              out + "/west' does not exist."),
              std::string::npos)
        << merged.err;
    EXPECT_FALSE(fs::exists(top));
}

}  // namespace
}  // namespace orvanta
