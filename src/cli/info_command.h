#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "platform/console_host.h"

namespace orvanta {

// `orvanta-cli info IMAGE|FOLDER`: prints to `out` the header facts, size class, world file and
// bounds of an image, or the verdict and size class of a folder scan. Messages go to the error
// stream; `answer` answers the folder scan's question when there is no terminal. Returns the
// exit status: 0, or 1 when the input is refused.
int runInfoCommand(const std::string& target, std::optional<bool> answer, std::FILE* out = stdout,
                   Verbosity verbosity = Verbosity::Normal);

}  // namespace orvanta
