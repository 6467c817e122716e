#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "imagery/world_file.h"

namespace orvanta {

// Pieces of a large image are squares of this many pixels.
inline constexpr int kPieceSize = 4096;

// How many pieces a large image of W by H pixels is cut into: a short piece closes every row
// and column that does not come out even.
struct PieceGrid {
    int columns = 0;  // pieces per row, ceil(W / 4096)
    int rows = 0;     // ceil(H / 4096)
    bool operator==(const PieceGrid&) const = default;
};
PieceGrid pieceGrid(int width, int height);

// One piece: number k counts row by row from the top-left piece, the order the crop writes.
struct PiecePlan {
    int k = 0;
    int row = 0;
    int column = 0;
    bool edge = false;          // narrower or shorter than 4096: padded, listed in Transplist
    std::string worldFileText;  // the six CR LF lines of its world file
};

// What gives every piece of a large image its place and its full size.
struct PieceWorldPlan {
    std::vector<PiecePlan> pieces;
    std::vector<std::string> Transplist;  // each edge piece, then its 16 tiles NAME_k_q_s
    std::string PaddedPieces = "0";       // "1" when any piece is an edge piece
};

// The world file of a piece whose upper-left pixel lies at x, y: A, D, B and E as the trimmed
// texts of the source, then x and y.
std::string pieceWorldFileText(const WorldFile& source, double x, double y);

// The pieces of a W by H image with the source world file `source` (C and F must be numbers;
// RunError 13 otherwise). Piece (row r, column c) starts r x 4096 pixels down and c x 4096
// across: x = C + c x 4096 x A, y = F + r x 4096 x E.
PieceWorldPlan planPieceWorldFiles(int width, int height, const WorldFile& source,
                                   const std::string& imagename);

// Folders and files of the pieces of the image `imagename` in `projdir`.
std::string pieceFolder(const std::string& projdir, const std::string& imagename);
std::string pieceImagePath(const std::string& folder, const std::string& imagename, int k,
                           const std::string& pieceFormat);
std::string pieceWorldFilePath(const std::string& folder, const std::string& imagename, int k,
                               const std::string& pieceFormat);
std::string backgroundPicturePath(const std::string& folder);

// The convert arguments that make the 4096 x 4096 background picture of `colourText`
// ("RGB(r, g, b)").
std::vector<std::string> backgroundPictureArguments(const std::string& colourText,
                                                    const std::string& backgroundPath);
// The composite arguments that lay a short piece over the background, at its upper left, and
// write the 4096 x 4096 result back over the piece.
std::vector<std::string> padPieceArguments(const std::string& piecePath,
                                           const std::string& backgroundPath);

// What the pieces are made of, from the large-image options.
struct PieceSettings {
    std::string pieceFormat = "JPG";      // extension of every piece, as typed
    std::uint32_t background = 16711935;  // padding colour, red in the low byte
};

// "Gen world F" (Command32): gives every piece of the large image Projectimage (Label1 x Label2
// pixels, in projdir/imagename"L") its world file, pads every short piece to 4096 x 4096 with
// the background colour, lists the padded pieces and their tiles in Transplist, sets
// PaddedPieces, and points the tiles folder, the KML folder and the 4096 root at the piece
// folder with no size class, ready for the folder scan and Transform. Failed steps are
// skipped under the error policy. Returns false when the operation had to end early.
bool PieceWorldFiles(AppState& app, const PieceSettings& pieces);
// The same with the piece format and background colour of the large-image options.
bool PieceWorldFiles(AppState& app);
// The piece format ("Large Tiles Image Format:") and background colour of the options.
PieceSettings pieceSettings(LargeImageOptions& options);

}  // namespace orvanta
