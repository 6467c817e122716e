#include "tiling/row_tiler.h"

#include <algorithm>
#include <cstdlib>

#include "platform/colour.h"
#include "platform/run_error.h"

namespace orvanta {
namespace {

constexpr int kTileEdge = 256;
// Rows of a level below the next row to reduce that the reduction still reads: Lanczos 3 at
// half size reaches six rows each way; two more keep every cut at an even row.
constexpr int kHalvingReach = 8;

// The distance in red, green and blue within which a colour is made transparent: the padding
// tolerance for a padding colour, else exactly the colour.
double tolerance(const TileSwitches& switches) {
    return switches.fuzzy ? kPaddingFuzzPercent * 255.0 / 100.0 : 0.0;
}

PictureFormat formatOf(const TileSwitches& switches) {
    const auto format = parsePictureFormat(switches.format);
    if (!format)
        throw RunError(errors::ImageTool, "Unknown tile format " + switches.format);
    return *format;
}

// Rows of the 256 level before any reduction: with the transparent colour cleared, or for JPG
// tiles with the image's own transparency laid on the background, so that every level above
// is reduced from what the tiles will show.
PixelImage baseRows(const PixelImage& rows, const TileSwitches& switches) {
    if (switches.transparent)
        return rows.withTransparent(switches.colour, tolerance(switches));
    if (rows.hasAlpha() && formatOf(switches) == PictureFormat::Jpg)
        return rows.flattened(kFlattenBackground);
    return rows;
}

// The first row of the level a file needs, and the rows it needs.
int firstRow(const TileOutput& output, int scale) {
    return output.y / scale;
}
int rowsNeeded(const TileOutput& output) {
    return output.piece ? output.size : kTileEdge;
}

}  // namespace

RowTiler::RowTiler(const ImageTiling& image, const std::vector<TileOutput>& all,
                   const std::vector<TileOutput>& toWrite)
    : edge_(edgePixels(image.sizeClass)) {
    const auto keyOf = [](const TileOutput& output) {
        const TileSwitches& s = output.switches;
        if (output.piece)
            return LevelKey{0, false, 0, false};
        return LevelKey{output.size, s.transparent, s.transparent ? s.colour.value() : 0,
                        s.transparent && s.fuzzy};
    };
    // Levels from the smallest size up, so that each finds the one it is reduced from.
    for (const TileOutput& output : all) {
        const LevelKey key = keyOf(output);
        Level& level = levels_[key];
        level.scale = output.piece ? 1 : output.size / kTileEdge;
        level.height = edge_ / level.scale;
        if (level.scale == 1 && std::find_if(bases_.begin(), bases_.end(), [&](const auto& b) {
                                    return b.first == &level;
                                }) == bases_.end()) {
            TileSwitches switches = output.switches;
            switches.transparent = switches.transparent && !output.piece;
            bases_.emplace_back(&level, switches);
        }
    }
    for (auto& [key, level] : levels_) {
        auto [size, transparent, colour, fuzzy] = key;
        if (size == 0)
            continue;
        const auto above = levels_.find(LevelKey{size * 2, transparent, colour, fuzzy});
        if (above != levels_.end())
            level.above = &above->second;
        if (size > kTileEdge && !levels_.count(LevelKey{size / 2, transparent, colour, fuzzy}))
            throw RunError(errors::ImageTool, "No level to reduce the " + std::to_string(size) +
                                                  " tiles of " + image.source + " from.");
    }
    for (const TileOutput& output : toWrite)
        levels_.at(keyOf(output)).pending.push_back(output);
    for (auto& [key, level] : levels_) {
        std::stable_sort(level.pending.begin(), level.pending.end(),
                         [](const TileOutput& a, const TileOutput& b) { return a.y < b.y; });
    }
}

std::vector<TileWrite> RowTiler::feed(const PixelImage& rows) {
    std::vector<TileWrite> writes;
    for (const auto& [level, switches] : bases_) {
        take(*level, baseRows(rows, switches), writes);
    }
    return writes;
}

void RowTiler::take(Level& level, const PixelImage& rows, std::vector<TileWrite>& writes) {
    level.rows = level.rows ? level.rows->above(rows) : rows;
    level.received += rows.height();
    for (; level.next < level.pending.size(); ++level.next) {
        const TileOutput& output = level.pending[level.next];
        const int first = firstRow(output, level.scale);
        if (first + rowsNeeded(output) > level.received)
            break;
        const int size = output.piece ? output.size : kTileEdge;
        const PixelImage part =
            level.rows->region(output.x / level.scale, first - level.top, size, size);
        const PictureFormat format = output.piece ? PictureFormat::Jpg : formatOf(output.switches);
        const int quality = std::atoi(output.switches.quality.c_str());
        writes.push_back(
            [part, path = output.path, format, quality] { part.write(path, format, quality); });
    }
    if (level.above) {
        if (const std::optional<PixelImage> reduced = halve(level))
            take(*level.above, *reduced, writes);
    }
    keepNeeded(level);
}

// The rows of the level above that the rows in now fix, reduced from the rows kept; nothing
// when there are none yet. Rows near the end of those in wait for the rows below them, unless
// the level is complete.
std::optional<PixelImage> RowTiler::halve(Level& level) {
    const int target = level.received == level.height
                           ? level.height / 2
                           : std::max(0, (level.received - kHalvingReach) / 4 * 2);
    if (target <= level.halved)
        return std::nullopt;
    // The rows the new ones are reduced from: those kept, less the ones only files need.
    const int from = std::max(level.top, 2 * level.halved - kHalvingReach);
    const PixelImage window =
        level.rows->region(0, from - level.top, level.rows->width(), level.received - from);
    const PixelImage reduced = window.reduced(window.width() / 2, window.height() / 2);
    const PixelImage part =
        reduced.region(0, level.halved - from / 2, reduced.width(), target - level.halved);
    level.halved = target;
    return part.inMemory();
}

// Drops the rows that no pending file and no reduction needs any more. Cuts stay at even
// rows, so that each reduction pairs the rows as a reduction of the whole level does.
void RowTiler::keepNeeded(Level& level) {
    int needed = level.received;
    if (level.next < level.pending.size())
        needed = std::min(needed, firstRow(level.pending[level.next], level.scale));
    if (level.above)
        needed = std::min(needed, std::max(0, 2 * level.halved - kHalvingReach));
    needed -= needed % 2;
    if (needed <= level.top)
        return;
    if (needed >= level.received) {
        level.rows.reset();
    } else {
        // A copy, so that the rows they were read with can go.
        level.rows =
            level.rows->region(0, needed - level.top, level.rows->width(), level.received - needed)
                .inMemory();
    }
    level.top = needed;
}

}  // namespace orvanta
