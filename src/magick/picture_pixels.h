#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Moves the pixels of an image file into memory and back, for the in-memory pictures.
namespace orvanta {

// 24-bit pixels, top row first, three bytes per pixel in blue, green, red order.
struct PixelRows {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;
};

// The format the image library writes files of this extension in (compared without regard to
// case), or empty when it has no writer for it.
std::string magickWriterFor(const std::string& extension);

// Reads the first frame of an image file scaled to width x height with bicubic interpolation
// and laid over `background` (24-bit, red in the low byte), so that transparent parts show it.
// Zero or less in width or height means the image's own size. Throws RunError(errors::ImageTool)
// when the file cannot be read.
PixelRows readPixelRows(const std::string& path, int width, int height, std::uint32_t background);

// Writes pixels to `path` in the library format `format`, with a compression quality (1 to 100)
// when one is given, under a scratch name renamed when complete. Throws
// RunError(errors::ImageTool) when the picture cannot be encoded, 75 or 76 when the file cannot
// be written.
void writePixelRows(const PixelRows& pixels, const std::string& path, const std::string& format,
                    std::optional<int> quality);

}  // namespace orvanta
