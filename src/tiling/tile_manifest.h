#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/pixel_engine.h"
#include "tiling/image_tiling.h"

namespace orvanta {

// What made the files of a tile root, kept in the root: for each image its recipe (the identity
// of its source and world file and every setting that shapes its files), and for a large
// image's piece folder the recipe of the pieces. A resumed run keeps a file only when the
// recipe recorded for what it was made from is the one it would use now.
struct TileManifest {
    std::map<std::string, std::string> images;  // by the name the image's tiles carry
    std::map<std::string, std::string> pieces;  // by the large image's name
    bool operator==(const TileManifest&) const = default;
};

inline constexpr const char* kManifestFileName = ".orvanta-manifest";

// The manifest's text, CR LF lines, and its reading. Lines that are not a manifest's are left
// out, so a damaged manifest keeps nothing.
std::string manifestText(const TileManifest& manifest);
TileManifest parseManifest(const std::vector<std::string>& lines);

// The manifest of a tile root; empty when there is none.
TileManifest readManifest(const std::string& root);
// Writes it whole into the root (replacing the one there). Throws RunError 75 or 76.
void writeManifest(const std::string& root, const TileManifest& manifest);

// The recipe of an image's files: its source's and world file's identity with the settings of
// its tiling under the engine.
std::string tilingRecipe(const ImageTiling& image, PixelEngine engine,
                         const std::string& sourceIdentity);
// The format of the tiles a recipe made (their extension); empty when it does not say.
std::string recipePictureFormat(const std::string& recipe);

}  // namespace orvanta
