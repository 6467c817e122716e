#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imagery/world_file.h"
#include "platform/colour.h"
#include "platform/host.h"
#include "platform/picture_format.h"
#include "platform/step_policy.h"

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
    bool edge = false;          // narrower or shorter than 4096: padded and listed
    std::string worldFileText;  // the six CR LF lines of its world file
};

// The part of a padded piece, or of one of its 1024 parts, that holds the image: `width` x
// `height` pixels from its upper left (0 when none); the rest is padding.
struct ImageArea {
    int width = 0;
    int height = 0;
    bool operator==(const ImageArea&) const = default;
};

// What gives every piece of a large image its place and its full size.
struct PieceWorldPlan {
    std::vector<PiecePlan> pieces;
    std::vector<std::string> paddedPieceNames;  // each edge piece, then its 16 tiles NAME_k_q_s
    std::vector<ImageArea> paddedPieceAreas;    // the image's part of each, in the same order
    bool paddedPieces = false;                  // any piece is an edge piece
};

// The world file of a piece whose upper-left pixel lies at x, y: A, D, B and E as the trimmed
// texts of the source, then x and y.
std::string pieceWorldFileText(const WorldFile& source, double x, double y);

// The pieces of a W by H image with the source world file `source` (C and F must be numbers;
// RunError 13 otherwise). Piece (row r, column c) starts r x 4096 pixels down and c x 4096
// across: x = C + c x 4096 x A, y = F + r x 4096 x E.
PieceWorldPlan planPieceWorldFiles(int width, int height, const WorldFile& source,
                                   const std::string& imageName);

// Lists piece k of a W by H image and its 1024 parts as padded, as an edge piece is (once).
void listPaddedPiece(PieceWorldPlan& plan, int k, int width, int height,
                     const std::string& imageName);

// Folders and files of the pieces of the image `imageName` in `imageFolder`.
std::string pieceFolder(const std::string& imageFolder, const std::string& imageName);
std::string pieceImagePath(const std::string& folder, const std::string& imageName, int k,
                           PictureFormat pieceFormat);
std::string pieceWorldFilePath(const std::string& folder, const std::string& imageName, int k,
                               PictureFormat pieceFormat);
std::string backgroundPicturePath(const std::string& folder);

// The convert arguments that make the 4096 x 4096 background picture of `colour`.
std::vector<std::string> backgroundPictureArguments(Rgb colour, const std::string& backgroundPath);
// The composite arguments that lay a short piece over the background, at its upper left, and
// write the 4096 x 4096 result back over the piece.
std::vector<std::string> padPieceArguments(const std::string& piecePath,
                                           const std::string& backgroundPath);

// Gives every piece of the plan (in `folder`, named after `imageName`) its world file and pads
// every short piece to 4096 x 4096 with the background colour (none when the slicer padded
// them already), each step under the policy. Returns false when the operation had to end early.
bool placePieces(Host& host, StepPolicy& policy, const std::string& folder,
                 const std::string& imageName, const PieceWorldPlan& plan,
                 PictureFormat pieceFormat, std::optional<Rgb> background);

}  // namespace orvanta
