#pragma once

#include <cstdint>
#include <optional>

namespace orvanta {

// Edge length of the square input images, or none.
enum class SizeClass { None, S1024, S2048, S4096 };

// Pixels along one edge of an image of the class; 0 for none.
inline int edgePixels(SizeClass sizeClass) {
    switch (sizeClass) {
        case SizeClass::S1024:
            return 1024;
        case SizeClass::S2048:
            return 2048;
        case SizeClass::S4096:
            return 4096;
        case SizeClass::None:
            break;
    }
    return 0;
}

// The size class of a square image of 4096, 2048 or 1024 pixels; nothing for any other size.
inline std::optional<SizeClass> tileSizeClass(std::uint32_t width, std::uint32_t height) {
    if (width != height)
        return std::nullopt;
    for (SizeClass sizeClass : {SizeClass::S4096, SizeClass::S2048, SizeClass::S1024}) {
        if (width == static_cast<std::uint32_t>(edgePixels(sizeClass)))
            return sizeClass;
    }
    return std::nullopt;
}

}  // namespace orvanta
