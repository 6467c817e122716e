#pragma once

#include <string>

#include "imagery/image_header_info.h"
#include "imagery/size_class.h"

namespace orvanta {

inline constexpr const char* kNotTileSizeMessage =
    "This image could not be tiled. The source image must be 4096x4096 or 2048x2048 , "
    "1024x1024 to be sliced!";

struct ImageFacts;

// Why the image at `path` cannot be tiled as it is: the message above, then its size and that
// an image of another size is tiled with `largeImageCommand` (how the front end reaches the
// large-image slicer). An image whose size cannot be read is called unreadable.
std::string notTileSizeRefusal(const std::string& path, const ImageFacts& facts,
                               const std::string& largeImageCommand);

// The facts of an image file as the window shows them: the header and the texts of width,
// height, bit depth, resolution and greyscale ("True"/"False").
struct ImageFacts {
    ImageHeaderInfo header;
    std::string widthText, heightText, bitDepthText, resolutionText, greyscaleText;
    bool readable = false;  // the facts could be read
};

// Reads the header facts of an image file. PNG, little-endian TIFF and JPEG headers are read
// here; a GIF shows the "width,height,depth" of the image library's identify. When that gives
// no size (big-endian TIFF, BMP, progressive JPEG, ...) the size is measured by the image
// library without decoding pixels. A file that nothing can read (missing, a folder, empty,
// corrupt) gives every field 0 and every text empty, so it is never classified by the image
// read before it.
ImageFacts readImageFacts(const std::string& path);

// The size class the texts of width and height give; nothing for any other size.
std::optional<SizeClass> sizeClassOf(const ImageFacts& facts);

}  // namespace orvanta
