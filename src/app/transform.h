#pragma once

#include <string>

#include "app/job_plan.h"
#include "app/outcome.h"
#include "app/project_settings.h"

namespace orvanta {

class AppState;

// The window's operations that run a job. Each reads the window's project and run choices and
// returns the job's outcome; the front end hands it to AppState::keep.

// How many times the progress of a run starts again at 1: each image or folder cuts its tiles
// (unless only the KML files are written) and then writes its KML files; a batch also counts
// its folders.
int progressPhases(const ProjectSettings& settings, bool kmlOnly);

// The job the window's project and choices describe.
JobSettings jobSettings(AppState& app, bool kmlOnly);

// "Transform": runs the whole job the project names, from source images to the KML tree.
Outcome Transform(AppState& app);

// "Re-Generate KML Files": writes the KML files again over existing tiles.
Outcome ReGenerateKmlFiles(AppState& app);

// "Save as KMZ...": asks where, then writes the project's KML files again with relative links
// (which they keep) and packs exactly those files into that file. Nothing happens when no file
// is chosen.
Outcome SaveAsKmz(AppState& app);
inline constexpr const char* kSaveKmzTitle = "Save the result as one KMZ file";
inline constexpr const char* kKmzFilter = "KMZ files (*.kmz)|*.kmz";

// The split and KML buttons of the advanced panel: the project's run for the size class the
// person picks.
Outcome runSizeClassStep(AppState& app, SizeClass sizeClass, bool kmlOnly);

// "Preview": opens the preview page the last job wrote with the system's browser.
void OpenPreviewPage(AppState& app);

// The project's top KML file when no job of this session wrote one: the single image's root
// file, the root file of a batch's last folder, or the tiles folder's root file, each where the
// output folder puts it; empty when it cannot be named.
std::string projectTopKmlPath(const ProjectSettings& settings);

// "Load in GoogleEarth": starts Google Earth on the file the last job wrote (for a batch the
// root file of its last folder), or, when none did, on the project's top KML file when it
// exists.
Outcome LoadInGoogleEarth(AppState& app);

inline constexpr const char* kMissingProjectKmlMessage =
    "This project KML file does not exists. Please Re-Transform the Project image file(s) or "
    "click on  'Re-Generate KML Files' button if the project image file(s) are already "
    "processed!";

}  // namespace orvanta
