#include "app/batch_shards.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/path_names.h"
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

// What makes a folder or tile root of a shard file unusable, or nothing.
std::optional<std::string> folderProblem(const std::string& what, const std::string& path) {
    if (path.empty())
        return "the " + what + " is empty";
    if (!std::filesystem::path(path).is_absolute())
        return "the " + what + " '" + path + "' is not a full path";
    return std::nullopt;
}

// What makes bounds unusable, or nothing: an edge that is not a finite number or lies off the
// globe would reach the top file's Region as it stands.
std::optional<std::string> boundsProblem(const LatLonBounds& b) {
    for (const CoordValue* edge : {&b.north, &b.south, &b.east, &b.west}) {
        if (!std::isfinite(edge->value()))
            return "the bounds are not finite numbers";
    }
    const auto within = [](const CoordValue& edge, double limit) {
        return edge.value() >= -limit && edge.value() <= limit;
    };
    // An east edge beyond 180 is that of a box across the 180th meridian, as KML allows; it goes
    // once round the globe at most.
    const double east = b.east.value();
    if (!within(b.north, 90) || !within(b.south, 90) || !within(b.west, 180) || east < -180 ||
        east > std::max(180.0, b.west.value() + 360)) {
        return "the bounds lie off the globe";
    }
    return std::nullopt;
}

// Reads line `index` into the record; what is wrong with it, or nothing.
std::optional<std::string> readLine(const std::vector<std::string>& f, std::size_t index,
                                    ShardRecord& r) {
    const std::string& key = f[0];
    const std::optional<std::string> unknown = "it is not a line of a shard file";
    if (key == "name" && f.size() == 2) {
        const auto name = unescapedField(f[1]);
        r.name = name.value_or("");
        return name ? std::nullopt : unknown;
    }
    if (key == "order" && f.size() == 2 && (f[1] == "HIGH" || f[1] == "LOW")) {
        r.order = displayOrderOf(f[1]);
        return std::nullopt;
    }
    if (key == "links" && f.size() == 2) {
        const auto from = unescapedField(f[1]);
        r.linksFrom = from.value_or("");
        if (!from)
            return unknown;
        return r.linksFrom.empty() ? std::nullopt : folderProblem("links folder", r.linksFrom);
    }
    if (key == "shard" && f.size() == 2) {
        const auto shard = parseBatchShard(f[1]);
        r.shard = shard.value_or(BatchShard{});
        return shard ? std::nullopt : unknown;
    }
    if (key == "folder" && f.size() == 4 && count(f[1]) == r.folders.size()) {
        const auto folder = unescapedField(f[2]), root = unescapedField(f[3]);
        if (!folder || !root)
            return unknown;
        r.folders.push_back(*folder);
        r.roots.push_back(*root);
        r.folderLines.push_back(index);
        if (const auto problem = folderProblem("folder", *folder))
            return problem;
        return folderProblem("tile folder", *root);
    }
    if (key == "finished" && f.size() == 6) {
        const auto position = count(f[1]);
        const auto n = coordOf(f[2]), s = coordOf(f[3]), e = coordOf(f[4]), w = coordOf(f[5]);
        if (!position || *position >= r.folders.size() || !n || !s || !e || !w)
            return unknown;
        r.finished[*position] = LatLonBounds{*n, *s, *e, *w};
        return boundsProblem(r.finished[*position]);
    }
    return unknown;
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

std::variant<ShardRecord, std::string> parseShardFile(const std::vector<std::string>& lines) {
    if (lines.empty() || lines[0] != kShardHeader)
        return std::string("it is not a shard file of a batch");
    ShardRecord record;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (const auto problem = readLine(recordFields(lines[i]), i, record))
            return "line " + std::to_string(i) + ": " + *problem;
    }
    if (record.name.empty() || record.folders.empty())
        return std::string("it names no batch or no folder");
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
    return MergedBatch{batch, batchBounds(bounds), shards.front().file};
}

std::optional<std::string> missingShardOutput(const MergedBatch& merged,
                                              const std::string& topFolder) {
    namespace fs = std::filesystem;
    const ShardRecord& batch = merged.batch;
    for (std::size_t i = 0; i < batch.roots.size(); ++i) {
        // Where the top file's link leads: relative links are followed from the top file.
        const std::string linked =
            batch.linksFrom.empty()
                ? batch.roots[i]
                : joinPath(topFolder, relativeLink(batch.roots[i], batch.linksFrom));
        const std::string refused = "The shard file " + merged.file + " cannot be merged: line " +
                                    std::to_string(batch.folderLines[i]) + ": the tile folder '" +
                                    linked + "' ";
        std::error_code error;
        const fs::path real = fs::canonical(linked, error);
        if (error || !fs::is_directory(real, error))
            return refused + "does not exist.";
        if (real == real.root_path())
            return refused + "is the root of the file system.";
        const std::string kml = batch.name + std::to_string(i) + ".kml";
        if (!fs::is_regular_file(real / kml, error))
            return refused + "holds no " + kml + ".";
    }
    return std::nullopt;
}

std::variant<MergedBatch, std::string> mergeShardFiles(const std::string& kmlFolder,
                                                       const std::string& name,
                                                       const std::function<void()>& pause) {
    namespace fs = std::filesystem;
    std::vector<FoundShard> shards;
    std::error_code error;
    for (fs::directory_iterator entry(kmlFolder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string file = entry->path().filename().string();
        if (!file.starts_with(name + ".shard-") || !file.ends_with(".txt"))
            continue;
        const std::string path = joinPath(kmlFolder, file);
        const auto read = readLimitedTextLines(path, kShardFileLimits, pause);
        const auto parsed =
            std::holds_alternative<std::string>(read)
                ? std::variant<ShardRecord, std::string>(std::get<std::string>(read))
                : parseShardFile(std::get<std::vector<std::string>>(read));
        if (const std::string* problem = std::get_if<std::string>(&parsed))
            return "The shard file " + path + " cannot be merged: " + *problem + ".";
        const ShardRecord& record = std::get<ShardRecord>(parsed);
        if (record.name == name)  // else the shard of a batch whose name starts the same
            shards.push_back({path, record});
    }
    if (error)
        throw RunError(errors::PathNotFound, "Path not found: " + kmlFolder);
    if (shards.empty()) {
        throw RunError(errors::FileNotFound, "There are no shard files of " + name + " in " +
                                                 kmlFolder + " (" + name + ".shard-I-of-N.txt)");
    }
    std::sort(shards.begin(), shards.end(),
              [](const FoundShard& a, const FoundShard& b) { return a.file < b.file; });
    auto merged = mergeShards(shards);
    if (const MergedBatch* batch = std::get_if<MergedBatch>(&merged)) {
        if (const auto missing = missingShardOutput(*batch, kmlFolder))
            return *missing;
    }
    return merged;
}

}  // namespace orvanta
