#pragma once

#include <cstdint>

namespace orvanta {

// The facts of the image read last. Sizes are 32-bit so that images wider or taller than
// 32767 pixels are measured as they are.
struct ImageHeaderInfo {
    std::uint32_t width = 0;       // pixels across
    std::uint32_t height = 0;      // pixels down
    std::uint8_t bitDepth = 0;     // bits per pixel as the readers report it
    std::uint32_t resolution = 0;  // dots per inch
    bool greyscale = false;        // single-channel image

    bool operator==(const ImageHeaderInfo&) const = default;
};

}  // namespace orvanta
