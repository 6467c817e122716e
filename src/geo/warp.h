#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "geo/raster_file.h"

namespace orvanta {

// How the warper takes each output pixel from the source pixels around it.
enum class Resampling { Near, Bilinear, Cubic, Lanczos };
// "near", "bilinear", "cubic", "lanczos" (any letter case); nothing for another word.
std::optional<Resampling> parseResampling(const std::string& text);
std::string resamplingName(Resampling resampling);

// A raster in some coordinate system: the file, where its pixels lie and in which system.
struct GeoSource {
    std::string path;
    GeoTransform transform{};
    std::string coordinateSystem;  // WKT
};

// The grid of WGS84 latitude/longitude pixels a source is warped onto: `width` x `height`
// pixels of `pixelWidth` x `pixelHeight` degrees whose outer north-west corner is at `west`,
// `north`.
struct WarpGrid {
    int width = 0;
    int height = 0;
    double west = 0;
    double north = 0;
    double pixelWidth = 0;
    double pixelHeight = 0;
    bool operator==(const WarpGrid&) const = default;
};

// The grid a source of `width` x `height` pixels is warped onto: it holds the source's whole
// footprint, and its pixels keep the ground size of the source's pixels at the source's centre
// (in metres along the ground, east-west and north-south). Throws RunError(errors::ImageTool)
// when the source's corners cannot be transformed to latitude/longitude.
WarpGrid wgs84Grid(const GeoSource& source, int width, int height);

// Metres along the ground per degree of latitude and per degree of longitude at a latitude, on
// the WGS84 ellipsoid.
std::pair<double, double> metresPerDegree(double latitude);

// The outline of a source's pixels on the grid, in grid pixels (x to the east, y to the south
// from the grid's north-west corner), traced along its four sides.
std::vector<std::pair<double, double>> sourceOutline(const GeoSource& source, int width, int height,
                                                     const WarpGrid& grid);

// Why a source cannot be warped (samples of more than 8 bits, or no colour channel); nothing
// when it can.
std::optional<std::string> warpRefusal(const RasterFacts& facts);

// Warps rectangles of the grid from the source, 4 bytes a pixel: red, green, blue and alpha,
// alpha 0 where no source pixel lies. Not shared between threads: each thread has its own.
class Warper {
  public:
    // Throws RunError(errors::ImageTool) when the source cannot be opened or transformed.
    Warper(const GeoSource& source, const WarpGrid& grid, Resampling resampling);
    ~Warper();
    Warper(const Warper&) = delete;
    Warper& operator=(const Warper&) = delete;

    // Fills the rectangle at x, y of the grid into `pixels`, `lineBytes` bytes a line.
    void warp(int x, int y, int width, int height, std::uint8_t* pixels, std::size_t lineBytes);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace orvanta
