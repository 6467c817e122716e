#include "kml/fragments.h"

namespace orvanta {
namespace {

// The minLodPixels line of the root links and of a tile's own Region.
void writeTopMinLod(KmlWriter& out, DisplayOrder order) {
    out.line(order == DisplayOrder::High ? "            <minLodPixels>" : "       <minLodPixels>",
             std::to_string(topMinLodPixels(order)), "</minLodPixels>");
}

}  // namespace

void writeHeader(KmlWriter& out, bool rootFile) {
    out.line("<?xml version=\"1.0\" encoding=\"", rootFile ? "UTF-8" : "utf-8", "\"?>");
    out.line("<kml xmlns=\"", kKmlNamespace, "\">");
    out.line("<Document>");
}

void writeFooter(KmlWriter& out) {
    out.line("</Document>");
    out.line("</kml>");
}

void writeBounds(KmlWriter& out, const LatLonBounds& bounds, BoundsStyle style) {
    const char* north = "<north>";
    const char* other = "";
    switch (style) {
        case BoundsStyle::Root:
            north = "            <north>";
            other = "        ";
            break;
        case BoundsStyle::Plain:
            break;
        case BoundsStyle::Indented:
            north = "           <north>";
            other = "           ";
            break;
    }
    const std::string indent = other;
    out.line(north, FormatCoord(bounds.north), "</north>");
    out.line(indent + "<south>", FormatCoord(bounds.south), "</south>");
    out.line(indent + "<east>", FormatCoord(bounds.east), "</east>");
    out.line(indent + "<west>", FormatCoord(bounds.west), "</west>");
}

void writeFadePair(KmlWriter& out, FadePair fade) {
    if (fade == FadePair::High) {
        out.line("<minFadeExtent>384</minFadeExtent>");
        out.line("<maxFadeExtent>1536</maxFadeExtent>");
    } else {
        out.line("<minFadeExtent>0</minFadeExtent>");
        out.line("<maxFadeExtent>0</maxFadeExtent>");
    }
}

void writeRootDocument(KmlWriter& out, const std::string& name, const LatLonBounds& bounds,
                       DisplayOrder lodOrder) {
    out.line("    <name>", xmlText(name), "</name>");
    out.line("    <Region>");
    out.line("        <LatLonAltBox>");
    writeBounds(out, bounds, BoundsStyle::Root);
    out.line("            <minAltitude>0.000000</minAltitude>");
    out.line("            <maxAltitude>0.000000</maxAltitude>");
    out.line("        </LatLonAltBox>");
    out.line("        <Lod>");
    writeTopMinLod(out, lodOrder);
    out.line("            <maxLodPixels>-1</maxLodPixels>");
    out.line("            <minFadeExtent>0</minFadeExtent>");
    out.line("            <maxFadeExtent>0</maxFadeExtent>");
    out.line("        </Lod>");
    out.line("    </Region>");
}

void writeRootLink(KmlWriter& out, const KmlLink& link, DisplayOrder order) {
    out.line("<NetworkLink>");
    out.line("    <name>", xmlText(link.name), "</name>");
    out.line("    <Region>");
    out.line("        <LatLonAltBox>");
    writeBounds(out, link.bounds, BoundsStyle::Plain);
    out.line("    <minAltitude>0.000000</minAltitude>");
    out.line("    <maxAltitude>0.000000</maxAltitude>");
    out.line("        </LatLonAltBox>");
    out.line("        <Lod>");
    writeTopMinLod(out, order);
    out.line("            <maxLodPixels>-1</maxLodPixels>");
    out.line("        </Lod>");
    out.line("        </Region>");
    out.line("    <Link>");
    out.line("        <href>", xmlText(link.href), "</href>");
    out.line("        <viewRefreshMode>onRegion</viewRefreshMode>");
    out.line("    </Link>");
    out.line("</NetworkLink>");
}

void writeTileRegion(KmlWriter& out, const LatLonBounds& bounds, DisplayOrder order,
                     FadePair fade) {
    out.line("   <Region>");
    out.line("<LatLonAltBox>");
    writeBounds(out, bounds, BoundsStyle::Plain);
    out.line("    <minAltitude>0.000000</minAltitude>");
    out.line("    <maxAltitude>0.000000</maxAltitude>");
    out.line(" </LatLonAltBox>");
    out.line(" <Lod>");
    writeTopMinLod(out, order);
    out.line("<maxLodPixels>-1</maxLodPixels>");
    writeFadePair(out, fade);
    out.line("</Lod>");
    out.line("</Region>");
}

void writeTileLink(KmlWriter& out, const KmlLink& link, FadePair fade) {
    out.line("<NetworkLink>");
    out.line("<name>", xmlText(link.name), "</name>");
    out.line("    <Region>");
    out.line("   <LatLonAltBox>");
    writeBounds(out, link.bounds, BoundsStyle::Plain);
    out.line("       <minAltitude>0.000000</minAltitude>");
    out.line("       <maxAltitude>0.000000</maxAltitude>");
    out.line("   </LatLonAltBox>");
    out.line("   <Lod>");
    out.line("       <minLodPixels>102</minLodPixels>");
    out.line("       <maxLodPixels>-1</maxLodPixels>");
    writeFadePair(out, fade);
    out.line("   </Lod>");
    out.line("   </Region>");
    out.line("<Link>");
    out.line("<href>", xmlText(link.href), "</href>");
    out.line("<viewRefreshMode>onRegion</viewRefreshMode>");
    out.line("</Link>");
    out.line("</NetworkLink>");
}

void writeCellRegion(KmlWriter& out, const LatLonBounds& bounds, const CellLod& lod) {
    out.line("     <Region>");
    out.line(" <LatLonAltBox>");
    writeBounds(out, bounds, lod.style);
    out.line("     <minAltitude>0.000000</minAltitude>");
    out.line("     <maxAltitude>0.000000</maxAltitude>");
    out.line(" </LatLonAltBox>");
    out.line(" <Lod>");
    out.line("     <minLodPixels>", std::to_string(lod.minLodPixels), "</minLodPixels>");
    out.line("     <maxLodPixels>-1</maxLodPixels>");
    writeFadePair(out, lod.fade);
    out.line(" </Lod>");
    out.line("  </Region>");
}

void writeCellLink(KmlWriter& out, const KmlLink& link, const CellLod& lod) {
    out.line("<NetworkLink>");
    out.line("   <name>", xmlText(link.name), "</name>");
    out.line("       <Region>");
    out.line("           <LatLonAltBox>");
    writeBounds(out, link.bounds, lod.style);
    out.line("               <minAltitude>0.000000</minAltitude>");
    out.line("               <maxAltitude>0.000000</maxAltitude>");
    out.line("           </LatLonAltBox>");
    out.line("           <Lod>");
    out.line("               <minLodPixels>", std::to_string(lod.minLodPixels), "</minLodPixels>");
    out.line("               <maxLodPixels>-1</maxLodPixels>");
    writeFadePair(out, lod.fade);
    out.line("           </Lod>");
    out.line("        </Region>");
    out.line("       <Link>");
    out.line("           <href>", xmlText(link.href), "</href>");
    out.line("            <viewRefreshMode>onRegion</viewRefreshMode>");
    out.line("       </Link>");
    out.line("    </NetworkLink>");
}

void writeDocumentName(KmlWriter& out, const std::string& name) {
    out.line("<name>", xmlText(name), "</name>");
}

void writeGroundOverlay(KmlWriter& out, const GroundOverlay& overlay) {
    out.line("<GroundOverlay>");
    out.line("<drawOrder>", std::to_string(overlay.drawOrder), "</drawOrder>");
    out.line("<Icon>");
    out.line("<href>", xmlText(overlay.href), "</href>");
    out.line("</Icon>");
    out.line("<LatLonBox>");
    writeBounds(out, overlay.bounds, overlay.style);
    out.line("</LatLonBox>");
    out.line("</GroundOverlay>");
}

}  // namespace orvanta
