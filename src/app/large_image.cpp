#include "app/large_image.h"

#include "app/app_state.h"
#include "app/error_policy.h"
#include "app/input_checks.h"
#include "app/job_run.h"
#include "app/paths.h"
#include "app/reprojection.h"
#include "app/transform.h"
#include "imagery/georeference.h"
#include "imagery/globe.h"
#include "imagery/piece_world_files.h"
#include "magick/commands.h"
#include "platform/file_lookup.h"

namespace orvanta {

void resetForOpenLargeImage(AppState& app) {
    app.run.largeImageMode = true;
    clearOtherInputs(app);
}

bool openLargeImageFile(AppState& app, const std::string& path) {
    // Transform is the step that slices the image, so an accepted image enables it.
    return openImageFile(app, path, false);
}

std::optional<Preview> OpenLargeImage(AppState& app) {
    resetForOpenLargeImage(app);
    const std::string path = app.host().chooseOpenFile(
        kOpenLargeImageTitle, std::string(kOpenLargeImageFilter) + kLongImageExtensions);
    if (path.empty() || !openLargeImageFile(app, path) || !app.settings.previewImage)
        return std::nullopt;
    return ImagePreview(app);
}

Outcome SliceLargeImage(AppState& app) {
    JobSettings settings = jobSettings(app, false);
    settings.project.projectImage = app.settings.largeImage;
    settings.project.multiResolution = false;
    settings.largeImage = true;
    settings.sliceOnly = true;
    return performJob(settings, {app.host(), app.settings.googleEarthProgram});
}

bool PieceWorldFiles(AppState& app) {
    ProjectSettings& settings = app.settings;
    const std::string folder = largePieceFolder(settings);
    RunErrorPolicy policy(app);
    PieceWorldPlan plan;
    app.paddedPieceNames.clear();
    app.paddedPieceAreas.clear();
    policy.run([&] {
        // A warped image is cut on its grid; an image without a world file is placed by the
        // georeference it holds itself.
        if (const WarpedProjectImage* warped = warpedProjectImage(app)) {
            plan = planPieceWorldFiles(warped->grid.width, warped->grid.height,
                                       gridWorldFile(warped->grid), settings.imageName);
            return;
        }
        const std::string worldPath = findFileLoosely(projectWorldFilePath(settings));
        const std::optional<WorldFile> own =
            worldPath.empty() ? embeddedWorldFile(settings.projectImage) : std::nullopt;
        plan = planPieceWorldFiles(
            static_cast<int>(app.imageHeader.width), static_cast<int>(app.imageHeader.height),
            own ? *own
                : readWorldFile(worldPath.empty() ? projectWorldFilePath(settings) : worldPath),
            settings.imageName);
    });
    if (policy.ended())
        return false;
    app.paddedPieceNames = plan.paddedPieceNames;
    app.paddedPieceAreas = plan.paddedPieceAreas;
    app.run.paddedPieces = plan.paddedPieces;
    const PictureFormat pieceFormat =
        largePieceFormat(jobSettings(app, false), imageHasAlpha(settings.projectImage));
    if (!placePieces(app.host(), policy, folder, settings.imageName, plan, pieceFormat,
                     largeImageSettings(app.options).background)) {
        return false;
    }
    settings.tilesFolder = folder;
    settings.kmlFolder = folder;
    app.run.root4096 = folder;
    app.run.sizeClass = SizeClass::None;
    policy.finish();
    return scanTilesFolder(app, folder);
}

}  // namespace orvanta
