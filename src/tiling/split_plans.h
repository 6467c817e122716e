#pragma once

#include <string>
#include <vector>

#include "platform/colour.h"
#include "platform/picture_format.h"
#include "tiling/tile_plan.h"
#include "tiling/tile_set.h"

namespace orvanta {

// The settings that shape the convert operations of one image.
struct TileSwitches {
    PictureFormat format = PictureFormat::Jpg;  // of every final tile, named in its extension
    int quality = 100;                          // JPEG quality
    bool transparent = false;                   // "Transparent Image"
    Rgb colour;                                 // the colour made transparent
    // The colour is the background of a padded edge piece that went through JPEG pieces,
    // which never hold the exact colour again: it is matched with a small tolerance.
    bool fuzzy = false;
    int memoryMb = 128;  // memory limit of the image tool in MiB (4096 images only)
};

// The tolerance with which a padding colour is matched in JPEG pieces: JPEG moves a flat
// colour by a unit or two of 255, and any wider match would clear more of the image itself.
inline constexpr int kPaddingFuzzPercent = 2;

// The arguments that make the colour transparent: none, "-transparent" C, or with a fuzzy
// match "-fuzz" kPaddingFuzzPercent% "-transparent" C.
std::vector<std::string> transparencyArgs(const TileSwitches& switches);
// The resource limits of every operation on a 4096 image: memory in MiB, map 4096 MiB.
std::vector<std::string> limitArgs(const TileSwitches& switches);

// Folders and markers made before the first image.
//   1024 images: `single` adds the root; kml, Tgroup1 and Tgroup1.txt, then Sgroup1.
TilePlan start1024Plan(const TileSet& tiles, bool single, const std::string& format);
//   The 1024 pieces of a 4096 run: Sgroup2, then Sgroup1.
TilePlan start1024PiecesPlan(const TileSet& tiles);
TilePlan start2048Plan(const TileSet& tiles, bool single, const std::string& format);
//   4096 images: `nameMarker`, when given, adds the root of a single image and its marker;
//   then Tgroup2, Tgroup1 and Tgroup1.txt.
TilePlan start4096Plan(const TileSet& tiles, const std::string& format,
                       const std::string& nameMarker = {});

// The steps of one image named `name` read from `source`.
//   A 1024 image into s1 (levels 0 to 2 up to the 512 quarters) and s2 (256 tiles of each
//   quarter); a 1024 image of its own class has s1 == s2.
TilePlan image1024Plan(const std::string& source, const std::string& name, const std::string& s1,
                       const std::string& s2, const TileSwitches& switches);
//   A 2048 image; `withWholeImage` adds the 256 picture of the whole image (class 2048).
TilePlan image2048Plan(const std::string& source, const std::string& name, const TileSet& tiles,
                       bool withWholeImage, const TileSwitches& switches);
//   A 4096 image: levels 0 and 1 in Tgroup2, its sixteen 1024 pieces in Tgroup1.
TilePlan image4096Plan(const std::string& source, const std::string& name, const TileSet& tiles,
                       const TileSwitches& switches);

}  // namespace orvanta
