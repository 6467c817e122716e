#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "imagery/globe.h"
#include "imagery/piece_world_files.h"
#include "imagery/size_class.h"
#include "pixels/pixel_image.h"
#include "tiling/split_plans.h"
#include "tiling/tile_set.h"

namespace orvanta {

// One image of a split in terms that neither engine owns: its source, the name and folders of
// its tiles, and the switches that shape them.
struct ImageTiling {
    SizeClass sizeClass = SizeClass::None;
    std::string source;  // the image file
    std::string name;    // the name its tiles carry
    TileSet tiles;
    bool withWholeImage = false;  // 2048: the 256 picture of the whole image (class 2048)
    bool pieceOf4096 = false;     // 1024: a piece of a 4096 image, its 256 tiles in Sgroup2
    TileSwitches switches;
    // 4096: the switches of each of its 1024 pieces, by the piece's name.
    std::function<TileSwitches(const std::string&)> pieceSwitches;
    // A padded edge piece whose empty tiles are skipped: the part of it that holds the image.
    std::optional<ImageArea> imageArea;
    // The files of an earlier run that exist were made from the same source and settings: they
    // are kept, and only the missing ones are made.
    bool keepExisting = false;
    // The part of its pixels that lies on the globe: the files of squares wholly off it are not
    // written, those of squares on its edge are cut to it (cutAtGlobe).
    GlobeWindow globe;
};

// The ImageMagick steps of the image: the argument vectors of image1024Plan, image2048Plan or
// image4096Plan (whose 1024 pieces are tiled by a later stage that reads them back), without
// the files of paddingFiles, which are deleted instead.
TilePlan magickPlan(const ImageTiling& image);

// One file an image gives: the square region of `size` pixels at x, y reduced to a 256 x 256
// tile under `switches`, or, for a piece, kept at full resolution as a JPEG of their quality.
struct TileOutput {
    int x = 0, y = 0, size = 0;
    std::string path;
    TileSwitches switches;
    bool piece = false;
    bool operator==(const TileOutput&) const = default;
};

// Every file the image gives, the same files as its ImageMagick steps leave: for a 4096 image
// also its sixteen 1024 pieces and all of their tiles.
std::vector<TileOutput> tileOutputs(const ImageTiling& image);

// True when the output's square lies wholly outside the image's area (nothing but padding) or
// wholly off the globe: its file is not written.
bool inPadding(const ImageTiling& image, const TileOutput& output);
// The files of tileOutputs that are not written (inPadding).
std::vector<std::string> paddingFiles(const ImageTiling& image);

// The files of tileOutputs, but those of paddingFiles, that do not exist.
std::vector<TileOutput> missingOutputs(const ImageTiling& image);

// Tiles the image with the pixel engine: decodes its source once and writes every file of
// tileOutputs from memory, on `jobs` threads, but removes those of paddingFiles. With
// `keepExisting`, only the missing files are written (files are renamed into place only when
// complete, so one that exists is whole); every level is still made from the one below it.
// Throws RunError on the first failure.
void tileWithPixels(const ImageTiling& image, int jobs);

// After either engine: removes the tiles of the image whose square lies wholly off the globe
// and cuts each tile on its edge to the part that shows the globe (globeCut), so that it fits
// the box its KML file gives it. A tile cut already, which is no longer square, stays as it is.
// Throws RunError when a tile cannot be read or written.
void cutAtGlobe(const ImageTiling& image);

// A large image that the pixel engine cuts into its 4096 pieces itself as it reads it once from
// top to bottom: each piece's file (padded with `background`; JPG or PNG) and its tiles are
// written from the same rows in memory, so no piece is read back.
struct PiecesToCut {
    PixelImage source;
    std::string name;  // the pieces are NAME_k in the tile root, numbered row by row
    PictureFormat pieceFormat = PictureFormat::Jpg;
    Rgb background;
    // An earlier run cut the pieces from the same image with the same settings: those that
    // exist are kept, and only the tiles their images do not keep are made from their rows.
    bool keepPieces = false;
};

// True when the pixel engine can write pieces of the format as their rows come.
inline bool cutInStream(PictureFormat pieceFormat) {
    return pieceFormat == PictureFormat::Jpg || pieceFormat == PictureFormat::Png;
}

// Cuts the pieces: `pieces` are the 4096 images they become (their sources the pieces' paths),
// numbered as the cut numbers them. Reading overlaps with writing; `jobs` threads write.
// `done(k, error)` and `between` are called as feedSquares calls them.
void cutPiecesWithPixels(const PiecesToCut& cut, const std::vector<ImageTiling>& pieces, int jobs,
                         const std::function<void(int k, std::exception_ptr error)>& done,
                         const std::function<void()>& between);

}  // namespace orvanta
