#include "platform/picture_format.h"

#include "platform/text_case.h"

namespace orvanta {

std::string formatName(PictureFormat format) {
    switch (format) {
        case PictureFormat::Gif:
            return "GIF";
        case PictureFormat::Png:
            return "PNG";
        case PictureFormat::Tif:
            return "TIF";
        case PictureFormat::Jpg:
            break;
    }
    return "JPG";
}

std::optional<PictureFormat> parsePictureFormat(const std::string& name) {
    for (PictureFormat format :
         {PictureFormat::Gif, PictureFormat::Jpg, PictureFormat::Png, PictureFormat::Tif}) {
        if (lowerCase(name) == lowerCase(formatName(format)))
            return format;
    }
    return std::nullopt;
}

}  // namespace orvanta
