#pragma once

namespace orvanta {

// Runs the program again, once, with the C library told to back its large allocations with
// huge pages. The pixel engine fills buffers of tens to hundreds of megabytes one after another;
// in 4 KiB pages each of them costs thousands of page faults, which on virtual machines take a
// good share of a large image's run. Returns without a word where that cannot be done (another
// C library, a failed exec) or was already done; the program then goes on as it is.
void restartWithLargePages(char** argv);

}  // namespace orvanta
