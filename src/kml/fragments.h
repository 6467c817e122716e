#pragma once

#include <string>

#include "kml/display_order.h"
#include "kml/kml_writer.h"
#include "kml/lat_lon_bounds.h"

namespace orvanta {

// The namespace of KML 2.1 documents.
inline constexpr const char* kKmlNamespace = "http://earth.google.com/kml/2.1";

// How the four bounds lines are indented: the root file's box, flush left, or by eleven blanks.
enum class BoundsStyle { Root, Plain, Indented };

// A NetworkLink: its name, the Region of the linked file and the file's href.
struct KmlLink {
    std::string name;
    LatLonBounds bounds;
    std::string href;
};

// The Lod of a cell below the tile: its minLodPixels, fade lines and bounds indentation.
struct CellLod {
    int minLodPixels = 0;
    FadePair fade = FadePair::Fixed;
    BoundsStyle style = BoundsStyle::Plain;
};

// The picture of one cell laid over the ground.
struct GroundOverlay {
    int drawOrder = 0;
    std::string href;
    LatLonBounds bounds;
    BoundsStyle style = BoundsStyle::Plain;
};

// The XML declaration ("UTF-8" in a root file, "utf-8" elsewhere), <kml> and <Document>.
void writeHeader(KmlWriter& out, bool rootFile);
void writeFooter(KmlWriter& out);
// North, south, east and west, in that order.
void writeBounds(KmlWriter& out, const LatLonBounds& bounds, BoundsStyle style);
void writeFadePair(KmlWriter& out, FadePair fade);

// The root file's name and Region. `lodOrder` HIGH shows it from 384 pixels on.
void writeRootDocument(KmlWriter& out, const std::string& name, const LatLonBounds& bounds,
                       DisplayOrder lodOrder);
// A root file's link to the file of one tile; it has no fade lines.
void writeRootLink(KmlWriter& out, const KmlLink& link, DisplayOrder order);
// The Region at the top of a tile file.
void writeTileRegion(KmlWriter& out, const LatLonBounds& bounds, DisplayOrder order, FadePair fade);
// A tile file's link to one of its quarters.
void writeTileLink(KmlWriter& out, const KmlLink& link, FadePair fade);
// The Region at the top of a file below the tile file.
void writeCellRegion(KmlWriter& out, const LatLonBounds& bounds, const CellLod& lod);
// A link from a file below the tile file to one of its quarters; `lod` is the child's.
void writeCellLink(KmlWriter& out, const KmlLink& link, const CellLod& lod);
void writeDocumentName(KmlWriter& out, const std::string& name);
void writeGroundOverlay(KmlWriter& out, const GroundOverlay& overlay);

}  // namespace orvanta
