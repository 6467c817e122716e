#include "kml/lat_lon_bounds.h"

#include <cstdio>

#include "imagery/world_file.h"
#include "platform/run_error.h"

namespace orvanta {

CoordValue CoordValue::fromText(const std::string& text) {
    const std::optional<double> value = WorldFile::number(text);
    if (!value) {
        throw RunError(errors::TypeMismatch, "Type mismatch: \"" + text + "\" is not a number");
    }
    return CoordValue(*value, text);
}

int QuadPath::depth() const {
    int depth = 0;
    while (depth < 4 && digits[depth] != 0)
        ++depth;
    return depth;
}

QuadPath QuadPath::child(int q) const {
    QuadPath next = *this;
    next.digits[depth()] = q;
    return next;
}

std::string QuadPath::kmlSuffix() const {
    std::string suffix;
    for (int i = 0; i < depth(); ++i)
        suffix += "_" + std::to_string(digits[i]);
    return suffix;
}

std::string QuadPath::pictureSuffix() const {
    std::string suffix;
    for (int i = 0; i < depth(); ++i)
        suffix += "_" + std::to_string(digits[i] - 1);
    return suffix;
}

std::string FormatCoord(const CoordValue& value) {
    return value.isText() ? *value.text() : FormatNumber(value.value());
}

double Midpoint(const CoordValue& a, const CoordValue& b) {
    return (a.value() + b.value()) / 2;
}

LatLonBounds TileBounds(const WorldFile& worldFile, int size, bool exactEdges) {
    const CoordValue a = CoordValue::fromText(worldFile.A);
    const CoordValue e = CoordValue::fromText(worldFile.E);
    const CoordValue c = CoordValue::fromText(worldFile.C);
    const CoordValue f = CoordValue::fromText(worldFile.F);
    if (exactEdges) {
        const ImageCorner corner = *imageCorner(worldFile, true);
        return LatLonBounds{
            .north = CoordValue::number(corner.north),
            .south = CoordValue::number(corner.north + size * e.value()),
            .east = CoordValue::number(corner.west + size * a.value()),
            .west = CoordValue::number(corner.west),
        };
    }
    return LatLonBounds{
        .north = f,
        .south = CoordValue::number(size * e.value() + f.value()),
        .east = CoordValue::number(c.value() + size * a.value()),
        .west = c,
    };
}

LatLonBounds QuadrantBounds(const LatLonBounds& bounds, int q) {
    const CoordValue m = CoordValue::number(Midpoint(bounds.north, bounds.south));
    const CoordValue n = CoordValue::number(Midpoint(bounds.west, bounds.east));
    const bool northern = q == 1 || q == 2;
    const bool western = q == 1 || q == 3;
    return LatLonBounds{
        .north = northern ? bounds.north : m,
        .south = northern ? m : bounds.south,
        .east = western ? n : bounds.east,
        .west = western ? bounds.west : n,
    };
}

namespace {

// The interval of one axis after following the path. `keepsFirst` tells for a digit whether
// it keeps the half next to the first edge (north, or west).
template <typename KeepsFirst>
std::pair<double, double> narrow(const std::array<int, 4>& path, const CoordValue& first,
                                 const CoordValue& second, KeepsFirst keepsFirst) {
    double a = first.value();
    double b = second.value();
    for (int digit : path) {
        if (digit == 0)
            break;
        const double mid = (a + b) / 2;
        if (keepsFirst(digit)) {
            b = mid;
        } else {
            a = mid;
        }
    }
    return {a, b};
}

std::pair<double, double> northSouth(const std::array<int, 4>& path, const CoordValue& north,
                                     const CoordValue& south) {
    return narrow(path, north, south, [](int d) { return d == 1 || d == 2; });
}

std::pair<double, double> westEast(const std::array<int, 4>& path, const CoordValue& west,
                                   const CoordValue& east) {
    return narrow(path, west, east, [](int d) { return d == 1 || d == 3; });
}

}  // namespace

LatLonBounds CellBounds(const QuadPath& path, const LatLonBounds& tile) {
    const auto [north, south] = northSouth(path.digits, tile.north, tile.south);
    const auto [west, east] = westEast(path.digits, tile.west, tile.east);
    return LatLonBounds{
        .north = CoordValue::number(north),
        .south = CoordValue::number(south),
        .east = CoordValue::number(east),
        .west = CoordValue::number(west),
    };
}

namespace {

// The edge `pixel` picture pixels from `from` towards `to`, or `from` itself at 0.
CoordValue atPixel(const CoordValue& from, const CoordValue& to, int pixel, int pixels) {
    if (pixel == 0)
        return from;
    return CoordValue::number(from.value() + (to.value() - from.value()) * pixel / pixels);
}

CoordValue clamped(const CoordValue& edge, double low, double high) {
    if (edge.value() < low)
        return CoordValue::number(low);
    if (edge.value() > high)
        return CoordValue::number(high);
    return edge;
}

CoordValue turned(const CoordValue& edge, double by) {
    return by == 0 ? edge : CoordValue::number(edge.value() + by);
}

}  // namespace

LatLonBounds cutBounds(const LatLonBounds& cell, const PictureCut& cut, int pixels,
                       double tileWest) {
    LatLonBounds box{
        .north = atPixel(cell.north, cell.south, cut.top, pixels),
        .south = atPixel(cell.south, cell.north, pixels - cut.bottom, pixels),
        .east = atPixel(cell.east, cell.west, pixels - cut.right, pixels),
        .west = atPixel(cell.west, cell.east, cut.left, pixels),
    };
    box.north = clamped(box.north, -90, 90);
    box.south = clamped(box.south, -90, 90);
    box.east = clamped(box.east, -GlobeWindow::kNone, tileWest + 360);
    const double west = box.west.value();
    const double by = west >= 180 ? -360 : west < -180 ? 360 : 0;
    box.west = turned(box.west, by);
    box.east = turned(box.east, by);
    return box;
}

void IncludeTile(LatLonBounds& all, const LatLonBounds& tile) {
    if (tile.west.value() < all.west.value())
        all.west = tile.west;
    if (tile.south.value() < all.south.value())
        all.south = tile.south;
    if (tile.east.value() > all.east.value())
        all.east = tile.east;
    if (tile.north.value() > all.north.value())
        all.north = CoordValue::number(tile.north.value());
    // Tiles on both sides of 180 (one taken round to -180) would widen it beyond the globe.
    if (all.east.value() > all.west.value() + 360)
        all.east = CoordValue::number(all.west.value() + 360);
}

LatLonBounds EmptyRootBounds() {
    return LatLonBounds{
        .north = CoordValue::number(-90),
        .south = CoordValue::number(90),
        .east = CoordValue::number(-180),
        .west = CoordValue::number(180),
    };
}

}  // namespace orvanta
