#include "imagery/open_image.h"

#include <algorithm>

#include "app/error_policy.h"
#include "app/paths.h"
#include "imagery/geotiff.h"
#include "imagery/image_header.h"
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

std::string missingWorldFileMessage(const std::string& imagename, const std::string& worldExt,
                                    const std::string& projdir) {
    return "There are no reference 'world file' associated with this image. OVT cannot process "
           "unreferenced images. A World file named: '" +
           imagename + "." + worldExt + "' has to exists in the folder '" + projdir +
           kPathSeparator + "'";
}

void resetForOpenImage(AppState& app) {
    ProjectSettings& settings = app.settings;
    app.run.LargeImageMode = false;
    settings.Largeimage.clear();
    settings.List2.clear();
    if (settings.Check6 != 1) {
        settings.List1.clear();
        settings.List3.clear();
    }
    app.run.PaddedPieces = "0";
    settings.Check2 = 0;
    app.applyMultipleDirectoriesRule();
    settings.tilesdirr.clear();
    settings.imagename.clear();
    app.run.KmlOnlyMode = false;
    app.enabled.Command26 = false;
}

void takeProjectImage(AppState& app, const std::string& path) {
    app.settings.Projectimage = path;
    app.settings.projdir = GetProjDir(path, app.settings);
}

std::string projectWorldFilePath(const ProjectSettings& settings) {
    return settings.projdir + kPathSeparator + settings.imagename + "." +
           getworldfile(GetFileExtension(settings.Projectimage));
}

bool acceptProjectWorldFile(AppState& app, const std::string& path) {
    const std::string found = findFileLoosely(path);
    if (found.empty()) {
        const std::string extension = GetFileExtension(path);
        app.host().messageBox(
            missingWorldFileMessage(app.settings.imagename, extension, app.settings.projdir),
            kAppTitle);
        app.CloseProject();
        return false;
    }
    if (!isWgs84(readWorldFile(found))) {
        app.host().messageBox(kNotWgs84Message, kAppTitle);
        app.CloseProject();
        return false;
    }
    return true;
}

bool openChosenImage(AppState& app, const std::string& path, bool convertGeoTiff) {
    takeProjectImage(app, path);
    const std::string worldPath = projectWorldFilePath(app.settings);
    if (convertGeoTiff && findFileLoosely(worldPath).empty() &&
        GetFileExtension(worldPath) == "tfw") {
        orvanta::convertGeoTiff(app.host(), app.settings.projdir,
                                path.substr(app.settings.projdir.size() + 1));
    }
    if (!acceptProjectWorldFile(app, worldPath))
        return false;
    if (GetImageInfo(app, path) == 1) {
        app.CloseProject();
        return false;
    }
    return true;
}

std::optional<Preview> ImagePreview(AppState& app) {
    if (app.settings.Projectimage.empty())
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
            LoadPictureResized(app.settings.Projectimage, width, height, kPreviewBackground), size};
    });
    policy.finish();
    return preview;
}

bool openImageFile(AppState& app, const std::string& path) {
    bool accepted = false;
    RunErrorPolicy policy(app);
    policy.run([&] { accepted = openChosenImage(app, path, true); });
    policy.finish();
    if (accepted && app.settings.Check6 != 1)
        app.enabled.Command25 = true;
    return accepted;
}

std::optional<Preview> OpenImage(AppState& app) {
    resetForOpenImage(app);
    const std::string path = app.host().chooseOpenFile(kOpenImageTitle, kOpenImageFilter);
    if (path.empty() || !openImageFile(app, path))
        return std::nullopt;
    if (app.settings.Check5 == 1)
        return ImagePreview(app);
    return std::nullopt;
}

}  // namespace orvanta
