#pragma once

#include <string>

#include "imagery/world_file.h"
#include "platform/host.h"
#include "tiling/picture.h"

namespace orvanta {

// The picture boxes of the main window and the text boxes that hold the copy parameters.
struct PictureBoxes {
    Picture display;  // the opened image
    Picture piece;    // a piece cut from the display
    Picture copy;     // the target of the second and third copy buttons
    Picture scaled;   // the last 1024 image of a split, scaled to 512

    // Copy parameters as typed, read as numbers (text that is no number reads as 0).
    std::string destX, destY;               // "origion of dest": x, y from the top
    std::string destWidth, destHeight;      // "Width Height of dest"
    std::string sourceX, sourceY;           // "origion of src": x, y from the bottom row
    std::string sourceWidth, sourceHeight;  // "Width Height of src"

    int cutSize = 0;  // pixels per side of the pieces being cut; sizes the destination
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

// The quarter split of "Scale1024 to 512 and split it": cuts the 512 picture in `boxes.scaled`
// into four 256 quarters through the copy picture, top-left, top-right, bottom-left and
// bottom-right, and saves quarter i as FOLDER/NAME_i.FORMAT at JPEG quality 85. After each
// save the host says "ok", or "Not K" and why with the path: a name that is taken (by a tile of
// the split, say) is never written over.
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

// Cuts tile `i` (in `row` and `column` of a grid of `tileSize` tiles) out of the display
// picture into the piece picture, white where the image ends.
void cutTile(PictureBoxes& boxes, int tileSize, int row, int column);

}  // namespace orvanta
