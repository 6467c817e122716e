#pragma once

#include <array>
#include <string>
#include <utility>

namespace orvanta::testing {

// Writes, with the geo library's own API, a `width` x `height` image of 8-bit RGB: green in its
// top quarter, below it red in its left half and blue in its right. `transform` places its pixel
// corners in the coordinate system `system` ("EPSG:32633"). A GeoTIFF (".tif") holds both in
// its tags; any other format gets a world file and a ".prj" beside it (`withPrj`), nothing in
// itself.
void makeGeoImage(const std::string& path, int width, int height,
                  const std::array<double, 6>& transform, const std::string& system,
                  bool withPrj = true);

// A point of `system` in WGS84 longitude and latitude, transformed by the geo library.
std::pair<double, double> toLonLat(const std::string& system, double x, double y);

}  // namespace orvanta::testing
