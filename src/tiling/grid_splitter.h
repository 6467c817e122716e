#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "imagery/globe.h"
#include "imagery/piece_world_files.h"
#include "imagery/size_class.h"
#include "platform/colour.h"
#include "platform/host.h"
#include "platform/picture_format.h"
#include "platform/pixel_engine.h"
#include "platform/step_policy.h"
#include "tiling/image_tiling.h"
#include "tiling/split_plans.h"
#include "tiling/tile_executor.h"

namespace orvanta {

// One source image of a split: its path, the name its tiles carry and the part of its pixels
// that lies on the globe (by its world file).
struct SourceImage {
    std::string path;
    std::string name;
    GlobeWindow globe = {};
    bool operator==(const SourceImage&) const = default;
};

// The images of a tiles folder in file-name order, without those in `leftOut` (file names).
std::vector<SourceImage> folderImages(const std::string& folder,
                                      const std::vector<std::string>& leftOut = {});

// The job's settings that shape the tiles.
struct TileOptions {
    PictureFormat format = PictureFormat::Jpg;
    int quality = 100;                     // JPEG quality
    std::optional<Rgb> transparentColour;  // made transparent in every tile
};

// The padded edge pieces of a large image: their tiles are PNG with the background colour
// transparent.
struct PaddedEdges {
    std::vector<std::string> names;  // the pieces and their 1024 parts, without regard to case
    Rgb background;
    std::vector<ImageArea> areas;  // the image's part of each named piece, when known
};

// The switches of one image's tiles, from the job's settings alone: an edge piece of a padded
// large image gets PNG tiles with its background transparent, matched with a small tolerance;
// any other image the job's format, PNG when a colour is made transparent.
TileSwitches tileSwitches(const TileOptions& options, const std::optional<Rgb>& paddedEdge,
                          int memoryMb);

// What one run of the grid splitter cuts.
struct SplitRequest {
    SizeClass sizeClass = SizeClass::None;
    std::string root;                 // the tile root
    std::vector<SourceImage> images;  // the images, or the one image of a single-image run
    bool singleImage = false;         // the root is made for the one image
    std::string nameMarker;           // 4096 single image: the marker naming it, when new
    TileOptions tiles;
    std::optional<PaddedEdges> edges;
    int memoryMb = 512;  // memory of each operation on a 4096 image
    int jobs = 1;        // steps at once
    // Images whose files an earlier run made from the same source and settings: the files that
    // exist are kept and only the missing ones made (an image missing none is not read at all).
    std::set<std::string> keepExisting;
    // Told on the calling thread of each image whose files are all there at the end: `kept`
    // when nothing was missing, else made without a failed step.
    std::function<void(const std::string& name, bool kept)> imageDone;
    // Tiles of padded edge pieces that hold nothing but padding are not written, and removed
    // when an earlier run left them.
    bool skipEmptyTiles = false;
    // The pixel engine. The ImageMagick steps go through the runner given to splitImages; the
    // vips engine decodes each image once and writes all of its tiles, 1024 pieces included.
    PixelEngine engine = PixelEngine::Magick;
    // A 4096 run of the vips engine whose images are the pieces of this large image: it cuts
    // them itself (their files in the root) and tiles each from the pixels in memory. The
    // pieces are numbered NAME_k, and `images` is not read.
    std::optional<PiecesToCut> cut;
};

// Each image of the request as its class cuts it, in the request's order (for a 4096 image the
// files of its 1024 pieces included).
std::vector<ImageTiling> splitTilings(const SplitRequest& request);

// The grid splitter: cuts square images of 1024, 2048 or 4096 pixels into a pyramid of 256x256
// tiles under the tile root ("Split 1024", "Single Split 2048", "Split 4096"; a 4096 run goes on
// into the 1024 pieces it left in Tgroup1). Failing steps are skipped or end the run under the
// policy; under the vips engine a step is one whole image. Tiles wholly off the globe are not
// kept, and those on its edge are cut to it (cutAtGlobe). Returns false when the run ended
// before its last step.
bool splitImages(Host& host, StepPolicy& policy, const SplitRequest& request,
                 const ConvertRunner& convert = magickConvertRunner());

}  // namespace orvanta
