#include "cli/info_command.h"

#include <filesystem>
#include <optional>

#include "app/app_state.h"
#include "app/input_checks.h"
#include "app/paths.h"
#include "imagery/folder_scan.h"
#include "imagery/geo_image.h"
#include "imagery/geotiff.h"
#include "imagery/image_header.h"
#include "platform/console_host.h"
#include "platform/file_list.h"
#include "platform/os_services.h"
#include "platform/run_error.h"

namespace orvanta {
namespace {

// Numbers printed with at most 15 significant digits, a point as decimal separator.
std::string coordinate(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::string sizeClassText(SizeClass sizeClass) {
    const int edge = edgePixels(sizeClass);
    return edge ? std::to_string(edge) : "none (large image)";
}

// The world file of the image, written first by the listing program for a GeoTIFF; empty
// after the refusal message when there is none.
std::string worldFileOf(AppState& app, const std::string& path) {
    const std::string imageFolder = GetProjDir(path, app.settings);
    const std::string extension = GetFileExtension(path);
    std::string found = findWorldFile(imageFolder, app.settings.imageName, extension);
    if (found.empty() && getworldfile(extension) == "tfw") {
        convertGeoTiff(app.host(), imageFolder, path.substr(imageFolder.size() + 1));
        found = findWorldFile(imageFolder, app.settings.imageName, extension);
    }
    if (found.empty())
        app.host().messageBox(imageWithoutWorldFileMessage(path), kAppTitle);
    return found;
}

void printFacts(std::FILE* out, const AppState& app) {
    std::fprintf(out, "Width (Pixels): %s\nHeight (Pixels): %s\nBit Depth: %s\n",
                 app.settings.widthText.c_str(), app.settings.heightText.c_str(),
                 app.settings.bitDepthText.c_str());
    std::fprintf(out, "Resolution: %s\nGreyscale: %s\nSize class: %s\n",
                 app.settings.resolutionText.c_str(), app.greyscaleText.c_str(),
                 sizeClassText(app.run.sizeClass).c_str());
}

int imageInfo(AppState& app, const std::string& path, std::FILE* out) {
    const std::string worldPath = worldFileOf(app, path);
    if (worldPath.empty())
        return 1;
    // Images of no tile size are large images here, not refusals.
    app.run.largeImageMode = true;
    classifyImage(app, path);
    const ImageHeaderInfo& header = app.imageHeader;
    if (const std::string refusal =
            worldFileRefusal(worldPath, header.width, header.height, kImageNotWgs84Message,
                             unreferencedImageText(path));
        !refusal.empty()) {
        app.host().messageBox(refusal, kAppTitle);
        return 1;
    }
    const WorldFile world = readWorldFile(worldPath);
    if (header.width == 0 || header.height == 0) {
        app.host().messageBox(kNotTileSizeMessage, kAppTitle);
        return 1;
    }
    std::fprintf(out, "Image: %s\n", path.c_str());
    printFacts(out, app);
    std::fprintf(out, "World file: %s\n", worldPath.c_str());
    const char* const names[] = {"A", "D", "B", "E", "C", "F"};
    const std::string* const values[] = {&world.A, &world.D, &world.B,
                                         &world.E, &world.C, &world.F};
    for (int i = 0; i < 6; ++i) {
        // Shown without the blanks some tools put before the numbers.
        const std::size_t first = values[i]->find_first_not_of(" \t");
        const std::string text = first == std::string::npos ? "" : values[i]->substr(first);
        std::fprintf(out, "%s: %s\n", names[i], text.c_str());
    }
    std::fprintf(out, "WGS84: yes\n");
    if (const std::optional<GeoBounds> b = blockBounds(world, header.width, header.height)) {
        std::fprintf(out, "North: %s\nSouth: %s\nEast: %s\nWest: %s\n",
                     coordinate(b->north).c_str(), coordinate(b->south).c_str(),
                     coordinate(b->east).c_str(), coordinate(b->west).c_str());
    }
    return 0;
}

int folderInfo(AppState& app, const std::string& folder, std::FILE* out) {
    const std::size_t images = listFiles(folder, kImagePattern).size();
    if (images == 0) {
        app.host().messageBox(
            "The folder '" + folder + "' holds no images (" + std::string(kImagePattern) + ").",
            kAppTitle);
        return 1;
    }
    const bool usable = scanTilesFolder(app, folder);
    std::fprintf(out, "Folder: %s\nImages: %zu\nUsable: %s\n", folder.c_str(), images,
                 usable ? "yes" : "no");
    if (usable)
        std::fprintf(out, "Size class: %s\n", sizeClassText(app.run.sizeClass).c_str());
    return usable ? 0 : 1;
}

}  // namespace

int runInfoCommand(const std::string& target, std::optional<bool> answer, std::FILE* out,
                   Verbosity verbosity) {
    ConsoleHost host(answer, stdin, stderr, verbosity);
    AppState app(host);
    std::error_code error;
    std::string path = std::filesystem::absolute(target, error).lexically_normal().string();
    while (path.size() > 1 && path.back() == kPathSeparator)
        path.pop_back();
    try {
        if (std::filesystem::is_directory(path, error))
            return folderInfo(app, path, out);
        if (!std::filesystem::is_regular_file(path, error)) {
            host.messageBox("File not found: " + target, kAppTitle);
            return 1;
        }
        return imageInfo(app, path, out);
    } catch (const RunError& failure) {
        host.messageBox(std::to_string(failure.number()) + " " + failure.description(), kAppTitle);
        return 1;
    }
}

}  // namespace orvanta
