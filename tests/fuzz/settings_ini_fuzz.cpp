// The settings.ini reader over any lines, on a scripted machine so that runs are repeatable.
#include <cstddef>
#include <cstdint>
#include <string>

#include "options/large_image_options.h"
#include "platform/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvanta::LargeImageOptions options;
    options.environment.memory = [] { return orvanta::MemoryFigures{8ull << 30, 4ull << 30}; };
    options.environment.freeSpace = [](const std::string&) {
        return std::optional<std::uint64_t>(50ull << 30);
    };
    options.environment.fixedDisks = [] { return std::vector<std::string>{"/", "/data"}; };
    orvanta::loadOptions(
        options, orvanta::splitLines(std::string(reinterpret_cast<const char*>(data), size)));
    return 0;
}
