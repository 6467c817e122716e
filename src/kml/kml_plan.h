#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kml/display_order.h"
#include "kml/kml_layout.h"
#include "kml/kml_writer.h"
#include "kml/lat_lon_bounds.h"

namespace orvanta {

// What the KML tree of one run is made of, decided before any file is written.
struct KmlTreeOptions {
    const KmlTreeLayout* layout = nullptr;
    std::string root;  // the tile root R
    std::string url;   // web-server base URL; empty when hosting is off
    DisplayOrder order = DisplayOrder::Low;
    std::string pictureExtension;  // X, the splitter's picture format
    std::string imageName;         // names the root document and its links
    // Links relative to the file that holds them; the root file lies in rootFileFolder.
    bool relativeLinks = false;
    std::string rootFileFolder;
    // Cells with no picture in them or below them get no file and no link.
    bool leaveOutEmptyCells = false;
};

// One tile of the run with its bounds, the part of its pixels that lies on the globe and the
// format of its pictures (see TileSource). Cells wholly off the globe get no file and no link;
// those on its edge show the part of their box that their cut picture shows (globeCut,
// cutBounds).
struct KmlTile {
    std::string name;
    LatLonBounds bounds;
    GlobeWindow globe = {};
    std::string pictureFormat = {};
};

// One cell of a tile's tree as its KML file shows it, with the cells that file links.
struct TreeCell {
    int level = 0;         // 1 for the tile itself
    LatLonBounds bounds;   // of its Region and of its picture
    int minLodPixels = 0;  // shown once its Region is drawn at least this many pixels across
    int drawOrder = 0;     // of its GroundOverlay
    std::string picture;   // the path of the picture it shows; empty when it shows none
    std::string kmlFile;   // the path of its KML file
    std::vector<TreeCell> children;
};

// What one written tree shows: its root file, the bounds of all its tiles and the Lod of its
// root document, and the cells of every tile, in the order of the root file's links.
struct TreeIndex {
    std::string rootFile;
    LatLonBounds bounds;
    int minLodPixels = 0;
    std::vector<TreeCell> tiles;
};

// Finds a picture in a folder: the file name to link (the name asked for when that file
// exists, else the spelling found on disk), or empty when the folder does not hold it.
using PictureLookup =
    std::function<std::string(const std::string& folder, const std::string& fileName)>;

// The text of the root file: its Region over all tiles and one link per tile.
std::string rootKmlText(const KmlTreeOptions& options, const LatLonBounds& rootBounds,
                        const std::vector<KmlTile>& tiles);

// What one tile gives, from one lookup of its pictures: its KML files, level by level (the tile
// file, then its quarters, then their quarters, each level in path order; with
// leaveOutEmptyCells, only the cells that show a picture, and the tile's own), and the cells
// those files show.
struct TileKml {
    std::vector<KmlFile> files;
    TreeCell cells;
};
TileKml tileKml(const KmlTreeOptions& options, const KmlTile& tile,
                const PictureLookup& findPicture);

// The box of the tile as the root file links it: its bounds, cut to the globe; nothing when it
// lies wholly off the globe.
std::optional<LatLonBounds> shownTileBounds(const KmlTreeOptions& options, const KmlTile& tile);

// The minLodPixels of a root document's Region.
int rootMinLodPixels(const KmlTreeOptions& options);

}  // namespace orvanta
