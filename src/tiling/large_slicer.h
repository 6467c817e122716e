#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imagery/world_file.h"
#include "pixels/pixel_image.h"
#include "platform/colour.h"
#include "platform/picture_format.h"
#include "platform/pixel_engine.h"
#include "platform/step_policy.h"

namespace orvanta {

// The JPEG quality of pieces: the image tool's own default, which the slicer gives them.
inline constexpr int kPieceQuality = 92;

// The resource limits, the piece format and the engine of a slice.
struct SliceSettings {
    int memoryMb = 512;  // "RAM memory available for OVT:"
    int diskGb = 3;      // "Hard Disk Space available for OVT:"
    PictureFormat pieceFormat = PictureFormat::Jpg;
    bool resume = false;  // pieces no older than the image are kept
    // ImageMagick cuts the whole image in one operation and leaves short pieces short. The vips
    // engine reads the image once from top to bottom in bands of one row of pieces (4096
    // lines), so that peak memory grows with the width only, and writes the pieces of each band
    // on `jobs` threads, padding short ones to 4096 x 4096 with `background`.
    PixelEngine engine = PixelEngine::Magick;
    int jobs = 1;
    Rgb background{};
    bool alpha = false;  // the image has an alpha band (four bytes a pixel in memory)
    // Pixels to slice in place of the image file's (an image warped as it is read); the vips
    // band writer slices them whatever the engine.
    std::optional<PixelImage> source = std::nullopt;
};

// The convert arguments that cut `image` into 4096 x 4096 pieces folder/NAME_%d.EXT, numbered
// row by row from the top left, within the memory (megabytes), map and disk (gigabytes)
// limits, which come before the image so that they hold while it is decoded. "+repage" forgets each
// piece's place in the whole image, which PNG, GIF and TIFF pieces would otherwise keep and every
// later crop of the piece would count from.
std::vector<std::string> sliceArguments(const std::string& image, const SliceSettings& limits,
                                        const std::string& folder, const std::string& name);

// Cuts `image` into the `pieces` pieces of `folder` (made when missing), under the policy.
// Pieces of an earlier run are replaced, and those beyond the new count removed with their
// world files, so that a source which shrank leaves no old piece to be tiled. True when the
// first piece exists afterwards.
bool slicePieces(StepPolicy& policy, const std::string& image, const std::string& folder,
                 const std::string& name, int pieces, const SliceSettings& limits);

// Removes the pieces NAME_k of `folder` in the piece format, and their world files, whose
// number k is `pieces` or more, and every piece NAME_k in another picture format with its world
// file; other files stay.
void removePiecesBeyond(const std::string& folder, const std::string& name, int pieces,
                        PictureFormat pieceFormat);

// Why a width x height image cannot be sliced within the limits, with the figures; nothing
// when it can. The vips engine holds two strips of 1024 lines and the rows each piece of a band
// keeps while it is cut (JPG and PNG pieces), or one band of 4096 lines; ImageMagick
// holds the whole image and all its pieces at 8 bytes a pixel in its memory and its disk cache
// (a memory-mapped cache is a file on disk too), from the moment it decodes the image.
std::optional<std::string> sliceRefusal(int width, int height, const SliceSettings& settings);

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
