#pragma once

#include <string>

namespace orvanta {

// Edge length of the square input images, or none.
enum class SizeClass { None, S1024, S2048, S4096 };

// Pixels along one edge of an image of the class; 0 for none.
inline int edgePixels(SizeClass sizeClass) {
    switch (sizeClass) {
        case SizeClass::S1024:
            return 1024;
        case SizeClass::S2048:
            return 2048;
        case SizeClass::S4096:
            return 4096;
        case SizeClass::None:
            break;
    }
    return 0;
}

// What one run of the job has decided, shared by the driver, image, tiling and KML steps.
struct RunState {
    SizeClass sizeClass = SizeClass::None;
    bool SingleImageMode = false;    // the input is one image, processed in place
    bool LargeImageMode = false;     // the open image goes to the large-image slicer
    bool KmlOnlyMode = false;        // a batch run writes KML over existing tiles only
    std::string Root4096;            // folder of a 4096 run (also stored in the project file)
    std::string Root2048;            // folder of a 2048 run
    std::string Root1024;            // folder of a 1024 run
    std::string PaddedPieces = "0";  // "1": the pieces listed in Transplist were padded
    std::string TopKmlPath;          // the KML file Google Earth is started on
    // Group folders the last split wrote into, and folders with every "\" replaced by "/".
    std::string Sgroup1Path, Sgroup2Path;
    std::string Sgroup1Slash, Sgroup2Slash, Root1024Slash, Root2048Slash;
};

}  // namespace orvanta
