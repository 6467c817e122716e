#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/app_state.h"

namespace orvanta {

inline constexpr const char* kNotTileSizeMessage =
    "This image could not be tiled. The source image must be 4096x4096 or 2048x2048 , "
    "1024x1024 to be sliced!";

// Reads the header facts of an image file into `imageHeader` and shows them in Label1 to
// Label5 (width, height, bit depth, resolution, "True"/"False" for greyscale). PNG, little-endian
// TIFF and JPEG headers are read here; a GIF shows the "width,height,depth" of the image
// library's identify. When that gives no size (big-endian TIFF, BMP, progressive JPEG, ...) the
// size is measured by the image library without decoding pixels. A file that nothing can read
// (missing, a folder, empty, corrupt) leaves every field 0 and every label empty, so it is
// never classified by the image read before it. True when the facts could be read.
bool Loadf(AppState& app, const std::string& path);

// Shows the stored facts in the five labels.
void showHeaderLabels(AppState& app);

// The size class of a square image of 4096, 2048 or 1024 pixels; nothing for any other size.
std::optional<SizeClass> tileSizeClass(std::uint32_t width, std::uint32_t height);

// Classifies an image into the tile-size families and sets the size class: 0 when classified
// (or, in large-image mode, marked as of no class), 1 after the not-tileable message.
float GetImageInfo(AppState& app, const std::string& path);

}  // namespace orvanta
