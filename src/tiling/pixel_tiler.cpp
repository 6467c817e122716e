#include <cstdlib>
#include <filesystem>
#include <map>
#include <tuple>

#include "pixels/pixel_image.h"
#include "platform/run_error.h"
#include "tiling/image_tiling.h"
#include "tiling/work_threads.h"

namespace orvanta {
namespace {

constexpr int kTileEdge = 256;

// The distance in red, green and blue within which a colour is made transparent: the padding
// tolerance for a padding colour, else exactly the colour.
double tolerance(const TileSwitches& switches) {
    return switches.fuzzy ? kPaddingFuzzPercent * 255.0 / 100.0 : 0.0;
}

// What a tile's pixels depend on besides its place: the size of its region (so the
// reduction) and the colour made transparent, if any.
using LevelKey = std::tuple<int, bool, std::uint32_t, bool>;

LevelKey levelKey(const TileOutput& output) {
    const TileSwitches& s = output.switches;
    return {output.size, s.transparent, s.transparent ? s.colour.value() : 0,
            s.transparent && s.fuzzy};
}

PictureFormat formatOf(const TileSwitches& switches) {
    const auto format = parsePictureFormat(switches.format);
    if (!format)
        throw RunError(errors::ImageTool, "Unknown tile format " + switches.format);
    return *format;
}

// The levels of the pyramid, held in memory: for each region size and transparent colour the
// source reduced so that each region becomes one 256 tile. The 256 level is the source itself
// (with the colour cleared); each level above is reduced by half from the one below, which
// costs a third of the source's area in all instead of the whole area per level.
// The 256 level before any reduction: with the transparent colour cleared, or for JPG tiles
// with the image's own transparency laid on the background first, as the other engine does.
PixelImage fullLevel(const PixelImage& source, const TileSwitches& switches) {
    if (switches.transparent)
        return source.withTransparent(switches.colour, tolerance(switches));
    if (formatOf(switches) == PictureFormat::Jpg)
        return source.flattened(kFlattenBackground);
    return source;
}

std::map<LevelKey, PixelImage> makeLevels(const PixelImage& source,
                                          const std::vector<TileOutput>& outputs) {
    std::map<LevelKey, const TileSwitches*> wanted;  // in order of size, smallest first
    for (const TileOutput& output : outputs) {
        if (!output.piece)
            wanted.emplace(levelKey(output), &output.switches);
    }
    std::map<LevelKey, PixelImage> levels;
    for (const auto& [key, switches] : wanted) {
        const int size = std::get<0>(key);
        if (size == kTileEdge) {
            levels.emplace(key, fullLevel(source, *switches));
            continue;
        }
        LevelKey below = key;
        std::get<0>(below) = size / 2;
        const PixelImage& base = levels.at(below);
        levels.emplace(key, base.reduced(base.width() / 2, base.height() / 2));
    }
    return levels;
}

void writeOutput(const PixelImage& source, const std::map<LevelKey, PixelImage>& levels,
                 const TileOutput& output) {
    const int quality = std::atoi(output.switches.quality.c_str());
    if (output.piece) {
        source.region(output.x, output.y, output.size, output.size)
            .write(output.path, PictureFormat::Jpg, quality);
        return;
    }
    const int scale = output.size / kTileEdge;
    levels.at(levelKey(output))
        .region(output.x / scale, output.y / scale, kTileEdge, kTileEdge)
        .write(output.path, formatOf(output.switches), quality);
}

// The outputs whose file is missing or older than the source.
std::vector<TileOutput> outdated(const std::vector<TileOutput>& outputs,
                                 const std::string& source) {
    std::error_code error;
    const auto sourceTime = std::filesystem::last_write_time(source, error);
    if (error)
        return outputs;
    std::vector<TileOutput> missing;
    for (const TileOutput& output : outputs) {
        const auto time = std::filesystem::last_write_time(output.path, error);
        if (error || time < sourceTime)
            missing.push_back(output);
    }
    return missing;
}

// The outputs that hold any of the image; the files of the others are removed where an
// earlier run left them.
std::vector<TileOutput> withoutPadding(const ImageTiling& image,
                                       const std::vector<TileOutput>& outputs) {
    std::vector<TileOutput> kept;
    for (const TileOutput& output : outputs) {
        if (!inPadding(image, output)) {
            kept.push_back(output);
            continue;
        }
        std::error_code error;
        std::filesystem::remove(output.path, error);
        if (error)
            throw std::filesystem::filesystem_error("cannot delete the file", output.path, error);
    }
    return kept;
}

}  // namespace

void tileWithPixels(const ImageTiling& image, int jobs, bool resume) {
    const std::vector<TileOutput> all = tileOutputs(image);
    const std::vector<TileOutput> wanted = withoutPadding(image, all);
    const std::vector<TileOutput> outputs = resume ? outdated(wanted, image.source) : wanted;
    if (outputs.empty())
        return;
    const PixelImage source = PixelImage::decode(image.source);
    const int edge = edgePixels(image.sizeClass);
    if (source.width() != edge || source.height() != edge) {
        throw RunError(errors::ImageTool, image.source + " is not " + std::to_string(edge) + " x " +
                                              std::to_string(edge) + " pixels.");
    }
    const std::map<LevelKey, PixelImage> levels = makeLevels(source, all);
    forEachOnThreads(outputs.size(), jobs,
                     [&](std::size_t i) { writeOutput(source, levels, outputs[i]); });
}

}  // namespace orvanta
