#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace orvanta {

// Outside programs are started with an argument vector, never through a shell, so a path with
// blanks or shell characters stays one argument and is never executed.

// Starts argv[0] (looked up on the PATH when it has no folder) without waiting for it.
// Throws RunError 53 "File not found" with the program path when it cannot be started.
void startProgramDetached(const std::vector<std::string>& argv);

// Runs argv[0] and waits at most `limit`. Returns its exit status; nothing when it could not be
// started, was ended by a signal, or ran past the limit (it is killed then).
std::optional<int> runProgramAndWait(const std::vector<std::string>& argv,
                                     std::chrono::milliseconds limit);

// The program's full path when `name` (a bare name or a path) can be run, else empty.
std::string findProgram(const std::string& name);

}  // namespace orvanta
