#pragma once

#include <array>
#include <optional>
#include <string>
#include "imagery/globe.h"
#include "imagery/number_text.h"

namespace orvanta {

struct WorldFile;

// One edge of a region. A value copied straight from a world file keeps the text of its line
// and is printed exactly so; every computed value is a number and is printed in the number
// format. Arithmetic always uses the numeric value.
class CoordValue {
  public:
    CoordValue() = default;
    // A computed value.
    static CoordValue number(double value) { return CoordValue(value, std::nullopt); }
    // A world-file line, kept as read. Throws RunError 13 when the text is not a number.
    static CoordValue fromText(const std::string& text);

    double value() const { return value_; }
    bool isText() const { return text_.has_value(); }
    const std::optional<std::string>& text() const { return text_; }

    bool operator==(const CoordValue&) const = default;

  private:
    CoordValue(double value, std::optional<std::string> text)
        : value_(value), text_(std::move(text)) {}
    double value_ = 0;
    std::optional<std::string> text_;
};

// The four edges of a rectangle in WGS84 degrees, always handled in the order north, south,
// east, west.
struct LatLonBounds {
    CoordValue north, south, east, west;
    bool operator==(const LatLonBounds&) const = default;
};

// A cell inside one tile: up to four quadrant digits from the tile down (1 north-west,
// 2 north-east, 3 south-west, 4 south-east), 0 in the places below the path's depth.
struct QuadPath {
    std::array<int, 4> digits{0, 0, 0, 0};

    int depth() const;
    // The path one level further down, into quadrant q.
    QuadPath child(int q) const;
    // The digits joined by "_" after a leading "_": "_2_4" for (2, 4); empty for the tile.
    std::string kmlSuffix() const;
    // The same with every digit minus one, as pictures and document names carry them: "_1_3".
    std::string pictureSuffix() const;

    bool operator==(const QuadPath&) const = default;
};

// An edge as text: the world file's own text, or the number format.
std::string FormatCoord(const CoordValue& value);

// The middle of two edges, each taken as a number.
double Midpoint(const CoordValue& a, const CoordValue& b);

// The bounds of a tile of `size` pixels from its world file: north and west are the world
// file's own F and C texts, east = C + size*A and south = size*E + F are numbers. With
// `exactEdges`, the edges are those of the pixels' corners, all numbers: north = F - E/2,
// west = C - A/2, east and south size pixels further.
LatLonBounds TileBounds(const WorldFile& worldFile, int size, bool exactEdges = false);

// Quadrant q (1 to 4) of a rectangle by one midpoint step; edges taken over keep their form.
LatLonBounds QuadrantBounds(const LatLonBounds& bounds, int q);

// All four edges of the cell named by the path inside a tile with the given edges, as numbers;
// each edge uses only the two edges of its own axis.
LatLonBounds CellBounds(const QuadPath& path, const LatLonBounds& tile);

// The box a cell shows once its picture is cut as `cut` (of a picture `pixels` across): the
// cell's bounds narrowed to the picture's part, kept within latitudes -90 to 90 and east of the
// tile's west edge by at most 360 degrees, and taken round the globe by 360 degrees when it
// would start at or beyond 180 or before -180 (a box that crosses 180 keeps its east beyond it,
// as KML allows). Edges left as they were keep their form.
LatLonBounds cutBounds(const LatLonBounds& cell, const PictureCut& cut, int pixels,
                       double tileWest);

// Widens the bounds of all tiles by one tile: smaller west and south, greater east and north
// win. Winning west, south and east keep their form; the north is held as a number. The east
// goes at most 360 degrees beyond the west.
void IncludeTile(LatLonBounds& all, const LatLonBounds& tile);

// The starting point of IncludeTile: west 180, south 90, east -180, north -90.
LatLonBounds EmptyRootBounds();

}  // namespace orvanta
