#pragma once

#include <array>
#include <string>
#include <vector>

#include "imagery/size_class.h"

namespace orvanta {

// The folders of a tile root R that hold pictures and KML files: R itself, R/Tgroup1,
// R/Tgroup2, R/Tgroup1/Sgroup1 and R/Tgroup1/Sgroup2. KML files go to the kml subfolder.
enum class TreeFolder { R, T1, T2, S1, S2 };

// How the KML tree of one size class is laid out over the folders of its tile root.
struct KmlTreeLayout {
    int size = 0;   // pixels along a tile's edge
    int depth = 0;  // levels of files under the root file; level 1 is the tile itself
    // By level (index 0 is level 1): where its KML files go and where its pictures are.
    std::array<TreeFolder, 5> kmlFolder{};
    std::array<TreeFolder, 5> pictureFolder{};
    // The first level whose fade lines follow the display order (beyond `depth`: none).
    int settingFadeFrom = 0;
    // Whether the root document's Lod follows the display order.
    bool rootLodFollowsOrder = false;
    const char* successStatus = "";
};

const KmlTreeLayout& kmlTreeLayout(SizeClass sizeClass);

// The path of a folder of the tile root.
std::string treeFolderPath(const std::string& root, TreeFolder folder);

// Every folder of a tile root that a run writes: the five folders and the kml folder of each.
std::vector<std::string> treeFolderPaths(const std::string& root);

// The start of the hrefs into a folder: with a web-server URL, the URL (for R exactly as
// typed, for the others followed by the folder names, with a "/" between unless the URL
// ends in one); without one, the folder path written with "/".
std::string hrefPrefix(const std::string& root, TreeFolder folder, const std::string& url);

// The href of `name` (a file, or "kml/" and a file) in a folder of the tree: the prefix, "/"
// and the name; or, when `linksFrom` names the folder of the file that holds the href, the
// shortest relative path from there. What comes from paths is written as `hrefPath` has it;
// the URL stays as typed.
std::string treeHref(const std::string& root, TreeFolder folder, const std::string& url,
                     const std::string& linksFrom, const std::string& name);

// minLodPixels of the Region of a file below the tile file, by level (2 to 5).
int cellMinLodPixels(int level);

// One source image of the run: its tile name and its world file.
struct TileSource {
    std::string name;                // NAME: the file name up to "." and its extension
    std::string imagePath;           // handed to the GeoTIFF converter
    std::string worldFilePath;       // spelled as derived; looked up without regard to case
    std::string worldFileExtension;  // "jgw", "tfw", "gfw", "pgw"
    bool operator==(const TileSource&) const = default;
};

// A file-list entry of the tile folder R.
TileSource folderTile(const std::string& root, const std::string& entry);
// The one image of a single-image run.
TileSource singleImageTile(const std::string& imageFolder, const std::string& imageName,
                           const std::string& projectImage);

}  // namespace orvanta
