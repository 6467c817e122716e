#pragma once

#include <string>
#include <vector>

#include "kml/kml_plan.h"

namespace orvanta {

// How an operation ended, from the least to the most severe.
enum class Ending { Done, Declined, Failed, Cancelled };

// What an operation did: how it ended and the top KML files it wrote. Front ends decide what to
// show and the exit status from it.
struct Outcome {
    Ending ending = Ending::Done;
    std::vector<std::string> topKmlFiles;  // in the order they were written
    int skippedSteps = 0;                  // steps that failed and were skipped
    bool googleEarthFailed = false;        // the files were written; the viewer did not start
    std::string archive;                   // the KMZ file the result was packed into
    std::vector<TreeIndex> trees;          // what each KML tree written shows
    std::string previewPage;               // the preview page written beside the top file

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
};

}  // namespace orvanta
