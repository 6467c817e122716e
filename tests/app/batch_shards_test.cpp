#include "app/batch_shards.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "platform/text_file.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

// Any name, path and world-file text comes back exactly, and every number to the last bit.
TEST(BatchShards, ShardFileKeepsEveryFieldExactly) {
    ShardRecord record{"Area\t%0A",
                       DisplayOrder::High,
                       "/out/with\nbreak",
                       BatchShard{1, 3},
                       {"/in/a", "/in/b%"},
                       {"/out/a\r", "/out/b"},
                       {}};
    record.finished[1] =
        LatLonBounds{CoordValue::fromText(" \t20.5"), CoordValue::number(0.1 + 0.2),
                     CoordValue::number(-0.0), CoordValue::fromText("10.0")};
    const std::string text = shardFileText(record);
    EXPECT_EQ(text.substr(0, 23), "orvanta batch shard 1\r\n");
    const auto parsed = parseShardFile(splitLines(text));
    const ShardRecord* back = std::get_if<ShardRecord>(&parsed);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->sameBatch(record));
    EXPECT_EQ(back->finished, record.finished);
    EXPECT_EQ(back->shard.index, 1);
    EXPECT_EQ(back->shard.count, 3);
    for (const std::string broken : {"folder\t0\t/x", "finished\t2\tn1\tn1\tn1\tn1", "name\t%0"}) {
        EXPECT_EQ(std::get<std::string>(parseShardFile(splitLines(text + broken))),
                  "line 8: it is not a line of a shard file")
            << broken;
    }

    EXPECT_EQ(parseBatchShard("2/3")->index, 2);
    for (const std::string wrong : {"3/3", "-1/2", "1/0", "a/2", "1", "1/2x", "/2"})
        EXPECT_FALSE(parseBatchShard(wrong)) << wrong;
}

// The merge takes nothing from a shard file that would make the top file link nowhere or
// place the imagery off the globe: each is refused naming the line, or the tile folder.
TEST(BatchShards, FoldersAndBoundsAreCheckedBeforeTheMerge) {
    const auto problem = [](const std::string& root, double north, double east = 1) {
        ShardRecord record{"Area", DisplayOrder::Low, "", BatchShard{0, 1}, {"/in/a"}, {root}, {}};
        record.finished[0] = {CoordValue::number(north), CoordValue::number(0),
                              CoordValue::number(east), CoordValue::number(-10)};
        const auto parsed = parseShardFile(splitLines(shardFileText(record)));
        if (const std::string* text = std::get_if<std::string>(&parsed))
            return *text;
        const auto merged =
            mergeShards({{"/out/Area.shard-0-of-1.txt", std::get<ShardRecord>(parsed)}});
        return missingShardOutput(std::get<MergedBatch>(merged), "/out").value_or("");
    };
    testing::ScratchDir dir;
    std::filesystem::create_directories(dir / "empty");
    testing::writeFile(dir / "Area0.kml", "");
    const std::string refused =
        "The shard file /out/Area.shard-0-of-1.txt cannot be merged: line 5: ";
    const std::vector<std::pair<std::string, std::string>> roots = {
        {dir.path().string(), ""},
        {"", "line 5: the tile folder is empty"},
        {"out/a", "line 5: the tile folder 'out/a' is not a full path"},
        {dir / "gone", refused + "the tile folder '" + (dir / "gone") + "' does not exist."},
        {"/proc/self/root",
         refused + "the tile folder '/proc/self/root' is the root of the file system."},
        {"/usr/../etc", refused + "the tile folder '/usr/../etc' holds no Area0.kml."},
        {dir / "empty", refused + "the tile folder '" + (dir / "empty") + "' holds no Area0.kml."}};
    for (const auto& [root, message] : roots)
        EXPECT_EQ(problem(root, 10), message) << root;
    for (const double north : {NAN, INFINITY, -INFINITY})
        EXPECT_EQ(problem(dir.path().string(), north), "line 6: the bounds are not finite numbers");
    for (const double north : {1e308, 90.5})
        EXPECT_EQ(problem(dir.path().string(), north), "line 6: the bounds lie off the globe");
    // A box across the 180th meridian keeps its east beyond 180, once round the globe at most.
    for (const auto& [east, message] : std::vector<std::pair<double, std::string>>{
             {180.09, ""},
             {350.5, "line 6: the bounds lie off the globe"},
             {-180.5, "line 6: the bounds lie off the globe"}})
        EXPECT_EQ(problem(dir.path().string(), 10, east), message) << east;
}

}  // namespace
}  // namespace orvanta
