#include "geo/warp.h"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_alg.h>
#include <gdal_utils.h>
#include <gdalwarper.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geo/geo_library.h"
#include "platform/run_error.h"

namespace orvanta {
namespace {

// The most a transformed point may stray from the exact transform, in output pixels: an
// eighth of a pixel, which no resampling shows.
constexpr double kApproximation = 0.125;
// Points traced along each side of a source.
constexpr int kSidePoints = 100;

[[noreturn]] void fail(const geo::LibraryMessages& messages, const std::string& otherwise) {
    throw RunError(errors::ImageTool,
                   messages.lastFailure.empty() ? otherwise : messages.lastFailure);
}

struct TransformerCloser {
    void operator()(void* transformer) const { GDALDestroyGenImgProjTransformer(transformer); }
};
using Transformer = std::unique_ptr<void, TransformerCloser>;

// From the source's pixels to `target`'s pixels on WGS84 latitude/longitude; without a
// target, to longitude and latitude themselves.
Transformer transformerOf(const GeoSource& source, const GeoTransform* target) {
    geo::LibraryMessages messages;
    const geo::SpatialReference from = geo::spatialReference(source.coordinateSystem);
    if (!from)
        throw RunError(errors::ImageTool, "The image names no coordinate system to warp from.");
    static constexpr GeoTransform kDegrees = {0, 1, 0, 0, 0, 1};
    Transformer transformer(
        GDALCreateGenImgProjTransformer4(from.get(), source.transform.data(), geo::wgs84().get(),
                                         (target ? *target : kDegrees).data(), nullptr));
    if (!transformer)
        fail(messages, "The image's coordinate system cannot be transformed to WGS84.");
    return transformer;
}

struct Point {
    double x = 0, y = 0;
};

// Points along the four sides of a width x height source, in pixel corner coordinates,
// clockwise from the upper-left corner.
std::vector<Point> sidePoints(int width, int height) {
    const double w = width, h = height;
    const Point corners[] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    std::vector<Point> points;
    for (int side = 0; side < 4; ++side) {
        const Point& from = corners[side];
        const Point& to = corners[(side + 1) % 4];
        for (int i = 0; i < kSidePoints; ++i) {
            const double t = static_cast<double>(i) / kSidePoints;
            points.push_back({from.x + t * (to.x - from.x), from.y + t * (to.y - from.y)});
        }
    }
    return points;
}

// The points transformed from source pixels; throws when any fails.
std::vector<Point> transformed(void* transformer, std::vector<Point> points) {
    std::vector<double> x, y, z(points.size(), 0);
    for (const Point& point : points) {
        x.push_back(point.x);
        y.push_back(point.y);
    }
    std::vector<int> done(points.size(), 0);
    GDALGenImgProjTransform(transformer, FALSE, static_cast<int>(points.size()), x.data(), y.data(),
                            z.data(), done.data());
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!done[i] || !std::isfinite(x[i]) || !std::isfinite(y[i])) {
            throw RunError(errors::ImageTool,
                           "A corner or side of the image lies where its coordinate system "
                           "has no latitude and longitude.");
        }
        points[i] = {x[i], y[i]};
    }
    return points;
}

GDALResampleAlg algorithmOf(Resampling resampling) {
    switch (resampling) {
        case Resampling::Near:
            return GRA_NearestNeighbour;
        case Resampling::Bilinear:
            return GRA_Bilinear;
        case Resampling::Cubic:
            return GRA_Cubic;
        case Resampling::Lanczos:
            return GRA_Lanczos;
    }
    return GRA_Bilinear;
}

// A colour table turned into red, green and blue (and alpha when the table has any), so that
// colours are resampled rather than table entries.
geo::Dataset expandedPalette(GDALDatasetH dataset) {
    geo::LibraryMessages messages;
    bool alpha = false;
    if (GDALColorTableH table = GDALGetRasterColorTable(GDALGetRasterBand(dataset, 1))) {
        for (int i = 0; i < GDALGetColorEntryCount(table); ++i)
            alpha = alpha || GDALGetColorEntry(table, i)->c4 != 255;
    }
    char* arguments[] = {const_cast<char*>("-of"), const_cast<char*>("VRT"),
                         const_cast<char*>("-expand"), const_cast<char*>(alpha ? "rgba" : "rgb"),
                         nullptr};
    GDALTranslateOptions* options = GDALTranslateOptionsNew(arguments, nullptr);
    geo::Dataset expanded(GDALTranslate("", dataset, options, nullptr));
    GDALTranslateOptionsFree(options);
    if (!expanded)
        fail(messages, "The image's colour table cannot be read.");
    return expanded;
}

}  // namespace

