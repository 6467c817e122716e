#pragma once

#include <string>

#include "app/project_settings.h"

namespace orvanta {

// Path rules shared by every step that takes a path apart. The separator is the platform's;
// "last" means the last occurrence in the whole path, folders included.

// Text after the last ".", case kept; empty when there is no "." or a separator follows it.
std::string GetFileExtension(const std::string& sFile);

// The folder of the path without its trailing separator; empty (and nothing changed) when the
// path has no separator. Also sets `kmlpath` to that folder and `imagename` to the file name
// without its extension; a file name without a "." of its own is an invalid argument
// (RunError 5), raised after `kmlpath` is set.
std::string GetProjDir(const std::string& sFile, ProjectSettings& settings);

// Records the folder of the path in List3 when "Multi Resolution Imagery" is checked;
// otherwise empties List3. A path without a separator changes nothing.
void addkmlpath(const std::string& sFile, ProjectSettings& settings);

// The path with every "\\" written as "/", the form KML links take.
std::string slashForm(std::string path);

}  // namespace orvanta
