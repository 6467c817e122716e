#pragma once

#include <string>

namespace orvanta {

// Files are written under a scratch name in the folder of their final name and renamed when
// complete, so that nobody reads half a file and a failed or killed run leaves nothing half
// written under a real name. A scratch name is the prefix, the id of the writing process, a
// dash and the final name (the extension stays, so that writers that go by it still can).
inline constexpr const char* kScratchPrefix = ".orvanta-part-";

std::string scratchPathFor(const std::string& path);

// Renames a complete scratch file to its final name, replacing what was there. Throws RunError
// 75 naming the final file when it cannot, and then removes the scratch file.
void commitScratch(const std::string& scratch, const std::string& path);

// Removes the scratch file of a step that failed; no error when there is none.
void discardScratch(const std::string& scratch);

// Removes the scratch files in `folder`, and with `subfolders` below it too, that processes
// which no longer run left behind; those of running processes stay. Returns how many went.
int removeStaleScratch(const std::string& folder, bool subfolders = false);

// True while the process with this id runs.
bool processIsRunning(long pid);

// True when `name` is `prefix`, the id of a process that no longer runs, and then `after` (a
// dash and more) or, when `after` is '\0', nothing: a file or folder named by a process that
// ended without removing it.
bool leftByEndedProcess(const std::string& name, const std::string& prefix, char after);

// The id of this process.
long currentProcessId();

}  // namespace orvanta
