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

}  // namespace orvanta
