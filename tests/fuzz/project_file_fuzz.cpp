// The project-file reader, as it applies a file's lines to a project.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/project_file.h"
#include "platform/run_error.h"
#include "platform/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvanta::StoredProject project;
    const std::vector<std::string> lines =
        orvanta::splitLines(std::string(reinterpret_cast<const char*>(data), size));
    // A line the reader refuses ends the load with its error number; any other exception is a
    // finding.
    try {
        orvanta::applyProjectLines(lines, "/project", project);
    } catch (const orvanta::RunError&) {
    }
    return 0;
}
