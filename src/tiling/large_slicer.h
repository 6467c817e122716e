#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imagery/world_file.h"
#include "platform/picture_format.h"
#include "platform/step_policy.h"

namespace orvanta {

// The resource limits and the piece format of a slice.
struct SliceSettings {
    int memoryMb = 512;  // "RAM memory available for OVT:"
    int diskGb = 3;      // "Hard Disk Space available for OVT:"
    PictureFormat pieceFormat = PictureFormat::Jpg;
    bool resume = false;  // pieces no older than the image are kept
};

// The convert arguments that cut `image` into 4096 x 4096 pieces folder/NAME_%d.EXT, numbered
// row by row from the top left, within the memory (megabytes), map and disk (gigabytes)
// limits. "+repage" forgets each piece's place in the whole image, which PNG, GIF and TIFF
// pieces would otherwise keep and every later crop of the piece would count from.
std::vector<std::string> sliceArguments(const std::string& image, const SliceSettings& limits,
                                        const std::string& folder, const std::string& name);

// Cuts `image` into the `pieces` pieces of `folder` (made when missing), under the policy.
// Pieces of an earlier run are replaced, and those beyond the new count removed with their
// world files, so that a source which shrank leaves no old piece to be tiled. True when the
// first piece exists afterwards.
bool slicePieces(StepPolicy& policy, const std::string& image, const std::string& folder,
                 const std::string& name, int pieces, const SliceSettings& limits);

// Removes the pieces NAME_k of `folder` in the piece format, and their world files, whose
// number k is `pieces` or more; other files stay.
void removePiecesBeyond(const std::string& folder, const std::string& name, int pieces,
                        PictureFormat pieceFormat);

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
