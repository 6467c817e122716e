#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "kml/kml_layout.h"

namespace orvanta {

class Host;

// The world file of a tile as found on disk, without regard to letter case: beside its image
// under any of its names (worldFileNames), else at its worldFilePath. When a GeoTIFF has none,
// the converter is run once (waited for, within its time limit) and the file is looked for
// again. Empty when there is still none.
std::string locateWorldFile(Host& host, const TileSource& tile);

// The splitter's picture format: the first line of R/Tgroup1.txt without leading and trailing
// blanks. Throws RunError 53 when the file does not exist.
std::string readPictureExtension(const std::string& root);

// Looks pictures up in the folders of a tree. Each folder is listed once, so that the many
// lookups of a large tree do not search the folder again for every cell.
class PictureFinder {
  public:
    // The name to link: the name asked for when that file exists, else the spelling found on
    // disk when one differs only in letter case; empty when there is none.
    std::string operator()(const std::string& folder, const std::string& fileName);

  private:
    // For each folder listed: the spellings of its files, by their name in lower case.
    std::map<std::string, std::map<std::string, std::set<std::string>>> spellings_;
};

}  // namespace orvanta
