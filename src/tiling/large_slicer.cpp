#include "tiling/large_slicer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "imagery/number_text.h"
#include "imagery/piece_world_files.h"
#include "magick/commands.h"
#include "pixels/pixel_image.h"
#include "platform/os_services.h"
#include "tiling/image_tiling.h"
#include "tiling/work_threads.h"

namespace orvanta {
std::vector<std::string> sliceArguments(const std::string& image, const SliceSettings& limits,
                                        const std::string& folder, const std::string& name) {
    // The limits come first: the library applies each setting as it reads it, and they must
    // hold while the image is decoded.
    return {"-limit",
            "Memory",
            std::to_string(limits.memoryMb) + "MiB",
            "-limit",
            "map",
            "4096MiB",
            "-limit",
            "disk",
            std::to_string(limits.diskGb) + "GiB",
            image,
            "-crop",
            "4096x4096",
            "+repage",
            folder + kPathSeparator + name + "_%d." + formatName(limits.pieceFormat)};
}

void removePiecesBeyond(const std::string& folder, const std::string& name, int pieces,
                        PictureFormat pieceFormat) {
    const std::string prefix = name + "_";
    const std::string image = formatName(pieceFormat);
    const std::string world = getworldfile(image);
    // Pieces in another format, and their world files, are left from a run that wrote them so.
    const auto otherFormat = [&](const std::string& extension) {
        for (const char* other : {"JPG", "PNG", "GIF", "TIF"}) {
            if (other != image && (extension == other || extension == getworldfile(other)))
                return true;
        }
        return false;
    };
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
                                         [](unsigned char c) { return std::isdigit(c); });
        const bool beyond =
            (extension == image || extension == world) && ourName && std::stoi(number) >= pieces;
        std::error_code ignored;
        if (beyond || (ourName && otherFormat(extension)))
            std::filesystem::remove(entry->path(), ignored);
    }
}

namespace {

// Writes the pieces of `image` (read from its file, or made as it is read) band by band, short
// ones padded (SliceSettings). JPG and PNG pieces are written as their rows are read, in
// strips; others a band of pieces at a time.
void writePiecesInBands(const PixelImage& image, const std::string& folder, const std::string& name,
                        int count, const SliceSettings& settings) {
    if (cutInStream(settings.pieceFormat)) {
        std::vector<ImageTiling> pieces(static_cast<std::size_t>(count));
        for (int k = 0; k < count; ++k)
            pieces[k].source = pieceImagePath(folder, name, k, settings.pieceFormat);
        std::exception_ptr failure;
        cutPiecesWithPixels({image, name, settings.pieceFormat, settings.background, false}, pieces,
                            settings.jobs,
                            [&](int, std::exception_ptr error) {
                                if (!failure)
                                    failure = std::move(error);
                            },
                            {});
        if (failure)
            std::rethrow_exception(failure);
        return;
    }
    PixelImage::forEachBand(image, kPieceSize, [&](const PixelImage& band, int top) {
        const int columns = (band.width() + kPieceSize - 1) / kPieceSize;
        const int firstPiece = top / kPieceSize * columns;
        forEachOnThreads(columns, settings.jobs, [&](std::size_t column) {
            const int x = static_cast<int>(column) * kPieceSize;
            band.region(x, 0, std::min(kPieceSize, band.width() - x), band.height())
                .padded(kPieceSize, kPieceSize, settings.background)
                .write(pieceImagePath(folder, name, firstPiece + static_cast<int>(column),
                                      settings.pieceFormat),
                       settings.pieceFormat, kPieceQuality);
        });
    });
}

// True when every piece exists.
bool piecesPresent(const std::string& folder, const std::string& name, int pieces,
                   PictureFormat pieceFormat) {
    for (int k = 0; k < pieces; ++k) {
        std::error_code ignored;
        if (!std::filesystem::exists(pieceImagePath(folder, name, k, pieceFormat), ignored))
            return false;
    }
    return true;
}

}  // namespace

bool slicePieces(StepPolicy& policy, const std::string& image, const std::string& folder,
                 const std::string& name, int pieces, const SliceSettings& limits) {
    policy.run([&] { std::filesystem::create_directories(folder); });
    removePiecesBeyond(folder, name, pieces, limits.pieceFormat);
    if (limits.keepPieces && piecesPresent(folder, name, pieces, limits.pieceFormat))
        return true;
    policy.run([&] {
        if (limits.source)
            return writePiecesInBands(*limits.source, folder, name, pieces, limits);
        if (limits.engine == PixelEngine::Vips)
            return writePiecesInBands(PixelImage::open(image), folder, name, pieces, limits);
        std::vector<std::string> argv = {"convert"};
        for (std::string& arg : sliceArguments(image, limits, folder, name))
            argv.push_back(std::move(arg));
        runConvert(argv);
    });
    std::error_code ignored;
    return std::filesystem::exists(pieceImagePath(folder, name, 0, limits.pieceFormat), ignored);
}

std::optional<std::string> sliceRefusal(int width, int height, const SliceSettings& limits) {
    constexpr double kMiB = 1024.0 * 1024.0;
    const double w = width, h = height;
    const bool vips = limits.engine == PixelEngine::Vips || limits.source;
    // Pieces written as they are read: two strips of 1024 lines, and the rows of its levels
    // and of its transparency that each piece of a band keeps while it is cut (measured: under
    // 12 MB).
    const double bytes = limits.alpha ? 4 : 3;
    const double columns = std::ceil(w / kPieceSize);
    const double streamed =
        2 * columns * kPieceSize * std::min(h, 1024.0) * bytes / kMiB + columns * 12;
    const double banded = w * std::min(h, double{kPieceSize}) * bytes / kMiB;
    const double neededMb =
        vips ? (cutInStream(limits.pieceFormat) ? streamed : banded) : 2 * w * h * 8 / kMiB;
    const double allowedMb = vips ? limits.memoryMb : limits.memoryMb + limits.diskGb * 1024.0;
    if (neededMb <= allowedMb)
        return std::nullopt;
    const auto mb = [](double value) {
        return std::to_string(static_cast<long long>(std::ceil(value)));
    };
    const std::string what = !vips ? "its pixels and its pieces need "
                             : cutInStream(limits.pieceFormat)
                                 ? "two strips of 1024 lines of it and its pieces in work need "
                                 : "one band of 4096 lines of it needs ";
    const std::string limit = vips ? mb(allowedMb) + " MB of memory"
                                   : std::to_string(limits.memoryMb) + " MB of memory and " +
                                         std::to_string(limits.diskGb) + " GB of disk";
    return "The image is " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels: " + what + mb(neededMb) + " MB, more than the " + limit +
           " the large-image options allow. Nothing was written.";
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
    return "Padded to 4096 x 4096 pixels, the pieces of this image reach beyond 180\u00B0 of "
           "longitude or 90\u00B0 of latitude (west " +
           number(extent.west) + ", east " + number(extent.east) + ", south " +
           number(extent.south) + ", north " + number(extent.north) +
           "). What lies beyond the globe is left out: its tiles and KML files are not written, "
           "and tiles on the globe's edge are cut at it. Slice the image?";
}

}  // namespace orvanta
