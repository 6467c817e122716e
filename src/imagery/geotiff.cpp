#include "imagery/geotiff.h"

#include <algorithm>
#include <thread>

#include "platform/os_services.h"
#include "platform/process.h"

namespace orvanta {

std::string findListgeo() {
    const std::string beside = findProgram(programFolder() + kPathSeparator + "listgeo");
    if (!beside.empty())
        return beside;
    const std::string onPath = findProgram("listgeo");
    return onPath.empty() ? "listgeo" : onPath;
}

std::vector<std::string> listgeoCommand(const std::string& listgeo, const std::string& imagePath) {
    return {listgeo, "-tfw", imagePath};
}

void convertGeoTiff(Host& host, const std::string& folder, const std::string& fileName) {
    const std::string image = folder + kPathSeparator + fileName;
    host.doEvents();
    host.runAndWait(listgeoCommand(findListgeo(), image), kListgeoLimit);
    host.doEvents();
}

void Wait(Host& host, std::int32_t seconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::seconds(std::max(seconds, 0));
    host.doEvents();
    for (Clock::time_point now = Clock::now(); now < end; now = Clock::now()) {
        std::this_thread::sleep_for(
            std::min<Clock::duration>(end - now, std::chrono::milliseconds(50)));
        host.doEvents();
    }
}

}  // namespace orvanta
