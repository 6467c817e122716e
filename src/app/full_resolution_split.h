#pragma once

#include "tiling/picture.h"
#include "tiling/picture_split.h"

namespace orvanta {

class AppState;

// "Splitorigional": cuts the opened image at full resolution into the tiles of its grid,
// numbered NAME_1, NAME_2, ... row by row from the top left, into imageFolder/Tiles, each with
// the world file that locates its own pixels. Tiles of the last row and column show white
// where the image ends. Returns when done; the program goes on.
void FullResolutionSplit(AppState& app, PictureBoxes& boxes, cGdiPlus& saver);

// "Scale1024 to 512 and split it": scales the last 1024 image that the project's split cuts
// into its 512 level (the last image of a 1024 project, the last 1024 piece of a 4096 one) to
// 512 pixels into the scaled picture, then cuts that into quarters saved beside the split's
// 512 level tiles under the image's name (QuarterSplit), never over one of them.
void ScaleAndQuarterSplit(AppState& app, PictureBoxes& boxes, cGdiPlus& saver);

}  // namespace orvanta
