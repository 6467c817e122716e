#pragma once

#include <string>
#include <vector>

#include "kml/lat_lon_bounds.h"

namespace orvanta {

class AppState;

// The batch bounds after one more folder: the smaller west and south, the larger east and
// north, compared as numbers; each winning edge keeps its form.
LatLonBounds mergeBounds(const LatLonBounds& batch, const LatLonBounds& folder);

// The text of the top KML file of a batch, which links the KML file of every folder.
std::string batchTopKmlText(const std::string& projname, const LatLonBounds& bounds,
                            const std::string& order, const std::vector<std::string>& folders);

// "Multiple": tiles (or, in KML-only mode, writes the KML of) every folder of List2, then the
// top KML file over all of them, and starts Google Earth on it once when asked.
void MultipleDirectories(AppState& app);

}  // namespace orvanta
