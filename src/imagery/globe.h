#pragma once

#include <limits>
#include <optional>
#include <string>

#include "imagery/world_file.h"

namespace orvanta {

// Tiles are pictures of this many pixels across.
inline constexpr int kTilePictureSize = 256;

// The north-west corner of an image in degrees: the centre of its upper-left pixel (C, F), or,
// with exact edges, that pixel's own corner half a pixel further (C - A/2, F - E/2).
struct ImageCorner {
    double west = 0;
    double north = 0;
};
// Nothing when A, E, C or F is not a number.
std::optional<ImageCorner> imageCorner(const WorldFile& world, bool exactEdges);

// The part of an image's pixel plane that lies on the globe, in pixels from the image's
// upper-left corner (as its corner is taken): latitudes from 90 down to -90, and the 360 degrees
// of longitude east of its west edge (what lies further east would cover the globe twice).
// Unbounded by default.
struct GlobeWindow {
    static constexpr double kNone = std::numeric_limits<double>::infinity();
    double left = -kNone;
    double top = -kNone;
    double right = kNone;
    double bottom = kNone;
    bool operator==(const GlobeWindow&) const = default;
};
// Unbounded when the world file has no usable numbers (its refusal says why).
GlobeWindow globeWindow(const WorldFile& world, bool exactEdges);
// The same from the world file at `path`; unbounded when there is none that can be read.
GlobeWindow worldFileGlobe(const std::string& path, bool exactEdges);

// The part of a picture of `pixels` x `pixels` that shows the globe, when the picture shows the
// square of `size` image pixels at x, y: whole picture pixels, [left, right) x [top, bottom).
// A picture pixel that reaches over the globe's edge is kept (it shows the globe in part), but
// the rounding of the numbers of an edge that falls on a pixel's border adds none.
struct PictureCut {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool whole(int pixels) const {
        return left == 0 && top == 0 && right == pixels && bottom == pixels;
    }
    bool operator==(const PictureCut&) const = default;
};
// Nothing when the square lies wholly off the globe.
std::optional<PictureCut> globeCut(const GlobeWindow& window, int x, int y, int size,
                                   int pixels = kTilePictureSize);

}  // namespace orvanta
