#pragma once

#include <array>
#include <string>

namespace orvanta::testing {

// Writes an image of `width` x `height` pixels filled with a smooth gradient (any format the
// image library writes, chosen by the extension).
void makeImage(const std::string& path, int width, int height);

// Writes a square image of `size` pixels whose four quarters have the given colours, in the
// order top-left, top-right, bottom-left, bottom-right (names such as "red" or "#00ff00").
void makeQuadrantImage(const std::string& path, int size,
                       const std::array<std::string, 4>& colours);

// Writes a world file: pixel size `a` along x, `e` along y, upper-left pixel at (`c`, `f`).
void writeWorldFile(const std::string& path, double a, double e, double c, double f);

// The colour of one pixel as "r,g,b,a" in 8-bit values.
std::string pixelColour(const std::string& path, int x, int y);

}  // namespace orvanta::testing
