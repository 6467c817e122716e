#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/project_settings.h"
#include "platform/host.h"
#include "platform/text_case.h"
#include "platform/text_file.h"

namespace orvanta {

inline constexpr const char* kProjectFileFilter = "OVT Project Files (*.ovt)|*.ovt";
// A project file beyond these sizes is damaged; it is refused before it is read whole.
inline constexpr TextLimits kProjectFileLimits{1024 * 1024, 64 * 1024};

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

// What a project file stores: the settings of the project and the folder of its last 4096
// run.
struct StoredProject {
    ProjectSettings settings;
    std::string root4096;
};

// The lines of the project file, from the two header lines to the last line of its table.
std::vector<std::string> projectFileLines(const StoredProject& project);
// Those lines, each ended by CR LF.
std::string projectFileText(const StoredProject& project);
// What keeps the project from being read back as it would be written, or nothing: a value
// holding a line break, a list item holding a comma, a line or file beyond kProjectFileLimits.
std::optional<std::string> projectUnfitToSave(const StoredProject& project);

// A path line's value as the project takes it: a relative path is resolved against `folder`,
// the folder of the project file; empty stays empty.
std::string projectPath(const std::string& text, const std::string& folder);

// What makes the lines of a project file unusable, or nothing: a path (taken as projectPath
// takes it) that is the root of the file system once its links are resolved, or a project or
// image name that is not a plain file name. A project may come from someone else: its paths
// must not send output to the root.
std::optional<std::string> projectFileDamage(const std::vector<std::string>& lines,
                                             const std::string& folder);

// Applies the lines of a project file, counted from 0, to `project`, line by line in the order
// of the file; where a field has two lines the later one wins. The Google Earth program line
// is never applied: the program is the person's own setting. Lines after the table are
// ignored; the fields of the lines added after the first 30 that the file lacks take their
// start-up values, as the older files that lack them were run. Throws the RunError of the
// first value it cannot read (380, 13 or 6); the lines before it stay applied.
void applyProjectLines(const std::vector<std::string>& lines, const std::string& folder,
                       StoredProject& project);

// Loads the project file at `path` into `project`: read within kProjectFileLimits, checked,
// then applied; afterwards the lists of unchecked groups are empty. Says through `host` what
// went wrong (a damaged file changes nothing; a refused value leaves the lines before it
// applied) or that the file was loaded, with a notice when it names another Google Earth
// program. False when loading did not end well. `host.doEvents()` runs while reading, so a
// cancel stops it.
bool loadProject(Host& host, const std::string& path, StoredProject& project);

// Writes the project file to `path` whole or not at all and says so through `host`; false
// (and the reason shown) when it could not be written or would not read back as written.
bool saveProjectFile(Host& host, const std::string& path, const StoredProject& project);

}  // namespace orvanta
