#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "kml/display_order.h"
#include "kml/lat_lon_bounds.h"
#include "platform/text_file.h"

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
    std::vector<std::size_t> folderLines = {};     // the line of each folder in its file

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

// A shard file beyond these sizes is damaged; it is refused before it is read whole.
inline constexpr TextLimits kShardFileLimits{64 * 1024 * 1024, 64 * 1024};

// Reads the lines of a shard file: its record, or what makes it unusable ("line 7: ...").
// Besides what is not a line this program writes, a folder or tile root that is empty or not a
// full path, and bounds that are not finite or lie off the globe, are refused.
std::variant<ShardRecord, std::string> parseShardFile(const std::vector<std::string>& lines);

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
    std::string file;  // the shard file `batch` was read from
};

// Checks that the shard files describe one batch and hold each of its folders exactly once;
// otherwise the message that says what is wrong, naming the folders.
std::variant<MergedBatch, std::string> mergeShards(const std::vector<FoundShard>& shards);

// What keeps the top file of a merged batch, written in `topFolder`, from linking what its
// shards finished, naming the shard file and line: a tile folder (as the top file's link
// leads to it) that does not exist, is the root of the file system once its links are
// resolved, or lacks the KML file of its folder. Nothing when all are there.
std::optional<std::string> missingShardOutput(const MergedBatch& merged,
                                              const std::string& topFolder);

// Reads the shard files of the batch NAME in `kmlFolder` (NAME.shard-I-of-N.txt) within
// kShardFileLimits and merges them (mergeShards, then missingShardOutput): the batch, or the
// message that says what is wrong. `pause` runs while they are read, so a cancel stops it.
// Throws RunError 76 when the folder cannot be listed and 53 when it holds no shard file.
std::variant<MergedBatch, std::string> mergeShardFiles(const std::string& kmlFolder,
                                                       const std::string& name,
                                                       const std::function<void()>& pause);

}  // namespace orvanta
