#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

// The only interface to GDAL: the georeference and coordinate system of raster files.
namespace orvanta {

// An affine map from pixel corners to map coordinates: x = t[0] + column t[1] + row t[2],
// y = t[3] + column t[4] + row t[5], for the upper-left corner of pixel (column, row).
using GeoTransform = std::array<double, 6>;

// What a raster file says of itself, read without writing anything anywhere.
struct RasterFacts {
    int width = 0;
    int height = 0;
    // Bits of each channel as the file stores them (8 for bytes, 16 for 16-bit samples, fewer
    // when the file packs them), one per channel.
    std::vector<int> channelBits;
    bool palette = false;   // the first channel indexes a colour table
    bool hasAlpha = false;  // a channel is marked as transparency
    // The georeference the file holds (GeoTIFF tags, JPEG 2000 boxes, or a world file the
    // library found beside it) and its coordinate system as WKT (empty when it names none).
    std::optional<GeoTransform> transform;
    std::string coordinateSystem;
    // What the library warned of while reading the file, in order.
    std::vector<std::string> warnings;
};

// Reads the facts of a raster file. Throws RunError(errors::PictureLoad, the library's reason)
// when the library cannot open it.
RasterFacts readRasterFacts(const std::string& path);

// Whether the library can read the file as a raster at all.
bool isRasterFile(const std::string& path);

// The coordinate system a code names ("EPSG:32633", a PROJ string, WKT, a .prj file's text),
// as WKT. Throws RunError(errors::InvalidArgument) naming the code when none is known.
std::string coordinateSystemFromCode(const std::string& code);

// The coordinate system written in a .prj file beside a world file; empty when the file cannot
// be read or names none.
std::string readPrjFile(const std::string& path);

// True when the WKT names WGS84 latitude/longitude (in either axis order); false for another
// datum, a projected system or no system.
bool isWgs84LatLon(const std::string& wkt);

// A short name of a coordinate system for messages: its name and, when it has one, its code
// ("WGS 84 / UTM zone 33N (EPSG:32633)"); "unknown" for empty WKT.
std::string coordinateSystemName(const std::string& wkt);

// The library's version text.
std::string geoVersion();

}  // namespace orvanta
