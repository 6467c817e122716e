#pragma once

#include <string>
#include <vector>

namespace orvanta {

// Settings for cutting large images into pieces.
struct LargeImageOptions {
    // Scratch-drive choices: the fixed disks of the machine, in the order the system lists them.
    std::vector<std::string> primaryDrives;
    std::vector<std::string> secondaryDrives;
};

}  // namespace orvanta
