#pragma once

#include <string>
#include <vector>

#include "kml/display_order.h"
#include "kml/lat_lon_bounds.h"

namespace orvanta {

class AppState;

// The text of the top KML file of a batch, which links the KML file of every folder: by its
// path, or relative to `linksFrom` (the top file's folder) when that is given.
std::string batchTopKmlText(const std::string& projectName, const LatLonBounds& bounds,
                            DisplayOrder order, const std::vector<std::string>& folders,
                            const std::string& linksFrom = {});

// "Multiple": tiles (or, with `kmlOnly`, writes the KML of) every folder of the batch, then the
// top KML file over all of them, and starts Google Earth on it once when asked. A folder the
// scan refuses ends the batch before the top file is written.
void MultipleDirectories(AppState& app, bool kmlOnly);

}  // namespace orvanta
