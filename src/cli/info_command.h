#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace orvanta {

// `orvanta-cli info IMAGE|FOLDER [--yes|--no]`: prints to `out` the header facts, size class,
// world file and bounds of an image, or the verdict and size class of a folder scan. Messages
// go to the error stream. Returns the exit status: 0, 1 when the input is refused, 2 for a
// usage error.
int runInfoCommand(const std::vector<std::string>& args, std::FILE* out = stdout);

}  // namespace orvanta
