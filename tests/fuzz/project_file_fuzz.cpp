// The project-file loader line by line, as it applies a file's lines to the application.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/app_state.h"
#include "app/project_file.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "support/fake_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvanta::testing::FakeHost host;
    orvanta::AppState app(host);
    const std::vector<std::string> lines =
        orvanta::splitLines(std::string(reinterpret_cast<const char*>(data), size));
    // A line the loader refuses ends the load with its error number, as loadProjectFile does;
    // any other exception is a finding.
    try {
        for (std::size_t i = 0; i < lines.size() && i < 64; ++i)
            orvanta::applyProjectLine(app, static_cast<int>(i), lines[i]);
    } catch (const orvanta::RunError&) {
    }
    return 0;
}