std::optional<Resampling> parseResampling(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (Resampling choice :
         {Resampling::Near, Resampling::Bilinear, Resampling::Cubic, Resampling::Lanczos}) {
        if (resamplingName(choice) == lower)
            return choice;
    }
    return std::nullopt;
}

std::string resamplingName(Resampling resampling) {
    switch (resampling) {
        case Resampling::Near:
            return "near";
        case Resampling::Bilinear:
            return "bilinear";
        case Resampling::Cubic:
            return "cubic";
        case Resampling::Lanczos:
            return "lanczos";
    }
    return "bilinear";
}

std::pair<double, double> metresPerDegree(double latitude) {
    constexpr double a = 6378137.0, f = 1 / 298.257223563, e2 = f * (2 - f);
    const double phi = latitude * std::numbers::pi / 180;
    const double s = std::sin(phi);
    const double w = 1 - e2 * s * s;
    const double meridian = a * (1 - e2) / (w * std::sqrt(w));
    const double normal = a / std::sqrt(w);
    constexpr double radian = std::numbers::pi / 180;
    return {meridian * radian, normal * std::cos(phi) * radian};
}

WarpGrid wgs84Grid(const GeoSource& source, int width, int height) {
    const Transformer transformer = transformerOf(source, nullptr);
    const std::vector<Point> outline = transformed(transformer.get(), sidePoints(width, height));
    const double cx = width / 2.0, cy = height / 2.0;
    const std::vector<Point> centre = transformed(
        transformer.get(), {{cx - 0.5, cy}, {cx + 0.5, cy}, {cx, cy - 0.5}, {cx, cy + 0.5}});
    const auto [alongMeridian, alongParallel] = metresPerDegree(centre[0].y);
    // The ground length of one source pixel across and down, at the centre.
    const auto ground = [&](const Point& from, const Point& to) {
        return std::hypot((to.x - from.x) * alongParallel, (to.y - from.y) * alongMeridian);
    };
    const double across = ground(centre[0], centre[1]);
    const double down = ground(centre[2], centre[3]);
    if (!(across > 0) || !(down > 0))
        throw RunError(errors::ImageTool, "The image's pixels have no size on the ground.");

    double west = outline[0].x, east = west, south = outline[0].y, north = south;
    for (const Point& point : outline) {
        west = std::min(west, point.x);
        east = std::max(east, point.x);
        south = std::min(south, point.y);
        north = std::max(north, point.y);
    }
    WarpGrid grid;
    grid.west = west;
    grid.north = north;
    grid.pixelWidth = across / alongParallel;
    grid.pixelHeight = down / alongMeridian;
    grid.width = std::max(1, static_cast<int>((east - west) / grid.pixelWidth + 0.5));
    grid.height = std::max(1, static_cast<int>((north - south) / grid.pixelHeight + 0.5));
    return grid;
}

std::vector<std::pair<double, double>> sourceOutline(const GeoSource& source, int width, int height,
                                                     const WarpGrid& grid) {
    const Transformer transformer = transformerOf(source, nullptr);
    std::vector<std::pair<double, double>> outline;
    for (const Point& point : transformed(transformer.get(), sidePoints(width, height))) {
        outline.emplace_back((point.x - grid.west) / grid.pixelWidth,
                             (grid.north - point.y) / grid.pixelHeight);
    }
    return outline;
}

std::optional<std::string> warpRefusal(const RasterFacts& facts) {
    if (facts.channelBits.empty())
        return "The image holds no channel of colour to warp.";
    const int widest = *std::max_element(facts.channelBits.begin(), facts.channelBits.end());
    if (widest > 8) {
        return "The image holds " + std::to_string(widest) +
               "-bit samples; images of 8-bit samples can be warped.";
    }
    return std::nullopt;
}

struct ApproximateCloser {
    void operator()(void* transformer) const { GDALDestroyApproxTransformer(transformer); }
};

struct Warper::State {
    WarpGrid grid;
    Resampling resampling = Resampling::Bilinear;
    Transformer exact;  // to the grid window in hand
    std::unique_ptr<void, ApproximateCloser> approximate;
    geo::Dataset file;
    geo::Dataset colours;  // the file's colour table expanded, when it has one
    GDALDatasetH pixels = nullptr;
    std::vector<int> colourBands;  // red, green, blue of the source
    int alphaBand = 0;             // 0 when the source has none
};

