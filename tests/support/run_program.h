#pragma once

#include <string>
#include <vector>

namespace orvanta::testing {

struct ProgramResult {
    int exitStatus = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs a program with an argument vector (no shell), standard input empty, and collects what
// it printed.
ProgramResult runProgram(const std::vector<std::string>& argv);

}  // namespace orvanta::testing
