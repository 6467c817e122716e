#pragma once

#include <string>
#include <vector>

#include "imagery/folder_scan.h"
#include "imagery/image_header.h"

namespace orvanta {

class AppState;

// Reads the image's facts and sets the run's size class from them: true when classified (or,
// in large-image mode, marked as of no class); false after the message that says why not.
bool classifyImage(AppState& app, const std::string& path);
// The same from the image's facts already read.
bool classifyImage(AppState& app, const std::string& path, const ImageFacts& facts);

// The folder check of the window's input steps: scans a tiles folder and keeps what the scan
// found: the facts of the image read last, the folder as the KML folder, its size class and,
// when usable, the scan with the images left out (which a job over the folder then uses). True
// when processing may go on. Without `makeWorldFiles`, GeoTIFFs without a world file get none
// written: their own georeference is read.
bool scanTilesFolder(AppState& app, const std::string& folder, bool makeWorldFiles = true);

}  // namespace orvanta
