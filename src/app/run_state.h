#pragma once

#include <string>
#include <vector>

#include "imagery/size_class.h"

namespace orvanta {

// What one run of the job has decided, shared by the drivers of the job.
struct RunState {
    SizeClass sizeClass = SizeClass::None;
    bool singleImage = false;     // the input is one image, processed in place
    bool largeImageMode = false;  // the open image goes to the large-image slicer
    bool kmlOnly = false;         // a run writes KML over existing tiles only
    std::string root4096;         // folder of a 4096 run (also stored in the project file)
    bool paddedPieces = false;    // the pieces listed in paddedPieceNames were padded
    // File names of the images of the tiles folder that have no world file and were left out.
    std::vector<std::string> imagesLeftOut;
};

}  // namespace orvanta
