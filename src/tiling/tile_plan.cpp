#include "tiling/tile_plan.h"

#include <algorithm>
#include <set>

#include "magick/scratch_output.h"
#include "platform/os_services.h"

namespace orvanta {
namespace {

std::string parentFolder(const std::string& path) {
    const std::size_t separator = path.rfind(kPathSeparator);
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

void addAll(std::vector<std::size_t>& into,
            const std::unordered_map<std::string, std::vector<std::size_t>>& steps,
            const std::string& path) {
    const auto found = steps.find(path);
    if (found != steps.end())
        into.insert(into.end(), found->second.begin(), found->second.end());
}

}  // namespace

std::vector<std::string> outputFiles(const ConvertCall& call) {
    const std::string& output = call.output();
    const std::size_t slot = numberSlot(call.args);
    if (slot == std::string::npos)
        return {output};
    std::vector<std::string> files;
    for (int tile = 0; tile < 4; ++tile) {
        files.push_back(output.substr(0, slot) + std::to_string(tile) + output.substr(slot + 2));
    }
    return files;
}

void TilePlan::createFolder(const std::string& path) {
    TileOp op;
    op.kind = TileOp::Kind::CreateFolder;
    op.path = path;
    op.writes = {path};
    add(std::move(op));
}

void TilePlan::writeMarker(const std::string& path, const std::string& line) {
    TileOp op;
    op.kind = TileOp::Kind::WriteMarker;
    op.path = path;
    op.text = line;
    op.writes = {path};
    add(std::move(op));
}

void TilePlan::convert(std::vector<std::string> args, double memoryMb) {
    TileOp op;
    op.kind = TileOp::Kind::Convert;
    op.memoryMb = memoryMb;
    op.call.args = std::move(args);
    op.reads = {op.call.input()};
    op.writes = outputFiles(op.call);
    add(std::move(op));
}

void TilePlan::deleteFile(const std::string& path) {
    TileOp op;
    op.kind = TileOp::Kind::DeleteFile;
    op.path = path;
    op.writes = {path};
    add(std::move(op));
}

void TilePlan::append(const TilePlan& other) {
    for (TileOp op : other.ops_) {
        op.after.clear();
        add(std::move(op));
    }
}

TilePlan TilePlan::without(const std::vector<std::string>& files) const {
    if (files.empty())
        return *this;
    const std::set<std::string> unwanted(files.begin(), files.end());
    TilePlan plan;
    for (TileOp op : ops_) {
        if (op.kind == TileOp::Kind::Convert &&
            std::all_of(op.writes.begin(), op.writes.end(),
                        [&](const std::string& path) { return unwanted.contains(path); })) {
            continue;
        }
        op.after.clear();
        plan.add(std::move(op));
    }
    for (const std::string& file : files)
        plan.deleteFile(file);
    return plan;
}

// A step waits for the earlier steps that write what it reads, read or write what it writes,
// or make the folder of a path it reads or writes.
void TilePlan::add(TileOp op) {
    std::vector<std::size_t>& after = op.after;
    for (const std::string& path : op.reads) {
        addAll(after, writers_, path);
        addAll(after, folderMakers_, parentFolder(path));
    }
    for (const std::string& path : op.writes) {
        addAll(after, readers_, path);
        addAll(after, writers_, path);
        addAll(after, folderMakers_, parentFolder(path));
    }
    std::sort(after.begin(), after.end());
    after.erase(std::unique(after.begin(), after.end()), after.end());
    const std::size_t index = ops_.size();
    for (const std::string& path : op.reads)
        readers_[path].push_back(index);
    for (const std::string& path : op.writes)
        writers_[path].push_back(index);
    if (op.kind == TileOp::Kind::CreateFolder)
        folderMakers_[op.path].push_back(index);
    ops_.push_back(std::move(op));
}

}  // namespace orvanta
