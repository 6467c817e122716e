#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "pixels/pixel_image.h"
#include "tiling/image_tiling.h"

namespace orvanta {

// The writing of one file whose pixels are all there; it may run on any thread.
using TileWrite = std::function<void()>;

// Cuts the files of one square image (tileOutputs) from its rows as they come, top to bottom,
// so that neither the image nor its levels are ever held whole. Each level of the pyramid is
// reduced by half from the level below as soon as enough rows of that level are in, with the
// same pixels as a reduction of the whole level; the rows of a level are kept only while a
// file or the level above still needs them. A file is handed out as a write once all its rows
// are in.
class RowTiler {
  public:
    // `all`: every file of the image (they decide its levels); `toWrite`: those to write.
    RowTiler(const ImageTiling& image, const std::vector<TileOutput>& all,
             const std::vector<TileOutput>& toWrite);

    // Takes the next rows of the image (its whole width, in memory) and returns the writes
    // they complete.
    std::vector<TileWrite> feed(const PixelImage& rows);

  private:
    // What a level's pixels depend on besides its place: the size of the source square each
    // of its 256 tiles shows, and the colour made transparent, if any; size 0 holds the source
    // as it is, for the full-resolution pieces.
    using LevelKey = std::tuple<int, bool, std::uint32_t, bool>;
    struct Level {
        int scale = 1;                   // source pixels a level pixel stands for
        int height = 0;                  // the level's rows in all
        std::optional<PixelImage> rows;  // rows [top, received) of the level
        int top = 0, received = 0;
        int halved = 0;                   // rows of the level above made so far
        Level* above = nullptr;           // the level reduced from this one
        std::vector<TileOutput> pending;  // files still to cut, from the top down
        std::size_t next = 0;             // the first pending file not handed out
    };

    void take(Level& level, const PixelImage& rows, std::vector<TileWrite>& writes);
    std::optional<PixelImage> halve(Level& level);
    void keepNeeded(Level& level);

    std::map<LevelKey, Level> levels_;
    std::vector<std::pair<Level*, TileSwitches>> bases_;  // the levels the rows go into
    int edge_ = 0;
};

}  // namespace orvanta
