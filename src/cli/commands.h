#pragma once

#include <cstdio>

#include "cli/cli_options.h"

namespace orvanta::cli {

// Runs one parsed command line. Messages and status go to `errors`, the path of the resulting
// top KML file to `output`. Returns the exit status: 0 done, 1 ended on a message.
int runCommand(const CliOptions& options, std::FILE* output, std::FILE* errors);

}  // namespace orvanta::cli
