#include "app/batch_shards.h"

#include <gtest/gtest.h>

#include "platform/text_file.h"

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
    const auto back = parseShardFile(splitLines(text));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->sameBatch(record));
    EXPECT_EQ(back->finished, record.finished);
    EXPECT_EQ(back->shard.index, 1);
    EXPECT_EQ(back->shard.count, 3);
    for (const std::string broken : {"folder\t0\t/x", "finished\t2\tn1\tn1\tn1\tn1", "name\t%0"})
        EXPECT_FALSE(parseShardFile(splitLines(text + broken))) << broken;

    EXPECT_EQ(parseBatchShard("2/3")->index, 2);
    for (const std::string wrong : {"3/3", "-1/2", "1/0", "a/2", "1", "1/2x", "/2"})
        EXPECT_FALSE(parseBatchShard(wrong)) << wrong;
}

}  // namespace
}  // namespace orvanta
