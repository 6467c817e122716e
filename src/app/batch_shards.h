#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "kml/display_order.h"
#include "kml/lat_lon_bounds.h"

namespace orvanta {

// One share of a batch run on its own, possibly on another machine: the folders whose
// position in the batch (counted from 0) leaves `index` when divided by `count`.
struct BatchShard {
    int index = 0;
    int count = 1;

    bool holds(std::size_t position) const {
        return position % static_cast<std::size_t>(count) == static_cast<std::size_t>(index);
    }
};

// "I/N" with 0 <= I < N; nothing for any other text.
std::optional<BatchShard> parseBatchShard(const std::string& text);

// What a shard leaves for the merge: the whole batch (every folder in order, with its tile
// root, and the settings that shape the top file), and the bounds of each folder of the shard
// that was finished without a failed step.
struct ShardRecord {
    std::string name;  // the project name: the top file is NAME.kml
    DisplayOrder order = DisplayOrder::Low;
    std::string linksFrom;  // the top file's folder for relative links; empty for full paths
    BatchShard shard;
    std::vector<std::string> folders;              // the batch's folders, in its order
    std::vector<std::string> roots;                // the tile root of each folder
    std::map<std::size_t, LatLonBounds> finished;  // by position in the batch

    bool sameBatch(const ShardRecord& other) const {
        return name == other.name && order == other.order && linksFrom == other.linksFrom &&
               folders == other.folders && roots == other.roots;
    }
};

// NAME.shard-I-of-N.txt: the shard file, beside the top file.
std::string shardFileName(const std::string& name, BatchShard shard);

// The text of a shard file (CR LF lines). Names and world-file texts are kept exactly, numbers
// to the last bit, so the merge computes the very top file the batch would have.
std::string shardFileText(const ShardRecord& record);

// Reads the lines of a shard file; nothing when it is not one this program wrote.
std::optional<ShardRecord> parseShardFile(const std::vector<std::string>& lines);

// The bounds of a whole batch from those of its folders, in the batch's order.
LatLonBounds batchBounds(const std::vector<LatLonBounds>& folders);

// A shard file as the merge found it.
struct FoundShard {
    std::string file;
    ShardRecord record;
};

// Everything the top file of a merged batch is made of.
struct MergedBatch {
    ShardRecord batch;  // the batch as its shards describe it
    LatLonBounds bounds;
};

// Checks that the shard files describe one batch and hold each of its folders exactly once;
// otherwise the message that says what is wrong, naming the folders.
std::variant<MergedBatch, std::string> mergeShards(const std::vector<FoundShard>& shards);

}  // namespace orvanta
