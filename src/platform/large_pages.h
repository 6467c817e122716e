#pragma once

#include <optional>
#include <string>

namespace orvanta {

// Runs the program again, once, with the C library told to back its large allocations with
// huge pages. The pixel engine fills buffers of tens to hundreds of megabytes one after another;
// in 4 KiB pages each of them costs thousands of page faults, which on virtual machines take a
// good share of a large image's run. Returns without a word where that cannot be done (another
// C library, a failed exec) or was already done; the program then goes on as it is. In the run
// started again, the environment is put back as the person started the program, so that the
// programs it starts (Google Earth, listgeo) get that environment.
void restartWithLargePages(char** argv);

// The C library's tunables to start again with, given those the program was started with
// (nothing when none were set) and whether this run is the one started again; nothing when no
// restart is wanted: after the restart, or when the person set the huge-page tunable themselves.
std::optional<std::string> largePageTunables(const char* tunables, bool restarted);

}  // namespace orvanta
