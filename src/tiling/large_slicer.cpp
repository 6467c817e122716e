#include "tiling/large_slicer.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/error_policy.h"
#include "imagery/open_image.h"
#include "kml/lat_lon_bounds.h"
#include "magick/commands.h"
#include "platform/file_lookup.h"
#include "platform/os_services.h"

namespace orvanta {
namespace {

// A limit setting as the whole number it starts with.
std::string wholeNumber(const std::string& text) {
    return std::to_string(std::atol(text.c_str()));
}

// The extent of the image's padded pieces, when its world file can be read.
std::optional<PieceExtent> sourcePieceExtent(const AppState& app) {
    const std::string path = findFileLoosely(projectWorldFilePath(app.settings));
    if (path.empty())
        return std::nullopt;
    try {
        return paddedPieceExtent(std::atoi(app.settings.Label1.c_str()),
                                 std::atoi(app.settings.Label2.c_str()), readWorldFile(path));
    } catch (const RunError&) {
        return std::nullopt;  // the world-file step reports it
    }
}

}  // namespace

std::vector<std::string> sliceArguments(const std::string& largeimage,
                                        const std::string& memoryMegabytes,
                                        const std::string& diskGigabytes, const std::string& folder,
                                        const std::string& name, const std::string& extension) {
    return {largeimage, "-limit",
            "Memory",   wholeNumber(memoryMegabytes) + "MiB",
            "-limit",   "map",
            "4096MiB",  "-limit",
            "disk",     wholeNumber(diskGigabytes) + "GiB",
            "-crop",    "4096x4096",
            "+repage",  folder + kPathSeparator + name + "_%d." + extension};
}

std::optional<PieceExtent> paddedPieceExtent(int width, int height, const WorldFile& world) {
    const auto a = WorldFile::number(world.A), e = WorldFile::number(world.E);
    const auto c = WorldFile::number(world.C), f = WorldFile::number(world.F);
    if (!a || !e || !c || !f)
        return std::nullopt;
    const PieceGrid grid = pieceGrid(width, height);
    const double farX = *c + static_cast<double>(grid.columns) * kPieceSize * *a;
    const double farY = *f + static_cast<double>(grid.rows) * kPieceSize * *e;
    return PieceExtent{std::min(*c, farX), std::max(*c, farX), std::min(*f, farY),
                       std::max(*f, farY)};
}

bool beyondTheGlobe(const PieceExtent& extent) {
    return extent.west < -180 || extent.east > 180 || extent.south < -90 || extent.north > 90;
}

std::string beyondTheGlobeQuestion(const PieceExtent& extent) {
    const auto number = [](double value) { return FormatNumber(value); };
    return "Padded to 4096 x 4096 pixels, the pieces of this image would reach beyond 180\u00B0 "
           "of longitude or 90\u00B0 of latitude (west " +
           number(extent.west) + ", east " + number(extent.east) + ", south " +
           number(extent.south) + ", north " + number(extent.north) +
           "). No globe has such bounds: Google Earth would show the imagery in the wrong "
           "place. Slice the image anyway?";
}

void resetForOpenLargeImage(AppState& app) {
    app.run.LargeImageMode = true;
    clearOtherInputs(app);
}

bool openLargeImageFile(AppState& app, const std::string& path) {
    bool accepted = false;
    RunErrorPolicy policy(app);
    policy.run([&] { accepted = openChosenImage(app, path, false); });
    policy.finish();
    // Transform is the step that slices the image: without it enabled an accepted image
    // could go no further.
    if (accepted && app.settings.Check6 != 1)
        app.enabled.Command25 = true;
    return accepted;
}

std::optional<Preview> OpenLargeImage(AppState& app) {
    resetForOpenLargeImage(app);
    const std::string path = app.host().chooseOpenFile(kOpenLargeImageTitle, kOpenLargeImageFilter);
    if (path.empty() || !openLargeImageFile(app, path) || app.settings.Check5 != 1)
        return std::nullopt;
    return ImagePreview(app);
}

LargeSliceSettings largeSliceSettings(LargeImageOptions& options) {
    const PieceSettings pieces = pieceSettings(options);
    return {options.Combo1, options.Combo2, pieces};
}

bool SliceLargeImage(AppState& app) {
    return SliceLargeImage(app, largeSliceSettings(app.options));
}

bool SliceLargeImage(AppState& app, const LargeSliceSettings& slice) {
    const ProjectSettings& settings = app.settings;
    if (const auto extent = sourcePieceExtent(app); extent && beyondTheGlobe(*extent)) {
        if (!app.host().askYesNo(beyondTheGlobeQuestion(*extent), kAppTitle,
                                 MessageIcon::Exclamation)) {
            return false;
        }
    }
    const std::string folder = pieceFolder(settings.projdir, settings.imagename);
    RunErrorPolicy policy(app);
    // An existing piece folder is used as it is; the crop overwrites its pieces.
    policy.run([&] { std::filesystem::create_directories(folder); });
    policy.run([&] {
        std::vector<std::string> argv = {"convert"};
        for (std::string& arg :
             sliceArguments(settings.Largeimage, slice.memoryMegabytes, slice.diskGigabytes, folder,
                            settings.imagename, slice.pieces.pieceFormat)) {
            argv.push_back(std::move(arg));
        }
        runConvert(argv);
    });
    app.doEvents();
    const bool sliced = std::filesystem::exists(
        pieceImagePath(folder, settings.imagename, 0, slice.pieces.pieceFormat));
    policy.finish();  // tells of a failed crop; pieces it did write are still used
    if (!sliced)
        return false;
    return PieceWorldFiles(app, slice.pieces);
}

}  // namespace orvanta
