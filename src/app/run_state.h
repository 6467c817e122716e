#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imagery/size_class.h"

namespace orvanta {

// What the window's input steps found of the tiles folder (the folder scan and the person's
// answer to its question), so that a job over it does not scan it and ask again.
struct ScannedFolder {
    std::string folder;
    SizeClass sizeClass = SizeClass::None;
    std::vector<std::string> leftOut;  // file names of the images the person left out
};

// What the window's input steps have found of the project's input.
struct RunState {
    SizeClass sizeClass = SizeClass::None;
    bool largeImageMode = false;        // the open image goes to the large-image slicer
    bool kmlOnly = false;               // a run writes KML over existing tiles only
    std::string root4096;               // folder of a 4096 run (also stored in the project file)
    bool paddedPieces = false;          // the pieces listed in paddedPieceNames were padded
    std::optional<ScannedFolder> scan;  // the last usable scan of a tiles folder
};

}  // namespace orvanta
