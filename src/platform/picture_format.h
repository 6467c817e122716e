#pragma once

#include <optional>
#include <string>

namespace orvanta {

// The file formats of tiles and pieces.
enum class PictureFormat { Gif, Jpg, Png, Tif };

// "GIF", "JPG", "PNG" or "TIF": the name the person picks and the extension of the files.
std::string formatName(PictureFormat format);

// The format a name gives, in any letter case; nothing for any other text.
std::optional<PictureFormat> parsePictureFormat(const std::string& name);

}  // namespace orvanta
