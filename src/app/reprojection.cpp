#include "app/reprojection.h"

#include "app/app_state.h"
#include "app/batch.h"
#include "app/error_policy.h"
#include "app/google_earth.h"
#include "app/input_checks.h"
#include "app/job_run.h"
#include "app/large_image.h"
#include "app/open_image.h"
#include "app/paths.h"
#include "app/transform.h"
#include "imagery/folder_scan.h"
#include "imagery/geo_image.h"
#include "imagery/georeference.h"
#include "imagery/number_text.h"
#include "platform/file_list.h"
#include "platform/path_names.h"
#include "platform/run_error.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

std::string sizeText(const WarpGrid& grid) {
    return std::to_string(grid.width) + " x " + std::to_string(grid.height);
}

// Refuses the image with the WGS84 message and a second sentence; false.
bool refuse(AppState& app, const std::string& detail) {
    app.host().messageBox(std::string(kImageNotWgs84Message) + " " + detail, kAppTitle);
    return false;
}

}  // namespace

WorldFile gridWorldFile(const WarpGrid& grid) {
    WorldFile world;
    world.A = FormatNumber(grid.pixelWidth);
    world.D = "0";
    world.B = "0";
    world.E = FormatNumber(-grid.pixelHeight);
    world.C = FormatNumber(grid.west + grid.pixelWidth / 2);
    world.F = FormatNumber(grid.north - grid.pixelHeight / 2);
    world.lineCount = 6;
    return world;
}

const WarpedProjectImage* warpedProjectImage(const AppState& app) {
    const std::optional<WarpedProjectImage>& warped = app.warpedImage;
    return warped && warped->source.path == app.settings.projectImage ? &*warped : nullptr;
}

std::optional<bool> decideReprojection(AppState& app, const std::string& worldPath,
                                       const ImageFacts& facts) {
    app.warpedImage.reset();
    const ReprojectionSettings& chosen = app.reprojection;
    const std::string& image = app.settings.projectImage;
    std::optional<Georeference> found;
    try {
        found = readGeoreference(image, worldPath);
    } catch (const RunError&) {
        return std::nullopt;  // a world file that cannot be read: the world-file checks tell
    }
    const std::optional<GeoTransform> transform = found ? transformOf(found->world) : std::nullopt;
    if (!transform)
        return std::nullopt;  // the world-file checks tell what is missing
    const std::string system =
        chosen.sourceSystem.empty() ? found->coordinateSystem : chosen.sourceSystem;
    const bool inDegrees = isWgs84(found->world);
    const bool otherSystem = !system.empty() && !isWgs84LatLon(system);
    // An image in degrees goes on as it always did, unless it names another system and the
    // person chose to warp it.
    if (inDegrees && !(otherSystem && chosen.choice == ReprojectionChoice::Warp))
        return std::nullopt;
    // One that fails the WGS84 test is refused as before unless warping is chosen; warping
    // from WGS84 itself cannot place it.
    if (!inDegrees &&
        (chosen.choice == ReprojectionChoice::Refuse || (!system.empty() && !otherSystem)))
        return std::nullopt;
    if (system.empty()) {
        return refuse(app,
                      "The image names no coordinate system to warp it from: name it with "
                      "--source-srs CODE (for example EPSG:32633), or give the image a .prj file.");
    }
    const std::string systemName = coordinateSystemName(system);
    if (chosen.choice == ReprojectionChoice::Ask &&
        !app.host().askYesNo(std::string(kImageNotWgs84Message) + " It is in " + systemName +
                                 ". Warp it to WGS84 latitude/longitude and slice it as a large "
                                 "image?",
                             kAppTitle, MessageIcon::Question)) {
        return false;
    }
    const RasterFacts raster = readRasterFacts(image);
    if (const std::optional<std::string> why = warpRefusal(raster))
        return refuse(app, *why);
    WarpedProjectImage warped{{image, *transform, system}, {}, raster.hasAlpha, {}};
    warped.grid = wgs84Grid(warped.source, raster.width, raster.height);
    warped.outline = sourceOutline(warped.source, raster.width, raster.height, warped.grid);
    app.warpedImage = warped;
    // A large image whatever its size: its pieces are cut from the warped pixels.
    app.run.largeImageMode = true;
    classifyImage(app, image, facts);
    app.run.sizeClass = SizeClass::None;
    app.setStatus(baseNameOf(image) + " is in " + systemName +
                  ": it is warped to WGS84 latitude/longitude (" +
                  resamplingName(chosen.resampling) + ", " + sizeText(warped.grid) +
                  " pixels) and sliced as a large image.");
    return true;
}

