#include "imagery/geotiff.h"


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

}  // namespace orvanta
