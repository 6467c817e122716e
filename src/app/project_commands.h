#pragma once

#include <string>

namespace orvanta {

class AppState;

// The project-file commands of the main window, on its state. The file itself is
// app/project_file.h, which works on the settings alone.

// Loads a project file into the open project (see loadProject) and applies the group rules of
// the lists; false when loading did not end well. The caller has closed the previous project.
bool loadProjectFile(AppState& app, const std::string& path);
// Writes the project file to `path` and reports it; false when it could not be written.
bool writeProjectFile(AppState& app, const std::string& path);

void openProject(AppState& app);    // "Open &Project..."
void saveProject(AppState& app);    // "&Save Project"
void saveProjectAs(AppState& app);  // "Save Project &As..."

}  // namespace orvanta