Warper::Warper(const GeoSource& source, const WarpGrid& grid, Resampling resampling)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.grid = grid;
    s.resampling = resampling;
    const GeoTransform whole = {grid.west, grid.pixelWidth, 0, grid.north, 0, -grid.pixelHeight};
    s.exact = transformerOf(source, &whole);
    s.approximate.reset(
        GDALCreateApproxTransformer(GDALGenImgProjTransform, s.exact.get(), kApproximation));
    s.file = geo::openRaster(source.path, errors::ImageTool);
    s.pixels = s.file.get();
    if (GDALGetRasterColorInterpretation(GDALGetRasterBand(s.pixels, 1)) == GCI_PaletteIndex) {
        s.colours = expandedPalette(s.pixels);
        s.pixels = s.colours.get();
    }
    const int bands = GDALGetRasterCount(s.pixels);
    for (int index = 1; index <= bands; ++index) {
        if (GDALGetRasterColorInterpretation(GDALGetRasterBand(s.pixels, index)) == GCI_AlphaBand)
            s.alphaBand = index;
        else if (s.colourBands.size() < 3)
            s.colourBands.push_back(index);
    }
    if (s.colourBands.empty())
        throw RunError(errors::ImageTool, "The image holds no channel of colour to warp.");
    // A grey image gives its one channel to red, green and blue.
    while (s.colourBands.size() < 3)
        s.colourBands.push_back(s.colourBands.front());
}

Warper::~Warper() = default;

void Warper::warp(int x, int y, int width, int height, std::uint8_t* pixels,
                  std::size_t lineBytes) {
    const State& s = *state_;
    geo::LibraryMessages messages;
    const WarpGrid& g = s.grid;
    GeoTransform window = {
        g.west + x * g.pixelWidth, g.pixelWidth, 0, g.north - y * g.pixelHeight, 0, -g.pixelHeight};
    GDALSetGenImgProjTransformerDstGeoTransform(s.exact.get(), window.data());
    GDALDriverH memory = GDALGetDriverByName("MEM");
    const geo::Dataset target(GDALCreate(memory, "", width, height, 4, GDT_Byte, nullptr));
    if (!target)
        fail(messages, "The warper cannot start.");

    GDALWarpOptions* options = GDALCreateWarpOptions();
    options->hSrcDS = s.pixels;
    options->hDstDS = target.get();
    options->eResampleAlg = algorithmOf(s.resampling);
    options->eWorkingDataType = GDT_Byte;
    options->nBandCount = 3;
    options->panSrcBands = static_cast<int*>(CPLMalloc(3 * sizeof(int)));
    options->panDstBands = static_cast<int*>(CPLMalloc(3 * sizeof(int)));
    int hasNoData = 0;
    const double noData = GDALGetRasterNoDataValue(GDALGetRasterBand(s.pixels, 1), &hasNoData);
    if (hasNoData) {
        options->padfSrcNoDataReal = static_cast<double*>(CPLMalloc(3 * sizeof(double)));
        options->padfSrcNoDataImag = static_cast<double*>(CPLCalloc(3, sizeof(double)));
    }
    for (int band = 0; band < 3; ++band) {
        options->panSrcBands[band] = s.colourBands[static_cast<std::size_t>(band)];
        options->panDstBands[band] = band + 1;
        if (hasNoData)
            options->padfSrcNoDataReal[band] = noData;
    }
    options->nSrcAlphaBand = s.alphaBand;
    options->nDstAlphaBand = 4;
    options->pfnTransformer = GDALApproxTransform;
    options->pTransformerArg = s.approximate.get();
    options->papszWarpOptions = CSLSetNameValue(options->papszWarpOptions, "INIT_DEST", "0");
    options->papszWarpOptions = CSLSetNameValue(options->papszWarpOptions, "SKIP_NOSOURCE", "YES");

    GDALWarpOperationH operation = GDALCreateWarpOperation(options);
    CPLErr result = CE_Failure;
    if (operation) {
        result = GDALChunkAndWarpImage(operation, 0, 0, width, height);
        GDALDestroyWarpOperation(operation);
    }
    options->pTransformerArg = nullptr;
    GDALDestroyWarpOptions(options);
    if (result == CE_None) {
        result =
            GDALDatasetRasterIO(target.get(), GF_Read, 0, 0, width, height, pixels, width, height,
                                GDT_Byte, 4, nullptr, 4, static_cast<int>(lineBytes), 1);
    }
    if (result != CE_None)
        fail(messages, "The image cannot be warped.");
}

}  // namespace orvanta
