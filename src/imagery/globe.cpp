#include "imagery/globe.h"

#include <algorithm>
#include <cmath>

#include "platform/run_error.h"

namespace orvanta {
namespace {

// Picture pixels closer than this to an edge count as on it: the edges of an image that ends
// exactly at the pole or after 360 degrees come out a hair off by rounding.
constexpr double kEdgeTolerance = 1e-6;

int clampedPixel(double value, int pixels) {
    return static_cast<int>(std::clamp(value, 0.0, static_cast<double>(pixels)));
}

}  // namespace

std::optional<ImageCorner> imageCorner(const WorldFile& world, bool exactEdges) {
    const std::optional<Placement> p = placementOf(world);
    if (!p)
        return std::nullopt;
    return exactEdges ? ImageCorner{p->c - p->a / 2, p->f - p->e / 2} : ImageCorner{p->c, p->f};
}

GlobeWindow globeWindow(const WorldFile& world, bool exactEdges) {
    const std::optional<Placement> p = placementOf(world);
    if (!p || !(p->a > 0) || !(p->e < 0))
        return {};
    const ImageCorner corner = *imageCorner(world, exactEdges);
    GlobeWindow window;
    window.top = (90 - corner.north) / p->e;
    window.bottom = (-90 - corner.north) / p->e;
    window.right = 360 / p->a;
    return window;
}

GlobeWindow worldFileGlobe(const std::string& path, bool exactEdges) {
    if (path.empty())
        return {};
    try {
        return globeWindow(readWorldFile(path), exactEdges);
    } catch (const RunError&) {
        return {};
    }
}

std::optional<PictureCut> globeCut(const GlobeWindow& window, int x, int y, int size, int pixels) {
    const double scale = static_cast<double>(size) / pixels;
    const auto from = [&](double edge, int origin) {
        return clampedPixel(std::floor((edge - origin) / scale + kEdgeTolerance), pixels);
    };
    const auto to = [&](double edge, int origin) {
        return clampedPixel(std::ceil((edge - origin) / scale - kEdgeTolerance), pixels);
    };
    const PictureCut cut{from(window.left, x), from(window.top, y), to(window.right, x),
                         to(window.bottom, y)};
    if (cut.left >= cut.right || cut.top >= cut.bottom)
        return std::nullopt;
    return cut;
}

}  // namespace orvanta
