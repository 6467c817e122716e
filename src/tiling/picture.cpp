#include "tiling/picture.h"

#include <algorithm>

#include "magick/picture_pixels.h"
#include "platform/path_names.h"
#include "platform/run_error.h"

namespace orvanta {
namespace {

// Rows of a picture turned over: top row first becomes bottom row first, and back.
std::vector<std::uint8_t> flipRows(const std::vector<std::uint8_t>& bytes, int width, int height) {
    const std::size_t row = 3 * static_cast<std::size_t>(width);
    std::vector<std::uint8_t> flipped(bytes.size());
    for (int y = 0; y < height; ++y) {
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(y * row), row,
                    flipped.begin() + static_cast<std::ptrdiff_t>((height - 1 - y) * row));
    }
    return flipped;
}

}  // namespace

Picture::Picture(int width, int height, std::uint32_t fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
    bytes_.resize(3 * static_cast<std::size_t>(width_) * height_);
    for (std::size_t i = 0; i < bytes_.size(); i += 3) {
        bytes_[i] = static_cast<std::uint8_t>(fill >> 16);
        bytes_[i + 1] = static_cast<std::uint8_t>(fill >> 8);
        bytes_[i + 2] = static_cast<std::uint8_t>(fill);
    }
}

Picture::Picture(int width, int height, std::vector<std::uint8_t> bottomUpBytes)
    : width_(width), height_(height), bytes_(std::move(bottomUpBytes)) {
    bytes_.resize(3 * static_cast<std::size_t>(std::max(width_, 0)) * std::max(height_, 0));
}

std::size_t Picture::offset(int x, int yFromBottom) const {
    return 3 * (static_cast<std::size_t>(yFromBottom) * width_ + x);
}

std::uint32_t Picture::pixelFromBottom(int x, int y) const {
    const std::size_t at = offset(x, y);
    return bytes_[at + 2] | (bytes_[at + 1] << 8) | (static_cast<std::uint32_t>(bytes_[at]) << 16);
}

void Picture::setPixelFromBottom(int x, int y, std::uint32_t colour) {
    const std::size_t at = offset(x, y);
    bytes_[at] = static_cast<std::uint8_t>(colour >> 16);
    bytes_[at + 1] = static_cast<std::uint8_t>(colour >> 8);
    bytes_[at + 2] = static_cast<std::uint8_t>(colour);
}

Picture LoadPictureResized(const std::string& sFilename, int& Width, int& Height,
                           std::uint32_t BackColor) {
    PixelRows rows;
    try {
        const bool ownSize = Width == -1 || Height == -1;
        rows = readPixelRows(sFilename, ownSize ? 0 : Width, ownSize ? 0 : Height, BackColor);
    } catch (const RunError&) {
        throw RunError(errors::PictureLoad, "Error loading picture " + sFilename);
    }
    Width = rows.width;
    Height = rows.height;
    return Picture(rows.width, rows.height, flipRows(rows.bgr, rows.width, rows.height));
}

long cGdiPlus::PictureBoxToFile(const Picture& Pic, const std::string& sFilename, long lQuality) {
    const std::string extension = GetFileExtension(sFilename);
    const std::string format = magickWriterFor(extension);
    if (format.empty())
        return 0;
    if (Pic.empty())
        return 0;
    const bool jpegQuality = extension[0] == 'J' || extension[0] == 'j';
    PixelRows rows{Pic.width(), Pic.height(), flipRows(Pic.bytes(), Pic.width(), Pic.height())};
    try {
        writePixelRows(rows, sFilename, format,
                       jpegQuality ? std::optional<int>(static_cast<int>(lQuality)) : std::nullopt);
    } catch (const RunError&) {
        return 0;
    }
    return -1;
}

}  // namespace orvanta
