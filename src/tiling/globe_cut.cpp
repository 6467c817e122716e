#include <cstdlib>
#include <filesystem>

#include "pixels/pixel_image.h"
#include "tiling/image_tiling.h"

namespace orvanta {

void cutAtGlobe(const ImageTiling& image) {
    if (image.globe == GlobeWindow{})
        return;
    for (const TileOutput& output : tileOutputs(image)) {
        if (output.piece)
            continue;
        const std::optional<PictureCut> cut =
            globeCut(image.globe, output.x, output.y, output.size);
        std::error_code error;
        if (!cut) {
            std::filesystem::remove(output.path, error);
            continue;
        }
        if (cut->whole(kTilePictureSize) || !std::filesystem::exists(output.path, error))
            continue;
        const PixelImage tile = PixelImage::decode(output.path);
        if (tile.width() != kTilePictureSize || tile.height() != kTilePictureSize)
            continue;
        tile.region(cut->left, cut->top, cut->right - cut->left, cut->bottom - cut->top)
            .write(output.path, output.switches.format, output.switches.quality);
    }
}

}  // namespace orvanta
