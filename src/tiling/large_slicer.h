#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imagery/world_file.h"
#include "platform/colour.h"
#include "platform/picture_format.h"
#include "platform/pixel_engine.h"
#include "platform/step_policy.h"

namespace orvanta {

// The resource limits and the piece format of a slice.
struct SliceLimits {
    int memoryMb = 512;  // "RAM memory available for OVT:"
    int diskGb = 3;      // "Hard Disk Space available for OVT:"
    PictureFormat pieceFormat = PictureFormat::Jpg;
    int jobs = 1;  // pieces written at once by the vips engine
};

// The convert arguments that cut `image` into 4096 x 4096 pieces folder/NAME_%d.EXT, numbered
// row by row from the top left, within the memory (megabytes), map and disk (gigabytes)
// limits. "+repage" forgets each piece's place in the whole image, which PNG, GIF and TIFF
// pieces would otherwise keep and every later crop of the piece would count from.
std::vector<std::string> sliceArguments(const std::string& image, const SliceLimits& limits,
                                        const std::string& folder, const std::string& name);

// Cuts `image` into the pieces of `folder` (made when missing; pieces of an earlier run are
// overwritten), under the policy. True when the first piece exists afterwards.
bool slicePieces(StepPolicy& policy, const std::string& image, const std::string& folder,
                 const std::string& name, const SliceLimits& limits);

// Cuts `image` into the pieces of `folder` with the pixel engine: reads it once from top to
// bottom in bands of one row of pieces (4096 lines) and writes each piece of the band, a short
// one padded to 4096 x 4096 with `background`, so that peak memory grows with the width only.
// The pieces of a band are written on limits.jobs threads. One step under the policy. True when
// the first piece exists afterwards.
bool slicePiecesInBands(StepPolicy& policy, const std::string& image, const std::string& folder,
                        const std::string& name, const SliceLimits& limits, Rgb background);

// Why a width x height image cannot be sliced within the limits, with the figures; nothing
// when it can. The vips engine holds one band of 4096 lines of 8-bit RGB in memory; ImageMagick
// holds the whole image at 8 bytes a pixel in its memory, its 4096 MiB map and its disk cache.
std::optional<std::string> sliceRefusal(int width, int height, const SliceLimits& limits,
                                        PixelEngine engine);

// The geographic extent of the padded pieces of a W x H image; nothing when the world file has
// no usable numbers.
struct PieceExtent {
    double west = 0, east = 0, south = 0, north = 0;
};
std::optional<PieceExtent> paddedPieceExtent(int width, int height, const WorldFile& world);
// True when the extent reaches beyond 180 degrees of longitude or 90 degrees of latitude.
bool beyondTheGlobe(const PieceExtent& extent);
// The question asked before slicing such an image.
std::string beyondTheGlobeQuestion(const PieceExtent& extent);

}  // namespace orvanta
