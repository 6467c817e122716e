#pragma once

#include <string>
#include <vector>

namespace orvanta::testing {

// What a walk down a KML tree found: every file reached through NetworkLinks from the root,
// every href, and the hrefs that name no existing file.
struct KmlTreeWalk {
    int files = 0;
    int hrefs = 0;
    int overlays = 0;
    std::vector<std::string> missing;
    std::vector<std::string> kmlFiles;  // every KML file reached, the root first
};

// Follows every href (XML entities read) from the root file down; a relative href is taken
// from the folder of the file that holds it.
KmlTreeWalk walkKmlTree(const std::string& rootKml);

}  // namespace orvanta::testing
