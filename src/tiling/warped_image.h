#pragma once

#include <utility>
#include <vector>

#include "geo/warp.h"
#include "pixels/pixel_image.h"
#include "platform/colour.h"

namespace orvanta {

// The image of `source` warped to WGS84 latitude/longitude on `grid`, 8-bit RGB (RGBA when
// `keepAlpha`). Its pixels are warped as they are read, by a warper of each engine thread; the
// area outside the source is `background`, and transparent too when alpha is kept.
PixelImage warpedImage(const GeoSource& source, const WarpGrid& grid, Resampling resampling,
                       Rgb background, bool keepAlpha);

// The numbers of the 4096 pieces of a `width` x `height` image (row by row from the top left)
// that reach outside `outline` (a polygon in the image's pixels), or come within `margin` pixels
// of it, and so hold background where no source pixel lies.
std::vector<int> piecesReachingOutside(const std::vector<std::pair<double, double>>& outline,
                                       int width, int height, double margin);

}  // namespace orvanta
