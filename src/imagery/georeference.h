#pragma once

#include <optional>
#include <string>

#include "geo/raster_file.h"
#include "imagery/world_file.h"

namespace orvanta {

// Where an image lies: the six numbers of its world file and the coordinate system they are in.
struct Georeference {
    WorldFile world;
    // The world file they were read from; empty when the image holds them itself.
    std::string worldFilePath;
    // WKT: from the ".prj" file beside the image, else the one the image names itself; empty
    // when neither names one.
    std::string coordinateSystem;
};

// The world file an image holds itself (GeoTIFF tags, JPEG 2000 boxes), read without writing
// anything anywhere: A, D, B, E as the library gives them, C and F at the centre of the
// upper-left pixel. Nothing when the image holds none or cannot be read.
std::optional<WorldFile> embeddedWorldFile(const std::string& image);

// The georeference of `image`: from its world file at `worldFilePath` (found without regard
// to letter case) when there is one, else from the image itself; nothing when it has neither.
// Throws as readWorldFile does.
std::optional<Georeference> readGeoreference(const std::string& image,
                                             const std::string& worldFilePath);

// The pixel-corner transform of a world file (whose C and F are pixel centres); nothing when a
// line is not a number.
std::optional<GeoTransform> transformOf(const WorldFile& world);

}  // namespace orvanta
