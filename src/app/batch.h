#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/outcome.h"
#include "kml/display_order.h"
#include "kml/lat_lon_bounds.h"
#include "platform/host.h"

namespace orvanta {

class AppState;

// The text of a top KML file: the Region of `bounds`, then a NetworkLink to each file in order,
// given by its name and the path it links (written as an href, percent-encoded).
std::string topKmlText(const std::string& projectName, const LatLonBounds& bounds,
                       DisplayOrder order,
                       const std::vector<std::pair<std::string, std::string>>& links);

// The text of the top KML file of a batch, which links the KML file of every folder: by its
// path, or relative to `linksFrom` (the top file's folder) when that is given.
std::string batchTopKmlText(const std::string& projectName, const LatLonBounds& bounds,
                            DisplayOrder order, const std::vector<std::string>& folders,
                            const std::string& linksFrom = {});

// "Multiple": tiles (or, with `kmlOnly`, writes the KML of) every folder of the batch, then the
// top KML file over all of them, and starts Google Earth on it once when asked. A folder the
// scan refuses ends the batch before the top file is written.
// With a shard (`AppState::shard`) only its folders are run, each finished one recorded in the
// shard file NAME.shard-I-of-N.txt in the KML folder, and no top file is written.
void MultipleDirectories(AppState& app, bool kmlOnly);

// Writes the top file NAME.kml of a batch run as shards from the shard files in `kmlFolder`:
// the same file the batch run on one machine writes. When the shard files do not hold every
// folder of the batch exactly once, says which folders are missing or held twice and writes
// nothing.
Outcome MergeBatchShards(Host& host, const std::string& kmlFolder, const std::string& name);

}  // namespace orvanta
