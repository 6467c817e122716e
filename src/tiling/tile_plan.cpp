#include "tiling/tile_plan.h"

#include <algorithm>

#include "platform/os_services.h"

namespace orvanta {
namespace {

bool shareAny(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return std::any_of(a.begin(), a.end(), [&](const std::string& path) {
        return std::find(b.begin(), b.end(), path) != b.end();
    });
}

std::string parentFolder(const std::string& path) {
    const std::size_t separator = path.rfind(kPathSeparator);
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

// True when `earlier` makes a folder that one of the paths of `later` lies in.
bool makesFolderOf(const TileOp& earlier, const TileOp& later) {
    if (earlier.kind != TileOp::Kind::CreateFolder)
        return false;
    auto inside = [&](const std::string& path) { return parentFolder(path) == earlier.path; };
    return std::any_of(later.reads.begin(), later.reads.end(), inside) ||
           std::any_of(later.writes.begin(), later.writes.end(), inside);
}

bool mustWaitFor(const TileOp& earlier, const TileOp& later) {
    return shareAny(later.reads, earlier.writes) || shareAny(later.writes, earlier.reads) ||
           shareAny(later.writes, earlier.writes) || makesFolderOf(earlier, later);
}

}  // namespace

std::vector<std::string> outputFiles(const ConvertCall& call) {
    const std::string& output = call.output();
    const std::size_t slot = output.find("%d");
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

void TilePlan::convert(std::vector<std::string> args) {
    TileOp op;
    op.kind = TileOp::Kind::Convert;
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

std::vector<ConvertCall> TilePlan::convertCalls() const {
    std::vector<ConvertCall> calls;
    for (const TileOp& op : ops_) {
        if (op.kind == TileOp::Kind::Convert)
            calls.push_back(op.call);
    }
    return calls;
}

void TilePlan::add(TileOp op) {
    for (std::size_t index = 0; index < ops_.size(); ++index) {
        if (mustWaitFor(ops_[index], op))
            op.after.push_back(index);
    }
    ops_.push_back(std::move(op));
}

}  // namespace orvanta
