#include "app/input_checks.h"

#include "app/app_state.h"

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
    const ImageFacts facts = readImageFacts(path);
    keepFacts(app, facts);
    if (const std::optional<SizeClass> sizeClass = sizeClassOf(facts)) {
        app.run.sizeClass = *sizeClass;
    } else if (!app.run.largeImageMode) {
        app.host().messageBox(kNotTileSizeMessage, kAppTitle);
        return false;
    } else {
        app.run.sizeClass = SizeClass::None;
    }
    return true;
}

bool scanTilesFolder(AppState& app, const std::string& folder) {
    const FolderScan scan = scanFolder(app.host(), folder);
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