std::vector<std::string> imagesToWarp(const AppState& app,
                                      const std::vector<std::string>& folders) {
    std::vector<std::string> images;
    if (app.reprojection.choice != ReprojectionChoice::Warp)
        return images;
    for (const std::string& folder : folders) {
        for (const std::string& name : listFiles(folder, kImagePattern)) {
            const std::string image = joinPath(folder, name);
            std::optional<Georeference> found;
            try {
                found = readGeoreference(
                    image, findWorldFile(folder, baseNameOf(name), GetFileExtension(name)));
            } catch (const RunError&) {
                continue;  // the folder scan tells of it
            }
            const std::string system = app.reprojection.sourceSystem.empty()
                                           ? (found ? found->coordinateSystem : "")
                                           : app.reprojection.sourceSystem;
            if (found && (!isWgs84(found->world) || (!system.empty() && !isWgs84LatLon(system))))
                images.push_back(image);
        }
    }
    return images;
}

Outcome TransformEachAsLargeImage(AppState& app, const std::vector<std::string>& folders,
                                  const std::string& topFile) {
    ProjectSettings& s = app.settings;
    const ProjectSettings chosen = s;
    std::vector<std::string> images, roots;
    for (const std::string& folder : folders) {
        for (const std::string& file : listFiles(folder, kImagePattern))
            images.push_back(joinPath(folder, file));
    }
    app.setStatus(
        "There are images in other coordinate systems than WGS84 latitude/longitude: "
        "each image is sliced as a large image, warped when it needs to be.");
    Outcome all;
    std::vector<LatLonBounds> bounds;
    for (std::size_t j = 0; j < images.size() && all.ending == Ending::Done; ++j) {
        resetForOpenLargeImage(app);
        // Each image's own tree: its root file is linked by the top file, which alone is
        // opened, previewed or packed.
        s.projectName = chosen.projectName + std::to_string(j);
        s.openWhenDone = s.previewPage = false;
        s.kmzFile.clear();
        if (!openLargeImageFile(app, images[j])) {
            all.note(Ending::Failed);
            break;
        }
        roots.push_back(largePieceFolder(s));
        const Outcome one = performJob(jobSettings(app, false), {app.host(), s.googleEarthProgram});
        all.note(one.ending);
        all.skippedSteps += one.skippedSteps;
        all.folders.insert(all.folders.end(), one.folders.begin(), one.folders.end());
        all.trees.insert(all.trees.end(), one.trees.begin(), one.trees.end());
        if (!one.folders.empty())
            bounds.push_back(one.folders.back().bounds);
    }
    s = chosen;
    if (all.ending == Ending::Done) {
        RunErrorPolicy policy(app.host(), all);
        policy.run([&] {
            const std::string linksFrom = s.relativeLinks ? folderOf(topFile) : "";
            writeFileAtomically(topFile, batchTopKmlText(s.projectName, batchBounds(bounds),
                                                         s.drawOrder, roots, linksFrom));
            all.topKmlFiles.push_back(topFile);
            all.googleEarthFile = topFile;
            all.successText = "Project files was written successfully...";
        });
        policy.finish();
        std::string program = s.googleEarthProgram;
        if (all.ending == Ending::Done && s.openWhenDone)
            openInGoogleEarth(app.host(), program, topFile, all);
    }
    return all;
}

}  // namespace orvanta
