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

// The images the job of the project will tile, as full paths.
std::vector<std::string> jobImages(const AppState& app);

// Checks the world files of the images (full paths) before any work: false after the first
// refusal has been shown (the outcome is declined). Images without a world file are left to
// the checks that ask about them.
bool worldFilesPlaceImages(AppState& app, const std::vector<std::string>& images);

// Scans a tiles folder and keeps what the scan found: the facts of the image read last, the
// folder as the KML folder, its size class and the images left out. True when processing may
// go on. Without `makeWorldFiles`, GeoTIFFs without a world file get none written: their own
// georeference is read.
bool scanTilesFolder(AppState& app, const std::string& folder, bool makeWorldFiles = true);

}  // namespace orvanta
