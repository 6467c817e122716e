#include "tiling/large_slicer.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "imagery/number_text.h"
#include "imagery/piece_world_files.h"
#include "magick/commands.h"
#include "platform/os_services.h"

namespace orvanta {

std::vector<std::string> sliceArguments(const std::string& image, const SliceSettings& limits,
                                        const std::string& folder, const std::string& name) {
    return {image,     "-limit",
            "Memory",  std::to_string(limits.memoryMb) + "MiB",
            "-limit",  "map",
            "4096MiB", "-limit",
            "disk",    std::to_string(limits.diskGb) + "GiB",
            "-crop",   "4096x4096",
            "+repage", folder + kPathSeparator + name + "_%d." + formatName(limits.pieceFormat)};
}

void removePiecesBeyond(const std::string& folder, const std::string& name, int pieces,
                        PictureFormat pieceFormat) {
    const std::string prefix = name + "_";
    const std::string image = formatName(pieceFormat);
    const std::string world = getworldfile(image);
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string file = entry->path().filename().string();
        const std::size_t dot = file.rfind('.');
        if (dot == std::string::npos || file.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string number = file.substr(prefix.size(), dot - prefix.size());
        const std::string extension = file.substr(dot + 1);
        const bool ourName = !number.empty() && number.size() < 9 &&
                             std::all_of(number.begin(), number.end(),
                                         [](unsigned char c) { return std::isdigit(c); }) &&
                             (extension == image || extension == world);
        std::error_code ignored;
        if (ourName && std::stoi(number) >= pieces)
            std::filesystem::remove(entry->path(), ignored);
    }
}

namespace {

// True when every piece exists and none is older than the image.
bool piecesUpToDate(const std::string& image, const std::string& folder, const std::string& name,
                    int pieces, PictureFormat pieceFormat) {
    std::error_code error;
    const auto source = std::filesystem::last_write_time(image, error);
    for (int k = 0; k < pieces && !error; ++k) {
        const auto piece =
            std::filesystem::last_write_time(pieceImagePath(folder, name, k, pieceFormat), error);
        if (!error && piece < source)
            return false;
    }
    return !error;
}

}  // namespace

bool slicePieces(StepPolicy& policy, const std::string& image, const std::string& folder,
                 const std::string& name, int pieces, const SliceSettings& limits) {
    policy.run([&] { std::filesystem::create_directories(folder); });
    removePiecesBeyond(folder, name, pieces, limits.pieceFormat);
    if (limits.resume && piecesUpToDate(image, folder, name, pieces, limits.pieceFormat))
        return true;
    policy.run([&] {
        std::vector<std::string> argv = {"convert"};
        for (std::string& arg : sliceArguments(image, limits, folder, name))
            argv.push_back(std::move(arg));
        runConvert(argv);
    });
    std::error_code ignored;
    return std::filesystem::exists(pieceImagePath(folder, name, 0, limits.pieceFormat), ignored);
}

std::optional<PieceExtent> paddedPieceExtent(int width, int height, const WorldFile& world) {
    const auto a = WorldFile::number(world.A), e = WorldFile::number(world.E);
    const auto c = WorldFile::number(world.C), f = WorldFile::number(world.F);
    if (!a || !e || !c || !f)
        return std::nullopt;
    const PieceGrid grid = pieceGrid(width, height);
    const double farX = *c + static_cast<double>(grid.columns) * kPieceSize * *a;
    const double farY = *f + static_cast<double>(grid.rows) * kPieceSize * *e;
    return PieceExtent{std::min(*c, farX), std::max(*c, farX), std::min(*f, farY),
                       std::max(*f, farY)};
}

bool beyondTheGlobe(const PieceExtent& extent) {
    return extent.west < -180 || extent.east > 180 || extent.south < -90 || extent.north > 90;
}

std::string beyondTheGlobeQuestion(const PieceExtent& extent) {
    const auto number = [](double value) { return FormatNumber(value); };
    return "Padded to 4096 x 4096 pixels, the pieces of this image would reach beyond 180\u00B0 "
           "of longitude or 90\u00B0 of latitude (west " +
           number(extent.west) + ", east " + number(extent.east) + ", south " +
           number(extent.south) + ", north " + number(extent.north) +
           "). No globe has such bounds: Google Earth would show the imagery in the wrong "
           "place. Slice the image anyway?";
}

}  // namespace orvanta
