#include "tiling/warped_image.h"

#include <algorithm>
#include <cstring>

#include "imagery/piece_world_files.h"

namespace orvanta {
namespace {

using Outline = std::vector<std::pair<double, double>>;

// Warps the rectangles one engine thread asks for, and paints the background where the
// source has no pixel.
class WarpFiller : public PixelFiller {
  public:
    WarpFiller(const GeoSource& source, const WarpGrid& grid, Resampling resampling, Rgb background,
               bool keepAlpha)
        : warper_(source, grid, resampling), background_(background), keepAlpha_(keepAlpha) {}

    void fill(int x, int y, int width, int height, std::uint8_t* pixels,
              std::size_t lineBytes) override {
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        rgba_.resize(rowBytes * static_cast<std::size_t>(height));
        warper_.warp(x, y, width, height, rgba_.data(), rowBytes);
        const std::uint8_t colour[3] = {static_cast<std::uint8_t>(background_.red),
                                        static_cast<std::uint8_t>(background_.green),
                                        static_cast<std::uint8_t>(background_.blue)};
        const int channels = keepAlpha_ ? 4 : 3;
        for (int row = 0; row < height; ++row) {
            const std::uint8_t* from = rgba_.data() + static_cast<std::size_t>(row) * rowBytes;
            std::uint8_t* to = pixels + static_cast<std::size_t>(row) * lineBytes;
            for (int column = 0; column < width; ++column, from += 4, to += channels) {
                std::memcpy(to, from[3] == 0 ? colour : from, 3);
                if (keepAlpha_)
                    to[3] = from[3];
            }
        }
    }

  private:
    Warper warper_;
    Rgb background_;
    bool keepAlpha_;
    std::vector<std::uint8_t> rgba_;
};

// Even-odd rule.
bool inside(const Outline& outline, double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
        const auto [xi, yi] = outline[i];
        const auto [xj, yj] = outline[j];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            in = !in;
    }
    return in;
}

// A square lies wholly inside the outline when its corners do and no point of the outline
// lies within it (the outline is traced densely enough that no side of it cuts the square
// between two of its points without leaving a corner outside).
bool squareInside(const Outline& outline, double left, double top, double size) {
    const double right = left + size, bottom = top + size;
    for (const auto& [x, y] : {std::pair{left, top}, std::pair{right, top}, std::pair{left, bottom},
                               std::pair{right, bottom}}) {
        if (!inside(outline, x, y))
            return false;
    }
    return std::none_of(outline.begin(), outline.end(), [&](const auto& point) {
        return point.first > left && point.first < right && point.second > top &&
               point.second < bottom;
    });
}

}  // namespace

PixelImage warpedImage(const GeoSource& source, const WarpGrid& grid, Resampling resampling,
                       Rgb background, bool keepAlpha) {
    return PixelImage::generated(grid.width, grid.height, keepAlpha ? 4 : 3, [=] {
        return std::make_unique<WarpFiller>(source, grid, resampling, background, keepAlpha);
    });
}

std::vector<int> piecesReachingOutside(const Outline& outline, int width, int height,
                                       double margin) {
    const PieceGrid grid = pieceGrid(width, height);
    std::vector<int> pieces;
    for (int row = 0, k = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column, ++k) {
            const double left = column * double{kPieceSize} - margin;
            const double top = row * double{kPieceSize} - margin;
            if (outline.size() < 3 || !squareInside(outline, left, top, kPieceSize + 2 * margin))
                pieces.push_back(k);
        }
    }
    return pieces;
}

}  // namespace orvanta
