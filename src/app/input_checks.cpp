#include "app/input_checks.h"

#include "app/app_state.h"
#include "app/paths.h"
#include "app/reprojection.h"
#include "app/tile_run.h"
#include "app/transform.h"
#include "imagery/geo_image.h"
#include "platform/file_list.h"
#include "platform/path_names.h"

namespace orvanta {
namespace {

void keepFacts(AppState& app, const ImageFacts& facts) {
    app.imageHeader = facts.header;
    app.settings.widthText = facts.widthText;
    app.settings.heightText = facts.heightText;
    app.settings.bitDepthText = facts.bitDepthText;
    app.settings.resolutionText = facts.resolutionText;
    app.greyscaleText = facts.greyscaleText;
}

}  // namespace

std::vector<std::string> jobImages(const AppState& app) {
    const ProjectSettings& s = app.settings;
    std::vector<std::string> images;
    const auto addFolder = [&](const std::string& folder) {
        for (const std::string& entry : listFiles(folder, kImagePattern))
            images.push_back(joinPath(folder, entry));
    };
    switch (chooseRun(s)) {
        case RunKind::MultiResolution:
            return s.multiResolutionImages;
        case RunKind::SingleImage:
            return {s.projectImage};
        case RunKind::Batch:
            for (const std::string& folder : s.batchFolders)
                addFolder(folder);
            break;
        case RunKind::Folder:
            addFolder(folderRun(app, false).sources);
            break;
    }
    return images;
}

bool classifyImage(AppState& app, const std::string& path) {
    return classifyImage(app, path, readImageFacts(path));
}

bool classifyImage(AppState& app, const std::string& path, const ImageFacts& facts) {
    keepFacts(app, facts);
    if (const std::optional<SizeClass> sizeClass = sizeClassOf(facts)) {
        app.run.sizeClass = *sizeClass;
    } else if (!app.run.largeImageMode) {
        app.host().messageBox(notTileSizeRefusal(path, facts, app.largeImageCommand), kAppTitle);
        return false;
    } else {
        app.run.sizeClass = SizeClass::None;
    }
    return true;
}

bool worldFilesPlaceImages(AppState& app, const std::vector<std::string>& images) {
    for (const std::string& image : images) {
        // A warped image's own georeference is in another system: the warp places it.
        if (const WarpedProjectImage* warped = warpedProjectImage(app);
            warped && warped->source.path == image) {
            continue;
        }
        const std::string world =
            findWorldFile(folderOf(image), baseNameOf(image), GetFileExtension(image));
        if (world.empty())
            continue;
        const ImageHeaderInfo header = readImageFacts(image).header;
        const std::string refusal =
            worldFileRefusal(world, header.width, header.height, kImageNotWgs84Message);
        if (!refusal.empty()) {
            app.host().messageBox(refusal, kAppTitle);
            app.outcome.note(Ending::Declined);
            return false;
        }
    }
    return true;
}

bool scanTilesFolder(AppState& app, const std::string& folder, bool makeWorldFiles) {
    const std::string& output = app.settings.outputFolder;
    const FolderScan scan =
        scanFolder(app.host(), folder,
                   output.empty() ? "" : madeWorldFileFolder(app.settings, folder), makeWorldFiles);
    if (!scan.scannedImages)
        return false;
    keepFacts(app, scan.lastFacts);
    app.settings.kmlFolder = folder;
    app.settings.imageName.clear();
    if (scan.sizeClass)
        app.run.sizeClass = *scan.sizeClass;
    app.run.imagesLeftOut = scan.imagesLeftOut;
    return scan.usable;
}

}  // namespace orvanta
