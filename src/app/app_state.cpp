#include "app/app_state.h"

namespace orvanta {

void AppState::setStatus(const std::string& text) {
    host_.statusChanged(text);
}

void AppState::startUp(const std::vector<std::string>& fixedDisks) {
    options.primaryDrives = fixedDisks;
    options.secondaryDrives = fixedDisks;
    run.sizeClass = SizeClass::None;
    settings.targetTileSize = kTileSizeChoices.front();
    settings.outputFormat = PictureFormat::Jpg;
    settings.drawOrder = DisplayOrder::Low;
    settings.jpegQuality = kQualityChoices.front();
}

void AppState::hostOnWebServerChanged() {
    enabled.webServerUrl = settings.hostOnWebServer;
}

void AppState::multipleFoldersChanged() {
    applyMultipleDirectoriesRule();
}

void AppState::applyMultipleDirectoriesRule() {
    const bool on = settings.multipleFolders;
    if (!on)
        settings.batchFolders.clear();
    enabled.batchFolders = enabled.addFolder = enabled.addSubfolders = enabled.removeFolder =
        enabled.clearFolders = on;
}

void AppState::transparentChanged() {
    if (settings.transparent) {
        settings.outputFormat = PictureFormat::Png;
        enabled.outputFormat = false;
    } else {
        enabled.outputFormat = true;
    }
}

void AppState::multiResolutionChanged() {
    if (settings.multiResolution) {
        host_.messageBox(
            "Please add first the High Resolution Image then add the low resolution Image.",
            kAppTitle);
    }
    applyMultiResolutionRule();
    enabled.transform = false;
    enabled.loadInGoogleEarth = false;
}

void AppState::applyMultiResolutionRule() {
    const bool on = settings.multiResolution;
    if (!on) {
        settings.multiResolutionImages.clear();
        settings.multiResolutionFolders.clear();
    }
    enabled.multiResolutionImages = enabled.addImage = enabled.removeImage = enabled.clearImages =
        on;
}

void AppState::chooseTransparentColour() {
    if (auto colour = host_.chooseColour(settings.transparentColour.value()))
        settings.transparentColour = Rgb::fromValue(*colour);
}

void AppState::closeProject() {
    settings.batchFolders.clear();
    settings.multiResolutionImages.clear();
    settings.multiResolutionFolders.clear();
    settings.multipleFolders = false;
    applyMultipleDirectoriesRule();
    settings.tilesFolder.clear();
    settings.projectImage.clear();
    settings.projectName.clear();
    settings.imageFolder.clear();
    settings.kmlFolder.clear();
    settings.previewImage = false;
    setStatus(kIdleStatus);
    run.paddedPieces = false;
    settings.largeImage.clear();
    run.largeImageMode = false;
    enabled.transform = false;
    settings.targetTileSize = "256x256";
    settings.transparentColour = {};
    settings.drawOrder = DisplayOrder::Low;
    settings.projectFile.clear();
    enabled.loadInGoogleEarth = false;
    settings.widthText.clear();
    settings.heightText.clear();
    settings.bitDepthText.clear();
    settings.resolutionText.clear();
    greyscaleText.clear();
    doEvents();
}

}  // namespace orvanta
