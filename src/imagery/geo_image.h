#pragma once

#include <optional>
#include <string>

#include "imagery/image_header_info.h"
#include "imagery/world_file.h"

namespace orvanta {

// One input raster with its size and world file.
struct GeoImage {
    std::string path;
    std::string folder;     // without a trailing separator
    std::string baseName;   // file name without its extension
    std::string extension;  // lower-cased
    ImageHeaderInfo header;
    std::string worldFilePath;  // as found on disk; empty when there is none
    std::optional<WorldFile> worldFile;
};

// The four edges, in degrees, of a block of pixels.
struct GeoBounds {
    double north = 0;
    double south = 0;
    double east = 0;
    double west = 0;
    bool operator==(const GeoBounds&) const = default;
};

// Bounds of a block of `width` × `height` pixels whose upper-left pixel is the image's: the
// centre of that pixel is taken as the block's north-west corner (north = F, west = C,
// east = C + width·A, south = F + height·E). Nothing when A, E, C or F is not a number.
std::optional<GeoBounds> blockBounds(const WorldFile& world, double width, double height);

// The path of the world file of an image as it is on disk (letter case matched loosely), or
// empty. An image extension without a world-file extension has none.
std::string findWorldFile(const std::string& folder, const std::string& baseName,
                          const std::string& imageExtension);

// Why the world file at `path` cannot place an image of `width` x `height` pixels: its fault
// (worldFileFault), else, when it fails the WGS84 test, the corner it gives followed by
// `notWgs84Message`; empty when it places the image. Throws as readWorldFile does.
std::string worldFileRefusal(const std::string& path, std::uint32_t width, std::uint32_t height,
                             const std::string& notWgs84Message);
// The same for the six numbers `world` read from `path` (a world file, or an image that holds
// its own georeference).
std::string georeferenceRefusal(const std::string& path, const WorldFile& world,
                                std::uint32_t width, std::uint32_t height,
                                const std::string& notWgs84Message);
// The end of a WGS84 refusal: how to have the image warped instead.
inline constexpr const char* kReprojectHint =
    " To warp it to WGS84 latitude/longitude, give --reproject (in the window: \"Warp images in "
    "other coordinate systems to WGS84\" in the options).";

// Messages when a single image is refused.
inline constexpr const char* kImageNotWgs84Message =
    "The Selected image is not using 'WGS84 Datum Projection'. Google Earth requires a raster "
    "in TIFF, JPEG, or PNG format with a WGS84 Lat/Lon Coordinate Reference System (WGS84 "
    "Geographic). If you are using some projection other than Lat/Lon Google Earth will not be "
    "able to display your image correctly!";
std::string imageWithoutWorldFileMessage(const std::string& imageName,
                                         const std::string& worldExtension,
                                         const std::string& imageFolder);

}  // namespace orvanta
