#include "app/batch_shards.h"

#include <cstdio>
#include <cstdlib>

#include "platform/run_error.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

constexpr const char* kShardHeader = "orvanta batch shard 1";

std::optional<std::size_t> count(const std::string& text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != '\0' || value > 1000000000)
        return std::nullopt;
    return static_cast<std::size_t>(value);
}

// A world-file text as "t" and the text; a computed value as "n" and its shortest exact digits.
std::string coordField(const CoordValue& value) {
    if (value.isText())
        return "t" + escapedField(*value.text());
    char digits[40];
    std::snprintf(digits, sizeof digits, "%.17g", value.value());
    return std::string("n") + digits;
}

std::optional<CoordValue> coordOf(const std::string& field) {
    if (field.empty())
        return std::nullopt;
    const std::string rest = field.substr(1);
    if (field[0] == 't') {
        const auto text = unescapedField(rest);
        if (!text)
            return std::nullopt;
        try {
            return CoordValue::fromText(*text);
        } catch (const RunError&) {
            return std::nullopt;
        }
    }
    char* end = nullptr;
    const double value = std::strtod(rest.c_str(), &end);
    if (field[0] != 'n' || rest.empty() || *end != '\0')
        return std::nullopt;
    return CoordValue::number(value);
}

// Reads one line into the record; false when it is not a line of a shard file.
bool readLine(const std::vector<std::string>& f, ShardRecord& r) {
    const std::string& key = f[0];
    if (key == "name" && f.size() == 2) {
        const auto name = unescapedField(f[1]);
        r.name = name.value_or("");
        return name.has_value();
    }
    if (key == "order" && f.size() == 2 && (f[1] == "HIGH" || f[1] == "LOW")) {
        r.order = displayOrderOf(f[1]);
        return true;
    }
    if (key == "links" && f.size() == 2) {
        const auto from = unescapedField(f[1]);
        r.linksFrom = from.value_or("");
        return from.has_value();
    }
    if (key == "shard" && f.size() == 2) {
        const auto shard = parseBatchShard(f[1]);
        r.shard = shard.value_or(BatchShard{});
        return shard.has_value();
    }
    if (key == "folder" && f.size() == 4 && count(f[1]) == r.folders.size()) {
        const auto folder = unescapedField(f[2]), root = unescapedField(f[3]);
        r.folders.push_back(folder.value_or(""));
        r.roots.push_back(root.value_or(""));
        return folder && root;
    }
    if (key == "finished" && f.size() == 6) {
        const auto position = count(f[1]);
        const auto n = coordOf(f[2]), s = coordOf(f[3]), e = coordOf(f[4]), w = coordOf(f[5]);
        if (!position || *position >= r.folders.size() || !n || !s || !e || !w)
            return false;
        r.finished[*position] = LatLonBounds{*n, *s, *e, *w};
        return true;
    }
    return false;
}

// "3 (/data/d)": a folder as messages name it, by position and path.
std::string folderLabel(const ShardRecord& batch, std::size_t position) {
    return std::to_string(position) + " (" + batch.folders[position] + ")";
}

}  // namespace

std::optional<BatchShard> parseBatchShard(const std::string& text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    const auto index = count(text.substr(0, slash));
    const auto total = count(text.substr(slash + 1));
    if (!index || !total || *total == 0 || *index >= *total)
        return std::nullopt;
    return BatchShard{static_cast<int>(*index), static_cast<int>(*total)};
}

std::string shardFileName(const std::string& name, BatchShard shard) {
    return name + ".shard-" + std::to_string(shard.index) + "-of-" + std::to_string(shard.count) +
           ".txt";
}

std::string shardFileText(const ShardRecord& r) {
    std::vector<std::string> lines = {
        kShardHeader,
        "name\t" + escapedField(r.name),
        "order\t" + displayOrderName(r.order),
        "links\t" + escapedField(r.linksFrom),
        "shard\t" + std::to_string(r.shard.index) + "/" + std::to_string(r.shard.count),
    };
    for (std::size_t i = 0; i < r.folders.size(); ++i) {
        lines.push_back("folder\t" + std::to_string(i) + "\t" + escapedField(r.folders[i]) + "\t" +
                        escapedField(r.roots[i]));
    }
    for (const auto& [position, b] : r.finished) {
        lines.push_back("finished\t" + std::to_string(position) + "\t" + coordField(b.north) +
                        "\t" + coordField(b.south) + "\t" + coordField(b.east) + "\t" +
                        coordField(b.west));
    }
    return joinCrLf(lines);
}

std::optional<ShardRecord> parseShardFile(const std::vector<std::string>& lines) {
    if (lines.empty() || lines[0] != kShardHeader)
        return std::nullopt;
    ShardRecord record;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (!readLine(recordFields(lines[i]), record))
            return std::nullopt;
    }
    if (record.name.empty() || record.folders.empty())
        return std::nullopt;
    return record;
}

LatLonBounds batchBounds(const std::vector<LatLonBounds>& folders) {
    if (folders.empty())
        return EmptyRootBounds();
    LatLonBounds all = folders.front();
    for (std::size_t i = 1; i < folders.size(); ++i)
        IncludeTile(all, folders[i]);
    return all;
}

std::variant<MergedBatch, std::string> mergeShards(const std::vector<FoundShard>& shards) {
    if (shards.empty())
        return std::string("There are no shard files to merge.");
    const ShardRecord& batch = shards.front().record;
    for (const FoundShard& shard : shards) {
        if (!shard.record.sameBatch(batch)) {
            return shards.front().file + " and " + shard.file +
                   " are shards of different batches (their folders or settings differ). "
                   "Remove the shard files of the other batch.";
        }
    }
    std::string missing, twice;
    std::vector<LatLonBounds> bounds;
    for (std::size_t position = 0; position < batch.folders.size(); ++position) {
        std::vector<const FoundShard*> holders;
        for (const FoundShard& shard : shards) {
            if (shard.record.finished.count(position))
                holders.push_back(&shard);
        }
        if (holders.empty())
            missing += "\n  " + folderLabel(batch, position);
        if (holders.size() > 1) {
            twice += "\n  " + folderLabel(batch, position) + " in";
            for (const FoundShard* holder : holders)
                twice += " " + holder->file;
        }
        if (!holders.empty())
            bounds.push_back(holders.front()->record.finished.at(position));
    }
    if (!missing.empty() || !twice.empty()) {
        std::string message = "The shards do not hold every folder of the batch exactly once.";
        if (!missing.empty())
            message += "\nFinished in no shard (run its shard again, with --resume):" + missing;
        if (!twice.empty())
            message += "\nFinished in more than one shard (remove the stale shard file):" + twice;
        return message;
    }
    return MergedBatch{batch, batchBounds(bounds)};
}

}  // namespace orvanta
