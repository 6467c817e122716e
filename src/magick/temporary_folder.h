#pragma once

#include <string>

namespace orvanta {

// Gives the image library a temporary folder of this process's own, "orvanta-scratch-", the
// process id, a dash and six random letters and digits in the system's temporary folder (made
// by mkdtemp, open to its owner only), for the pixel caches it spills to disk. The
// folder goes when the process exits; folders of processes that were killed go the next time
// a process starts the library. Called once while the library starts; returns the folder.
std::string useOwnTemporaryFolder();

}  // namespace orvanta
