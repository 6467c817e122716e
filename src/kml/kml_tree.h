#pragma once

#include <optional>
#include <string>
#include <vector>

#include "kml/display_order.h"
#include "kml/kml_layout.h"
#include "kml/kml_plan.h"
#include "kml/lat_lon_bounds.h"
#include "platform/host.h"
#include "platform/step_policy.h"

namespace orvanta {

// What the KML super-overlay over the tiles of one tile root is made of.
struct KmlTreeRequest {
    SizeClass sizeClass = SizeClass::None;
    std::string root;                 // the tile root R
    std::string rootFile;             // the root KML file
    std::vector<TileSource> sources;  // the source images of the tiles, in file-name order
    std::string imageName;            // names the root document and its links
    std::string url;                  // web-server base URL; empty when hosting is off
    DisplayOrder order = DisplayOrder::Low;
    bool relativeLinks = false;  // links relative to the file that holds them
    // Cells with no picture in them or below them get no file and no link (the padding of a
    // large image whose empty tiles were skipped); otherwise every cell has its file.
    bool leaveOutEmptyCells = false;
    // Edges at the corners of the pixels instead of the centre of the upper-left one.
    bool exactEdges = false;
};

// Writes the KML super-overlay over the tiles of one tile root ("Make KML 1024", "Make KML
// 2048", "Make KML 4096"): a root KML file with a link per tile and, under each tile, a quad
// tree of KML files with Regions, links and GroundOverlays (the layout's success status is the
// caller's to show once the whole job succeeded). Every step runs under the policy;
// the person is told of failures through the Host. The root file is written last, whole, and
// only when every other file of the tree was, so a run that ends early or fails to write a
// file leaves an earlier root file as it was. Returns what the tree shows (the bounds of all
// tiles among it) when the tree was written, nothing otherwise.
std::optional<TreeIndex> writeKmlTree(Host& host, StepPolicy& policy,
                                      const KmlTreeRequest& request);

// The message shown when a tile has no world file: the program's own text for its world file's
// own name, then the names looked for beside the image.
std::string missingWorldFileMessage(const TileSource& tile);

inline constexpr const char* kGeneratingKmlStatus = "Generating kml files...";
inline constexpr const char* kProjectionMessage =
    "There are images not using 'WGS84 Datum Projection'. Google Earth requires a raster in "
    "TIFF, JPEG, or PNG format with a WGS84 Lat/Lon Coordinate Reference System (WGS84 "
    "Geographic). If you are using some projection other than Lat/Lon Google Earth will not be "
    "able to display your image correctly!";
inline constexpr const char* kProjectionStatus =
    "Transformatiom was not complete due to Error is Image Projection...";

}  // namespace orvanta
