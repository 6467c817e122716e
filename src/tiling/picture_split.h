#pragma once

#include <string>

#include "app/app_state.h"
#include "imagery/world_file.h"
#include "tiling/picture.h"

namespace orvanta {

// The picture boxes of the main window and the text boxes that hold the copy parameters.
struct PictureBoxes {
    Picture picDisplay;  // the opened image
    Picture Picture2;
    Picture Picture3;
    Picture Picture4;

    // Copy parameters as typed, read as numbers (text that is no number reads as 0).
    std::string Text1, Text2;   // set by the splits, read by no copy
    std::string Text3, Text4;   // "origion of dest": destination x, y from the top
    std::string Text5, Text6;   // "Width Height of dest"
    std::string Text7, Text8;   // "origion of src": source x, y from the bottom row
    std::string Text9, Text10;  // "Width Height of src"

    int CutSize = 0;  // pixels per side of the pieces being cut; sizes the destination
};

// A rectangle of a picture.
struct CopyRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Copies the source rectangle, whose y counts from the source's bottom row (the rows are kept
// bottom up), into the destination rectangle, whose y counts from the top, stretching by the
// nearest pixel. The picture keeps its orientation. Pixels outside either picture are left
// alone: what the source does not have, the destination keeps.
void stretchRect(const Picture& source, Picture& destination, const CopyRect& to,
                 const CopyRect& from);

// The copy buttons ("StretchDIBits", "StretchDIBits2", "StretchDIBits3"): the destination
// becomes a CutSize square (kept when it has that size already, white otherwise) and the
// rectangles come from the text boxes.
void StretchCopy(PictureBoxes& boxes, const Picture& source, Picture& destination);

// "Scale1024 to 512 and split it" (Command6): the four 256 x 256 quarters of the 512 x 512
// picture in Picture4, top-left, top-right, bottom-left, bottom-right, saved as
// folder/NAME_1.FORMAT to NAME_4 at quality 85. Each save is confirmed with "ok", or "Not K"
// when it failed.
void QuarterSplit(PictureBoxes& boxes, cGdiPlus& saver, Host& host, const std::string& folder,
                  const std::string& baseName, const std::string& format);

// The tile grid of "Splitorigional": tiles of 4096 when both sides exceed 4096, of 1024 when
// neither exceeds 4096 and the width is at least 1024 and the height exceeds 1024; otherwise
// no tile. Partial tiles close rows and columns that do not come out even.
struct TileGrid {
    int tileSize = 0;
    int columns = 0;
    int rows = 0;
    bool operator==(const TileGrid&) const = default;
};
TileGrid fullResolutionGrid(int width, int height);

// The world file of the tile in `row` and `column` of the grid: A and E as read, no rotation,
// and the upper-left pixel of the tile, C + column x T x A and F + row x T x E.
std::string tileWorldFileText(const WorldFile& source, int row, int column, int tileSize);

// "Splitorigional" (Command21): cuts the opened image at full resolution into the tiles of
// its grid, numbered NAME_1, NAME_2, ... row by row from the top left, into projdir/Tiles,
// each with the world file that locates its own pixels. Tiles of the last row and column
// show white where the image ends. Returns when done; the program goes on.
void FullResolutionSplit(AppState& app, PictureBoxes& boxes, cGdiPlus& saver);

}  // namespace orvanta
