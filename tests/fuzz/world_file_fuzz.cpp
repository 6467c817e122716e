// The world-file reader, the WGS84 test and the checks of a world file over any text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "imagery/world_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const orvanta::WorldFile world =
        orvanta::parseWorldFile(std::string(reinterpret_cast<const char*>(data), size));
    orvanta::isWgs84(world);
    orvanta::worldFileDetail("w", world, 4096, 4096);
    return 0;
}
