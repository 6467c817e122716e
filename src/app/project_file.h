#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/project_settings.h"
#include "app/run_state.h"
#include "platform/text_case.h"

namespace orvanta {

class AppState;

inline constexpr const char* kProjectFileFilter = "OVT Project Files (*.ovt)|*.ovt";
inline constexpr int kProjectFileLines = 30;  // two header lines and lines 2 to 29

// Value encodings of the project file.
// The leading decimal number of the trimmed text (no number gives 0), rounded half to even.
double leadingNumber(const std::string& text);
double roundHalfEven(double value);
// A check line: 0, 1 or 2; anything else is RunError 380.
int parseCheckLine(const std::string& line);
// A colour line: a number of 0 to 0xFFFFFF; empty or not a number is RunError 13.
std::uint32_t parseColourLine(const std::string& line);
// A list line: every item ends with its comma; a line without a comma is one item.
std::vector<std::string> parseListLine(const std::string& line);
std::string formatListLine(const std::vector<std::string>& items);

// The text of the project file, lines 0 to 29, each ended by CR LF.
std::string projectFileText(const ProjectSettings& settings, const RunState& run);

// What makes the lines of a project file unusable, or nothing: a missing line, a folder or
// image line that is relative, holds "..", or is the root of the file system, a project or
// image name that is not a plain file name. A project may come from someone else, so its paths
// must not send output anywhere else.
std::optional<std::string> projectFileDamage(const std::vector<std::string>& lines);

// Applies line `index` (counted from 0) of a project file. The Google Earth program line is
// not applied: the program is the person's own setting.
void applyProjectLine(AppState& app, int index, const std::string& line);

// Loads a project file into the open project, by the error policy; returns false when loading
// ended on an error or the file is damaged (then nothing is applied). A project naming another
// Google Earth program is loaded with a notice in the status. The caller has closed the
// previous project.
bool loadProjectFile(AppState& app, const std::string& path);

// The menu commands.
void openProject(AppState& app);    // "Open &Project..."
void saveProject(AppState& app);    // "&Save Project"
void saveProjectAs(AppState& app);  // "Save Project &As..."
// Writes the project file to `path` and reports it; false when it could not be written.
bool writeProjectFile(AppState& app, const std::string& path);

}  // namespace orvanta
