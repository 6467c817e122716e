#include "cli/info_command.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "app/app_state.h"
#include "app/input_checks.h"
#include "app/paths.h"
#include "imagery/folder_scan.h"
#include "imagery/geo_image.h"
#include "imagery/georeference.h"
#include "imagery/image_header.h"
#include "platform/console_host.h"
#include "platform/file_list.h"
#include "platform/file_lookup.h"
#include "platform/os_services.h"
#include "platform/path_names.h"
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

// The georeference of the image: its world file, else the one it holds itself, read without
// writing anything; nothing after the refusal message when it has neither.
std::optional<Georeference> georeferenceOf(AppState& app, const std::string& path) {
    const std::string imageFolder = GetProjDir(path, app.settings);
    const std::string worldPath =
        findWorldFile(imageFolder, app.settings.imageName, GetFileExtension(path));
    std::optional<Georeference> found;
    try {
        found = readGeoreference(path, worldPath);
    } catch (const RunError&) {
        // Unreadable: the refusal tells why.
        found = Georeference{WorldFile{}, worldPath, {}};
    }
    if (!found)
        app.host().messageBox(imageWithoutWorldFileMessage(path), kAppTitle);
    return found;
}

// Bits of each channel as the file stores them: "8 per channel, 3 channels", or each one
// when they differ.
std::string channelDepthText(const std::vector<int>& bits) {
    if (bits.empty())
        return {};
    const bool same = std::all_of(bits.begin(), bits.end(), [&](int b) { return b == bits[0]; });
    if (same) {
        return std::to_string(bits[0]) + " per channel, " + std::to_string(bits.size()) +
               (bits.size() == 1 ? " channel" : " channels");
    }
    std::string text;
    for (int b : bits)
        text += (text.empty() ? "" : ", ") + std::to_string(b);
    return text + " (per channel)";
}

// The file's own facts as the library reads them: each channel's bits and its coordinate
// system. What the library warns of goes to the status; an image it cannot read keeps the
// header's figures.
std::string readChannelFacts(AppState& app, const std::string& path) {
    try {
        const RasterFacts facts = readRasterFacts(path);
        for (const std::string& warning : facts.warnings)
            app.setStatus(baseNameOf(path) + ": " + warning);
        if (const std::string depth = channelDepthText(facts.channelBits); !depth.empty())
            app.settings.bitDepthText = depth;
        return facts.coordinateSystem;
    } catch (const RunError&) {
        return {};
    }
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
    const std::optional<Georeference> found = georeferenceOf(app, path);
    if (!found)
        return 1;
    // Images of no tile size are large images here, not refusals.
    app.run.largeImageMode = true;
    classifyImage(app, path);
    const std::string fileSystem = readChannelFacts(app, path);
    const ImageHeaderInfo& header = app.imageHeader;
    const WorldFile& world = found->world;
    const std::string refusal =
        found->worldFilePath.empty()
            ? georeferenceRefusal(path, world, header.width, header.height, kImageNotWgs84Message)
            : worldFileRefusal(found->worldFilePath, header.width, header.height,
                               kImageNotWgs84Message, unreferencedImageText(path));
    if (!refusal.empty()) {
        app.host().messageBox(refusal, kAppTitle);
        return 1;
    }
    if (header.width == 0 || header.height == 0) {
        app.host().messageBox(kNotTileSizeMessage, kAppTitle);
        return 1;
    }
    std::fprintf(out, "Image: %s\n", path.c_str());
    printFacts(out, app);
    std::fprintf(out, "World file: %s\n",
                 found->worldFilePath.empty() ? "none (the image's own georeference)"
                                              : found->worldFilePath.c_str());
    const char* const names[] = {"A", "D", "B", "E", "C", "F"};
    const std::string* const values[] = {&world.A, &world.D, &world.B,
                                         &world.E, &world.C, &world.F};
    for (int i = 0; i < 6; ++i) {
        // Shown without the blanks some tools put before the numbers.
        const std::size_t first = values[i]->find_first_not_of(" \t");
        const std::string text = first == std::string::npos ? "" : values[i]->substr(first);
        std::fprintf(out, "%s: %s\n", names[i], text.c_str());
    }
    const std::string system =
        found->coordinateSystem.empty() ? fileSystem : found->coordinateSystem;
    if (!system.empty())
        std::fprintf(out, "Coordinate system: %s\n", coordinateSystemName(system).c_str());
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
    // Nothing is written: GeoTIFFs without a world file are read as they are.
    const bool usable = scanTilesFolder(app, folder, false);
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
