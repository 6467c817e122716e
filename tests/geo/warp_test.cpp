#include "geo/warp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "support/geo_images.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

constexpr const char* kUtm33 = "EPSG:32633";

// A UTM image west of its zone's central meridian, so that its grid north is turned against
// true north: its footprint on latitude/longitude is a tilted quadrilateral.
struct UtmImage {
    testing::ScratchDir dir;
    std::array<double, 6> transform = {300000, 10, 0, 5500000, 0, -10};  // 10 m pixels
    int width = 300, height = 200;
    GeoSource source;

    UtmImage() {
        testing::makeGeoImage(dir / "utm.tif", width, height, transform, kUtm33);
        const RasterFacts facts = readRasterFacts(dir / "utm.tif");
        source = {dir / "utm.tif", *facts.transform, facts.coordinateSystem};
    }
    // A point of the image, given in its pixels, in longitude and latitude.
    std::pair<double, double> lonLat(double x, double y) const {
        return testing::toLonLat(kUtm33, transform[0] + x * transform[1],
                                 transform[3] + y * transform[5]);
    }
};

// The file's own facts; the grid holds the corners as the library transforms them, with pixels
// of the source's ground size at its centre.
TEST(Warp, GridHoldsTheLibrarysCornersAtTheSourcesGroundSize) {
    const UtmImage image;
    const RasterFacts facts = readRasterFacts(image.source.path);
    EXPECT_EQ(facts.channelBits, (std::vector<int>{8, 8, 8}));
    EXPECT_FALSE(isWgs84LatLon(facts.coordinateSystem));
    EXPECT_TRUE(isWgs84LatLon(coordinateSystemFromCode("EPSG:4326")));
    EXPECT_EQ(coordinateSystemName(facts.coordinateSystem), "WGS 84 / UTM zone 33N (EPSG:32633)");

    const WarpGrid grid = wgs84Grid(image.source, image.width, image.height);
    double west = 180, east = -180, south = 90, north = -90;
    for (const auto& [x, y] :
         {std::pair{0, 0}, {image.width, 0}, {0, image.height}, {image.width, image.height}}) {
        const auto [lon, lat] = image.lonLat(x, y);
        west = std::min(west, lon), east = std::max(east, lon);
        south = std::min(south, lat), north = std::max(north, lat);
    }
    EXPECT_NEAR(grid.west, west, grid.pixelWidth);
    EXPECT_NEAR(grid.north, north, grid.pixelHeight);
    EXPECT_NEAR(grid.west + grid.width * grid.pixelWidth, east, grid.pixelWidth);
    EXPECT_NEAR(grid.north - grid.height * grid.pixelHeight, south, grid.pixelHeight);

    const auto [alongMeridian, alongParallel] = metresPerDegree(image.lonLat(150, 100).second);
    EXPECT_NEAR(grid.pixelHeight * alongMeridian, 10, 0.05);
    EXPECT_NEAR(grid.pixelWidth * alongParallel, 10, 0.05);
}

// Warped pixels come from where the library puts the source's: the red half, the blue half
// and the green top, by every resampling; the grid's corners lie outside the tilted
// footprint and are transparent.
TEST(Warp, PixelsLandWhereTheLibraryPutsThem) {
    const UtmImage image;
    const WarpGrid grid = wgs84Grid(image.source, image.width, image.height);
    for (Resampling resampling :
         {Resampling::Near, Resampling::Bilinear, Resampling::Cubic, Resampling::Lanczos}) {
        Warper warper(image.source, grid, resampling);
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(grid.width * grid.height * 4));
        // In two windows, as the engine's threads ask for them.
        const int half = grid.height / 2;
        warper.warp(0, 0, grid.width, half, rgba.data(), grid.width * 4u);
        warper.warp(0, half, grid.width, grid.height - half,
                    rgba.data() + static_cast<std::size_t>(half) * grid.width * 4, grid.width * 4u);
        const auto pixel = [&](int column, int row) {
            const std::size_t at = (static_cast<std::size_t>(row) * grid.width + column) * 4;
            return std::array<int, 4>{rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]};
        };
        const auto at = [&](double x, double y) {
            const auto [lon, lat] = image.lonLat(x, y);
            return pixel(static_cast<int>((lon - grid.west) / grid.pixelWidth),
                         static_cast<int>((grid.north - lat) / grid.pixelHeight));
        };
        const std::string name = resamplingName(resampling);
        EXPECT_EQ(at(75, 100), (std::array<int, 4>{255, 0, 0, 255})) << name;
        EXPECT_EQ(at(225, 100), (std::array<int, 4>{0, 0, 255, 255})) << name;
        EXPECT_EQ(at(150, 20), (std::array<int, 4>{0, 255, 0, 255})) << name;
        for (const auto& [column, row] : {std::pair{0, 0},
                                          {grid.width - 1, 0},
                                          {0, grid.height - 1},
                                          {grid.width - 1, grid.height - 1}})
            EXPECT_EQ(pixel(column, row)[3], 0) << name << " " << column << "," << row;
    }
}

}  // namespace
}  // namespace orvanta
