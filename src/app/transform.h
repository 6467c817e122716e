#pragma once

#include <string>

#include "app/outcome.h"
#include "app/project_settings.h"

namespace orvanta {

class AppState;

// The kinds of run a project can make, chosen in this order: the first that applies wins.
enum class RunKind { MultiResolution, SingleImage, Batch, Folder };
RunKind chooseRun(const ProjectSettings& settings);

// How many times the progress of a run starts again at 1: each image or folder cuts its tiles
// (unless only the KML files are written) and then writes its KML files; a batch also counts
// its folders.
int progressPhases(const ProjectSettings& settings, bool kmlOnly);

// "Transform": runs the whole job the project names, from source images to the KML tree.
Outcome Transform(AppState& app);

// "Re-Generate KML Files": writes the KML files again over existing tiles.
Outcome ReGenerateKmlFiles(AppState& app);

// "Save as KMZ...": asks where, then writes the project's KML files again with relative links
// (which they keep) and packs the result into that file. Nothing happens when no file is chosen.
Outcome SaveAsKmz(AppState& app);
inline constexpr const char* kSaveKmzTitle = "Save the result as one KMZ file";
inline constexpr const char* kKmzFilter = "KMZ files (*.kmz)|*.kmz";

// "Preview": opens the preview page the last job wrote with the system's browser.
void OpenPreviewPage(AppState& app);

// The project's top KML file as "Load in GoogleEarth" chooses it; empty when it cannot be named.
std::string projectTopKmlPath(const AppState& app);

// "Load in GoogleEarth": starts Google Earth on the project's top KML file when it exists.
Outcome LoadInGoogleEarth(AppState& app);

inline constexpr const char* kMissingProjectKmlMessage =
    "This project KML file does not exists. Please Re-Transform the Project image file(s) or "
    "click on  'Re-Generate KML Files' button if the project image file(s) are already "
    "processed!";

}  // namespace orvanta
