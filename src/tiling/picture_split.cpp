#include "tiling/picture_split.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "imagery/number_text.h"
#include "platform/path_names.h"
#include "platform/run_error.h"
#include "platform/scratch_files.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

constexpr std::uint32_t kWhite = 16777215;

// A text box read as a number: its leading integer, 0 when it has none.
int number(const std::string& text) {
    return std::atoi(text.c_str());
}

void setCopyParameters(PictureBoxes& boxes, int tileSize, int sourceX, int sourceY) {
    const std::string size = std::to_string(tileSize);
    boxes.cutSize = tileSize;
    boxes.destX = boxes.destY = "0";
    boxes.destWidth = boxes.destHeight = boxes.sourceWidth = boxes.sourceHeight = size;
    boxes.sourceX = std::to_string(sourceX);
    boxes.sourceY = std::to_string(sourceY);
}

// Saves the picture under `path` only when no file has that name, also one made meanwhile: the
// picture is written into a scratch folder of this process and linked to its own name, which
// fails when it is taken. "ok", or "Not K" and why.
std::string saveAsNewFile(cGdiPlus& saver, const Picture& picture, const std::string& path,
                          long quality) {
    namespace fs = std::filesystem;
    const std::string taken = "Not K. " + path + " exists already; it was left as it is.";
    std::error_code error;
    if (fs::exists(fs::symlink_status(path, error)))
        return taken;
    std::optional<ScratchFolder> folder;
    try {
        folder.emplace(folderOf(path));
    } catch (const RunError&) {
        return "Not K. " + path + " was not written.";
    }
    const std::string scratch = joinPath(folder->path(), fs::path(path).filename().string());
    const bool written = saver.PictureBoxToFile(picture, scratch, quality) != 0;
    if (written)
        fs::create_hard_link(scratch, path, error);
    if (!written || error)
        return error == std::errc::file_exists ? taken : "Not K. " + path + " was not written.";
    return "ok";
}

}  // namespace

void stretchRect(const Picture& source, Picture& destination, const CopyRect& to,
                 const CopyRect& from) {
    if (to.width <= 0 || to.height <= 0 || from.width <= 0 || from.height <= 0)
        return;
    for (int dy = 0; dy < to.height; ++dy) {
        const int y = to.y + dy;
        // The top row of the destination rectangle shows the top row of the source rectangle.
        const long long sourceRow =
            from.y + from.height - 1 - static_cast<long long>(dy) * from.height / to.height;
        if (y < 0 || y >= destination.height() || sourceRow < 0 || sourceRow >= source.height())
            continue;
        for (int dx = 0; dx < to.width; ++dx) {
            const int x = to.x + dx;
            const long long sourceColumn =
                from.x + static_cast<long long>(dx) * from.width / to.width;
            if (x < 0 || x >= destination.width() || sourceColumn < 0 ||
                sourceColumn >= source.width())
                continue;
            destination.setPixel(x, y,
                                 source.pixelFromBottom(static_cast<int>(sourceColumn),
                                                        static_cast<int>(sourceRow)));
        }
    }
}

void StretchCopy(PictureBoxes& boxes, const Picture& source, Picture& destination) {
    const int size = boxes.cutSize;
    if (destination.width() != size || destination.height() != size) {
        destination = Picture(size, size, kWhite);
    }
    stretchRect(source, destination,
                {number(boxes.destX), number(boxes.destY), number(boxes.destWidth),
                 number(boxes.destHeight)},
                {number(boxes.sourceX), number(boxes.sourceY), number(boxes.sourceWidth),
                 number(boxes.sourceHeight)});
}

void QuarterSplit(PictureBoxes& boxes, cGdiPlus& saver, Host& host, const std::string& folder,
                  const std::string& baseName, const std::string& format) {
    constexpr int kQuarter = 256;
    // Source origins, y from the bottom row: top-left, top-right, bottom-left, bottom-right.
    constexpr int kOrigins[4][2] = {{0, kQuarter}, {kQuarter, kQuarter}, {0, 0}, {kQuarter, 0}};
    for (int i = 1; i <= 4; ++i) {
        setCopyParameters(boxes, kQuarter, kOrigins[i - 1][0], kOrigins[i - 1][1]);
        StretchCopy(boxes, boxes.scaled, boxes.copy);
        const std::string path =
            joinPath(folder, baseName + "_" + std::to_string(i) + "." + format);
        host.messageBox(saveAsNewFile(saver, boxes.copy, path, 85), kAppTitle);
    }
}

TileGrid fullResolutionGrid(int width, int height) {
    int size = 0;
    if (width > 4096 && height > 4096) {
        size = 4096;
    } else if (width <= 4096 && height <= 4096 && width >= 1024 && height > 1024) {
        size = 1024;
    }
    if (size == 0)
        return {};
    return {size, (width + size - 1) / size, (height + size - 1) / size};
}

std::string tileWorldFileText(const WorldFile& source, int row, int column, int tileSize) {
    const double a = WorldFile::number(source.A).value_or(0);
    const double e = WorldFile::number(source.E).value_or(0);
    const std::optional<double> c = WorldFile::number(source.C);
    const std::optional<double> f = WorldFile::number(source.F);
    if (!c || !f)
        throw RunError(errors::TypeMismatch, "Type mismatch: the world file has no origin");
    return joinCrLf({source.A, "0.000000000000000", "0.000000000000000", source.E,
                     FormatNumber(*c + static_cast<double>(column) * tileSize * a),
                     FormatNumber(*f + static_cast<double>(row) * tileSize * e)});
}

void cutTile(PictureBoxes& boxes, int tileSize, int row, int column) {
    // The tile's own rectangle, its y counted from the bottom row of the image.
    setCopyParameters(boxes, tileSize, column * tileSize,
                      boxes.display.height() - (row + 1) * tileSize);
    boxes.piece = Picture(tileSize, tileSize, kWhite);
    StretchCopy(boxes, boxes.display, boxes.piece);
}

}  // namespace orvanta
