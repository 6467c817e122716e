#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "imagery/piece_world_files.h"
#include "pixels/pixel_image.h"
#include "tiling/row_tiler.h"

namespace orvanta {

// What is made of one square of an image: it takes the square's rows from the top down and
// returns the writes they complete. `finish` runs after the last rows were taken, before the
// last of those writes may have ended.
struct SquareCut {
    std::function<std::vector<TileWrite>(const PixelImage& rows)> feed;
    std::function<void()> finish;
};

// How a source is read and cut into squares.
struct SquareFeedSettings {
    int edge = kPieceSize;  // the squares' side
    PieceGrid grid{1, 1};   // squares across and down: the source padded to a whole number
    Rgb background;         // the colour of the padding
    int jobs = 1;           // threads that cut and write, beside the one that reads
};

// Reads `source` once from top to bottom in strips of rows and hands each square (numbered row
// by row from the top left) its part of every strip, padded with the background where the
// source ends. The calling thread reads the next strip while `jobs` workers cut and write the
// squares of the one before, so reading and writing overlap; at most two strips are held at
// once. `start(k)` makes the cut of square k when its first rows are read; `done(k, error)`
// is called on the calling thread, in order of k, once its cut and every write of it have
// ended (error: the first failure, if any); `between` is called on the calling thread after
// each strip and may throw to stop. When reading fails or `between` throws, no further write
// starts, the work started is waited for, the squares that ended are handed to `done`, and the
// error is thrown.
void feedSquares(const PixelImage& source, const SquareFeedSettings& settings,
                 const std::function<SquareCut(int k)>& start,
                 const std::function<void(int k, std::exception_ptr error)>& done,
                 const std::function<void()>& between);

}  // namespace orvanta
