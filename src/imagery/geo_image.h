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

// The path of the world file of an image as it is on disk (letter case matched loosely), by
// the first of worldFileNames that the folder holds; empty when it holds none.
std::string findWorldFile(const std::string& folder, const std::string& baseName,
                          const std::string& imageExtension);

// Why the world file at `path` cannot place an image of `width` x `height` pixels: empty when
// it can; otherwise `partMessage` followed by the detail (worldFileDetail). A file that cannot
// be read is told as such, after `unreadableMessage` when one is given.
std::string worldFileRefusal(const std::string& path, std::uint32_t width, std::uint32_t height,
                             const std::string& partMessage,
                             const std::string& unreadableMessage = {});
// The same for the six numbers `world` read from `path` (a world file, or an image that holds
// its own georeference).
std::string georeferenceRefusal(const std::string& path, const WorldFile& world,
                                std::uint32_t width, std::uint32_t height,
                                const std::string& partMessage);

// Messages when a single image is refused.
inline constexpr const char* kImageNotWgs84Message =
    "The Selected image is not using 'WGS84 Datum Projection'. Google Earth requires a raster "
    "in TIFF, JPEG, or PNG format with a WGS84 Lat/Lon Coordinate Reference System (WGS84 "
    "Geographic). If you are using some projection other than Lat/Lon Google Earth will not be "
    "able to display your image correctly!";
// The image at `imagePath` cannot be placed without a world file: the program's own text.
std::string unreferencedImageText(const std::string& imagePath);
// The image at `imagePath` has no world file: that text, then the names looked for beside it.
std::string imageWithoutWorldFileMessage(const std::string& imagePath);
// The world files looked for beside an image, as a message names them.
std::string worldFileNamesTried(const std::string& imagePath);

}  // namespace orvanta
