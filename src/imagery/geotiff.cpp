#include "imagery/geotiff.h"

#include <filesystem>
#include <optional>

#include "platform/os_services.h"
#include "platform/path_names.h"
#include "platform/process.h"
#include "platform/run_error.h"
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
    const std::string image = folder + kPathSeparator + fileName;
    convertGeoTiffInto(host, image, folder + kPathSeparator + baseNameOf(fileName) + ".tfw");
}

void convertGeoTiffInto(Host& host, const std::string& image, const std::string& worldFile) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(worldFile).parent_path();
    std::error_code error;
    fs::create_directories(folder, error);
    std::optional<ScratchFolder> scratch;
    try {
        scratch.emplace(folder.string());
    } catch (const RunError&) {
        return;  // no world file is made; the caller says so
    }
    fs::path link = fs::path(scratch->path()) / fs::path(worldFile).stem();
    link += fs::path(image).extension();
    fs::create_symlink(fs::absolute(image), link, error);
    if (!error) {
        runListgeo(host, link.string());
        fs::rename(link.replace_extension(".tfw"), worldFile, error);
    }
}

}  // namespace orvanta
