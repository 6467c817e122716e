#include "tiling/tile_executor.h"

#include <filesystem>

#include "app/error_policy.h"
#include "magick/commands.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

void createFolder(const std::string& path) {
    std::error_code error;
    if (std::filesystem::create_directory(path, error) || !error)
        return;
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return;
    throw std::filesystem::filesystem_error("cannot create the folder", path, error);
}

void deleteFile(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        throw std::filesystem::filesystem_error("cannot delete the file", path, error);
    }
}

}  // namespace

ConvertRunner magickConvertRunner() {
    return [](const ConvertCall& call) {
        std::vector<std::string> argv{"convert"};
        argv.insert(argv.end(), call.args.begin(), call.args.end());
        runConvert(argv);
    };
}

void performTileOp(const TileOp& op, const ConvertRunner& convert) {
    switch (op.kind) {
        case TileOp::Kind::CreateFolder:
            createFolder(op.path);
            break;
        case TileOp::Kind::WriteMarker:
            writeFileAtomically(op.path, joinCrLf({op.text}));
            break;
        case TileOp::Kind::Convert:
            convert(op.call);
            break;
        case TileOp::Kind::DeleteFile:
            deleteFile(op.path);
            break;
    }
}

bool executePlan(const TilePlan& plan, RunErrorPolicy& policy, const ConvertRunner& convert) {
    for (const TileOp& op : plan.ops()) {
        if (!policy.run([&] { performTileOp(op, convert); }))
            return false;
    }
    return true;
}

}  // namespace orvanta
