#pragma once

#include <string>

#include "app/project_settings.h"
#include "platform/path_names.h"

namespace orvanta {

// The folder of the path without its trailing separator; empty (and nothing changed) when the
// path has no separator. Also sets `kmlFolder` to that folder and `imageName` to the file name
// without its extension; a file name without a "." of its own is an invalid argument
// (RunError 5), raised after `kmlFolder` is set.
std::string GetProjDir(const std::string& sFile, ProjectSettings& settings);

// The folder a job's output goes to for input in `inputFolder`: the output folder when one is
// set, else the input's own folder.
std::string outputBase(const ProjectSettings& settings, const std::string& inputFolder);
// The tile root of a folder of a batch: the folder itself, or the folder of its name in the
// output folder.
std::string batchFolderRoot(const ProjectSettings& settings, const std::string& folder);
// Where the world files made for the GeoTIFFs of an input folder go: the tile root of the
// folder's run when an output folder is set (the input is then only read), else the folder.
std::string madeWorldFileFolder(const ProjectSettings& settings, const std::string& inputFolder);

// The top KML file of a single image whose tiles go to `root`: ROOT.kml, or NAME.kml beside
// the root when the job was given a name.
std::string singleImageTopFile(const ProjectSettings& settings, const std::string& root);

// The folder of the 4096 pieces of the project's large image.
std::string largePieceFolder(const ProjectSettings& settings);

// Records the folder of the path among the multi-resolution folders when "Multi Resolution
// Imagery" is checked; otherwise empties them. A path without a separator changes nothing.
void addkmlpath(const std::string& sFile, ProjectSettings& settings);

}  // namespace orvanta
