#pragma once

#include <optional>
#include <string>

#include "platform/text_case.h"

namespace orvanta {

// The code that does the pixel work of tiling and slicing: libvips (streaming, one decode per
// image, the default) or ImageMagick (argument vectors, the reference).
enum class PixelEngine { Vips, Magick };

// "vips" or "magick": the name on the command line.
inline std::string engineName(PixelEngine engine) {
    return engine == PixelEngine::Vips ? "vips" : "magick";
}

// The engine a name gives, in any letter case; nothing for any other text.
inline std::optional<PixelEngine> parsePixelEngine(const std::string& name) {
    const std::string lower = lowerCase(name);
    if (lower == "vips")
        return PixelEngine::Vips;
    if (lower == "magick")
        return PixelEngine::Magick;
    return std::nullopt;
}

}  // namespace orvanta
