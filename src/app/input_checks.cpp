#include "app/input_checks.h"

#include "app/app_state.h"
#include "app/paths.h"

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

bool scanTilesFolder(AppState& app, const std::string& folder, bool makeWorldFiles) {
    const ProjectSettings& s = app.settings;
    // A folder checked for the batch list gets the world files it needs in its own tile root.
    const std::string made = s.outputFolder.empty() ? ""
                             : s.multipleFolders    ? batchFolderRoot(s, folder)
                                                    : madeWorldFileFolder(s, folder);
    const FolderScan scan = scanFolder(app.host(), folder, made, makeWorldFiles);
    if (!scan.scannedImages)
        return false;
    keepFacts(app, scan.lastFacts);
    app.settings.kmlFolder = folder;
    app.settings.imageName.clear();
    if (scan.sizeClass)
        app.run.sizeClass = *scan.sizeClass;
    app.run.scan.reset();
    if (scan.usable && scan.sizeClass)
        app.run.scan = ScannedFolder{folder, *scan.sizeClass, scan.imagesLeftOut};
    return scan.usable;
}

}  // namespace orvanta
