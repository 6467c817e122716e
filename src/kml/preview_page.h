#pragma once

#include <string>
#include <vector>

#include "kml/kml_plan.h"

namespace orvanta {

// A web page beside the top KML file that shows the imagery of a job in any browser, opened
// from the file system without a server or network: a pannable, zoomable map that loads the
// tiles level by level by the rule of the super-overlay (a cell is shown once its Region is
// drawn at least its minLodPixels across, and only below a cell that is shown), each picture at
// its draw order. The page reads no KML: the trees' index is embedded in it.
struct PreviewPage {
    std::string path;                      // NAME.html beside the top KML file
    std::string title;                     // the project name
    std::vector<std::string> topKmlFiles;  // linked from the page
    std::vector<TreeIndex> trees;          // what the job's trees show
};

// The page beside a top KML file: its folder, its base name and ".html".
std::string previewPagePath(const std::string& topKmlFile);

// The index the page embeds, as JSON: the bounds of all trees and each tree's bounds, Lod and
// cells (level, minLodPixels, draw order, bounds, picture as a URL relative to `pageFolder`,
// children). No "<" appears in it, so it can stand inside a script element.
std::string previewIndexJson(const std::vector<TreeIndex>& trees, const std::string& pageFolder);

// The text of the page: the project name, the bounds, the number of levels and of tiles, links
// to the top KML files, the map and its script.
std::string previewPageText(const PreviewPage& page);

// The folder of Leaflet files the page loads, copied beside it: beside the program, else the
// one Debian's libjs-leaflet installs. Throws RunError 53 when there is neither.
std::string leafletFolder();

// Writes the page and, in the folder "leaflet" beside it, the Leaflet script, style sheet and
// pictures it loads, each under a scratch name renamed when complete; the page comes last.
// Throws RunError 75 when a file cannot be written.
void writePreviewPage(const PreviewPage& page);

}  // namespace orvanta
