#include "imagery/geotiff.h"

#include <filesystem>

#include "platform/os_services.h"
#include "platform/process.h"
#include "platform/scratch_files.h"

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

namespace {

void runListgeo(Host& host, const std::string& image) {
    const std::string listgeo = findListgeo();
    // Without the program the georeference is read from the image itself, in memory.
    if (findProgram(listgeo).empty())
        return;
    host.doEvents();
    host.runAndWait(listgeoCommand(listgeo, image), kListgeoLimit);
    host.doEvents();
}

}  // namespace

void convertGeoTiff(Host& host, const std::string& folder, const std::string& fileName) {
    runListgeo(host, folder + kPathSeparator + fileName);
}

void convertGeoTiffInto(Host& host, const std::string& image, const std::string& worldFile) {
    namespace fs = std::filesystem;
    if (fs::path(worldFile).parent_path() == fs::path(image).parent_path())
        return runListgeo(host, image);
    const fs::path scratch = scratchPathFor(worldFile);
    std::error_code error;
    fs::create_directories(scratch, error);
    fs::path link = scratch / fs::path(worldFile).stem();
    link += fs::path(image).extension();
    fs::create_symlink(fs::absolute(image), link, error);
    if (!error) {
        runListgeo(host, link.string());
        fs::rename(link.replace_extension(".tfw"), worldFile, error);
    }
    fs::remove_all(scratch, error);
}

}  // namespace orvanta
