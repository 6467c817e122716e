#pragma once

#include <string>
#include <vector>

#include "kml/kml_plan.h"
#include "kml/lat_lon_bounds.h"

namespace orvanta {

// How an operation ended, from the least to the most severe.
enum class Ending { Done, Declined, Failed, Cancelled };

// What one tile root of a job gave.
struct FolderResult {
    std::string root;      // the tile root
    std::string rootFile;  // its root KML file, written when `written`
    bool written = false;
    LatLonBounds bounds = EmptyRootBounds();  // of all its tiles, when written
    int skippedSteps = 0;                     // its steps that failed and were skipped
    // Images whose files an earlier run left whole and were kept (--resume), and images cut.
    int kept = 0;
    int cut = 0;
};

// What an operation did: how it ended, every file it wrote that a person opens, and what the
// front end is to show or do. It is returned, never stored by the operation; front ends decide
// the exit status and what to show from it alone.
struct Outcome {
    Ending ending = Ending::Done;
    std::vector<std::string> topKmlFiles;  // in the order they were written
    std::vector<FolderResult> folders;     // each tile root, in the order of the job
    int skippedSteps = 0;                  // steps that failed and were skipped
    bool googleEarthFailed = false;        // the files were written; the viewer did not start
    std::string archive;                   // the KMZ file the result was packed into
    std::vector<TreeIndex> trees;          // what each KML tree written shows
    std::string previewPage;               // the preview page written beside the top file
    // The file "Load in GoogleEarth" opens after this job: the last top file, or for a batch the
    // root file of its last folder.
    std::string googleEarthFile;
    std::string successText;           // the status to show when the job ended Done
    std::vector<std::string> notices;  // shown after it: what the person should know of it
    // A Google Earth program the person chose during the job: their setting from now on.
    std::string chosenGoogleEarthProgram;
    // The front end closes the project (a run out of memory, an image of a pair that cannot be
    // tiled); the job itself never changes the person's settings.
    bool closeProject = false;

    // An operation that wrote nothing and ended so.
    static Outcome endedAs(Ending seen) {
        Outcome outcome;
        outcome.ending = seen;
        return outcome;
    }

    // Records an ending; the most severe one stays.
    void note(Ending seen) {
        if (static_cast<int>(seen) > static_cast<int>(ending))
            ending = seen;
    }

    // Images kept and cut over all tile roots.
    int kept() const;
    int cut() const;
};

// The summary of a resumed job: how many images kept their files and how many were cut.
std::string resumeSummary(const Outcome& outcome);

}  // namespace orvanta
