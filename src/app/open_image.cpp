#include "app/open_image.h"

#include <algorithm>
#include <filesystem>

#include "app/error_policy.h"
#include "app/input_checks.h"
#include "app/paths.h"
#include "app/reprojection.h"
#include "imagery/geo_image.h"
#include "imagery/georeference.h"
#include "imagery/geotiff.h"
#include "imagery/world_file.h"
#include "platform/file_lookup.h"
#include "platform/os_services.h"

namespace orvanta {

PreviewSize previewSize(int w, int h) {
    if (w <= kPreviewMaxWidth && h <= kPreviewMaxHeight)
        return {w, h, true};
    // Whole hundredths of the fit, in exact integer arithmetic so that 0.08 x 0.72 does not
    // come out a hair below 0.0576 and lose a pixel.
    const long long hundredths =
        h < w ? kPreviewMaxWidth * 100LL / w : kPreviewMaxHeight * 100LL / h;
    const auto scaled = [hundredths](int side) {
        return static_cast<int>(side * hundredths * 72 / 10000);
    };
    return {scaled(w), scaled(h), false};
}

ViewerGeometry viewerGeometry(const PreviewSize& picture, int screenWidthPixels,
                              int screenHeightPixels, int twipsPerPixel) {
    ViewerGeometry geometry;
    geometry.width = picture.width * twipsPerPixel + 100;
    geometry.height = picture.height * twipsPerPixel + 430;
    geometry.left = (screenWidthPixels * twipsPerPixel - geometry.width) / 2;
    geometry.top = (screenHeightPixels * twipsPerPixel - geometry.height) / 2;
    return geometry;
}

void resetForOpenImage(AppState& app) {
    app.run.largeImageMode = false;
    app.settings.largeImage.clear();
    clearOtherInputs(app);
    app.lastOutcome = {};
}

void clearOtherInputs(AppState& app) {
    ProjectSettings& settings = app.settings;
    settings.batchFolders.clear();
    if (!settings.multiResolution) {
        settings.multiResolutionImages.clear();
        settings.multiResolutionFolders.clear();
    }
    app.run.paddedPieces = false;
    settings.multipleFolders = false;
    app.applyMultipleDirectoriesRule();
    settings.tilesFolder.clear();
    settings.imageName.clear();
    app.run.kmlOnly = false;
}

void takeProjectImage(AppState& app, const std::string& path) {
    app.settings.projectImage = path;
    app.settings.imageFolder = GetProjDir(path, app.settings);
}

std::string worldFilePathFor(const ProjectSettings& settings, const std::string& beside) {
    if (settings.outputFolder.empty() || GetFileExtension(beside) != "tfw" ||
        !findFileLoosely(beside).empty()) {
        return beside;
    }
    return joinPath(madeWorldFileFolder(settings, folderOf(beside)),
                    std::filesystem::path(beside).filename().string());
}

std::string projectWorldFilePath(const ProjectSettings& settings) {
    const std::string extension = GetFileExtension(settings.projectImage);
    if (std::string found = findWorldFile(settings.imageFolder, settings.imageName, extension);
        !found.empty()) {
        return found;
    }
    return worldFilePathFor(settings, settings.imageFolder + kPathSeparator + settings.imageName +
                                          "." + getworldfile(extension));
}

bool acceptProjectWorldFile(AppState& app, const std::string& path, const ImageHeaderInfo& header) {
    const std::string found = findFileLoosely(path);
    const std::string& image = app.settings.projectImage;
    // Without a world file, the georeference the image holds itself.
    const std::optional<WorldFile> own = found.empty() ? embeddedWorldFile(image) : std::nullopt;
    if (found.empty() && !own) {
        app.host().messageBox(imageWithoutWorldFileMessage(image), kAppTitle);
        app.closeProject();
        return false;
    }
    const std::string refusal =
        own ? georeferenceRefusal(image, *own, header.width, header.height, kImageNotWgs84Message)
            : worldFileRefusal(found, header.width, header.height, kImageNotWgs84Message,
                               unreferencedImageText(image));
    if (!refusal.empty()) {
        app.host().messageBox(refusal, kAppTitle);
        app.closeProject();
        return false;
    }
    return true;
}

bool openChosenImage(AppState& app, const std::string& path, bool convertGeoTiff) {
    takeProjectImage(app, path);
    const std::string worldPath = projectWorldFilePath(app.settings);
    if (convertGeoTiff && findFileLoosely(worldPath).empty() &&
        GetFileExtension(worldPath) == "tfw") {
        convertGeoTiffInto(app.host(), path, worldPath);
    }
    // The size first: the world file must place the whole image on the globe.
    const ImageFacts facts = readImageFacts(path);
    if (const std::optional<bool> warped = decideReprojection(app, worldPath, facts)) {
        if (!*warped)
            app.closeProject();
        return *warped;
    }
    if (!acceptProjectWorldFile(app, worldPath, facts.header))
        return false;
    if (!classifyImage(app, path, facts)) {
        app.closeProject();
        return false;
    }
    return true;
}

std::optional<Preview> ImagePreview(AppState& app) {
    if (app.settings.projectImage.empty())
        return std::nullopt;
    const PreviewSize size = previewSize(static_cast<int>(app.imageHeader.width),
                                         static_cast<int>(app.imageHeader.height));
    // A sliver of an image still shows as at least one pixel across.
    int width = size.fullSize ? -1 : std::max(size.width, 1);
    int height = size.fullSize ? -1 : std::max(size.height, 1);
    std::optional<Preview> preview;
    RunErrorPolicy policy(app);
    policy.run([&] {
        preview = Preview{
            LoadPictureResized(app.settings.projectImage, width, height, kPreviewBackground), size};
    });
    policy.finish();
    return preview;
}

bool openImageFile(AppState& app, const std::string& path, bool convertGeoTiff) {
    bool accepted = false;
    RunErrorPolicy policy(app);
    policy.run([&] { accepted = openChosenImage(app, path, convertGeoTiff); });
    policy.finish();
    if (accepted && !app.settings.multiResolution)
        app.enabled.transform = true;
    return accepted;
}

std::optional<Preview> OpenImage(AppState& app) {
    resetForOpenImage(app);
    const std::string path = app.host().chooseOpenFile(
        kOpenImageTitle, std::string(kOpenImageFilter) + kLongImageExtensions);
    if (path.empty() || !openImageFile(app, path))
        return std::nullopt;
    if (app.settings.previewImage)
        return ImagePreview(app);
    return std::nullopt;
}

}  // namespace orvanta
