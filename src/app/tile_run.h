#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imagery/size_class.h"
#include "kml/display_order.h"
#include "kml/lat_lon_bounds.h"
#include "platform/folder_lock.h"
#include "tiling/grid_splitter.h"

namespace orvanta {

class AppState;

// One tile root of a job: cut its tiles (unless only the KML is written again), then write its
// KML tree.
struct TileRun {
    SizeClass sizeClass = SizeClass::None;
    std::string root;      // the tile root
    std::string sources;   // the folder of the images of a folder run
    std::string rootFile;  // its root KML file
    bool singleImage = false;
    std::string image;                 // the image of a single-image run
    std::string imageName;             // its base name; names the root document
    std::vector<std::string> leftOut;  // images of the folder that are left out (file names)
    DisplayOrder order = DisplayOrder::Low;
    bool kmlOnly = false;
    bool openWhenDone = false;  // start Google Earth on the root file when it is written
};

// Takes `folder` (made when missing) for this run and removes the scratch files that ended runs
// left in it and below it. When another run holds it, tells the person, records the failure and
// returns false.
bool claimFolder(AppState& app, const std::string& folder, std::optional<FolderLock>& lock);

// What the splitter cuts for the run, from the project's settings.
SplitRequest splitRequest(AppState& app, const TileRun& run);

// Runs the splitter of the run's size class and then its KML generation, or only the KML
// generation. Returns the bounds of all tiles when the KML tree was written; a run of size
// class none does nothing.
std::optional<LatLonBounds> runTiles(AppState& app, const TileRun& run);

// The run of the project's single image (imageFolder/imageName), by the run's size class.
TileRun singleImageRun(const AppState& app, bool kmlOnly);
// The run of the project's tiles folder.
TileRun folderRun(const AppState& app, bool kmlOnly);

// The run of the project as it stands, for a size class the person picks (the split and KML
// buttons of the advanced panel).
TileRun currentRun(const AppState& app, SizeClass sizeClass, bool kmlOnly);

// Starts Google Earth on a KML file. A program that cannot be started is told to the person
// and recorded in the outcome; the files already written stand.
void openInGoogleEarth(AppState& app, const std::string& kmlPath);

}  // namespace orvanta
