#include "app/large_image.h"

#include <cstdlib>
#include <filesystem>

#include "app/app_state.h"
#include "app/error_policy.h"
#include "app/input_checks.h"
#include "app/paths.h"
#include "app/tile_run.h"
#include "imagery/georeference.h"
#include "imagery/globe.h"
#include "imagery/piece_world_files.h"
#include "magick/commands.h"
#include "platform/file_lookup.h"
#include "tiling/grid_splitter.h"
#include "tiling/large_slicer.h"
#include "tiling/warped_image.h"

namespace orvanta {
namespace {

int sizeText(const std::string& text) {
    return std::atoi(text.c_str());
}

struct SlicedSize {
    int width = 0;
    int height = 0;
};

// The size of what is sliced: the project image, or its warped form.
SlicedSize slicedSize(const AppState& app) {
    if (const WarpedProjectImage* warped = warpedProjectImage(app))
        return {warped->grid.width, warped->grid.height};
    return {sizeText(app.settings.widthText), sizeText(app.settings.heightText)};
}

// The world file of what is sliced. Throws RunError 53 when the project image has none.
WorldFile slicedWorldFile(const AppState& app) {
    if (const WarpedProjectImage* warped = warpedProjectImage(app))
        return gridWorldFile(warped->grid);
    const std::string found = findFileLoosely(projectWorldFilePath(app.settings));
    if (found.empty()) {
        if (std::optional<WorldFile> own = embeddedWorldFile(app.settings.projectImage))
            return *own;
    }
    return readWorldFile(found.empty() ? projectWorldFilePath(app.settings) : found);
}

// The extent of the image's padded pieces, when its world file can be read.
std::optional<PieceExtent> sourcePieceExtent(const AppState& app) {
    try {
        const SlicedSize size = slicedSize(app);
        return paddedPieceExtent(size.width, size.height, slicedWorldFile(app));
    } catch (const RunError&) {
        return std::nullopt;  // the world-file step reports it
    }
}

// The pieces of the project image, from its size and its world file. Pieces of a warped image
// that reach beyond its outline are padded too: they hold background where it has no pixels.
PieceWorldPlan planFromSource(const AppState& app) {
    const SlicedSize size = slicedSize(app);
    PieceWorldPlan plan =
        planPieceWorldFiles(size.width, size.height, slicedWorldFile(app), app.settings.imageName);
    if (const WarpedProjectImage* warped = warpedProjectImage(app)) {
        // Resampling blends a pixel or two beyond the outline.
        constexpr double kBlend = 2;
        for (const int k : piecesReachingOutside(warped->outline, size.width, size.height, kBlend))
            listPaddedPiece(plan, k, size.width, size.height, app.settings.imageName);
    }
    return plan;
}

SliceSettings sliceSettings(AppState& app) {
    const LargeImageSettings large = largeImageSettings(app.options);
    SliceSettings slice{large.ramLimitMb,
                        large.diskLimitGb,
                        largePieceFormat(app),
                        app.resume,
                        app.engine,
                        app.jobs,
                        large.background,
                        imageHasAlpha(app.settings.projectImage)};
    if (const WarpedProjectImage* warped = warpedProjectImage(app)) {
        slice.source = warpedImage(warped->source, warped->grid, app.reprojection.resampling,
                                   large.background, warped->keepAlpha);
        slice.alpha = warped->keepAlpha;
    }
    return slice;
}

// Plans the pieces of the project image and notes which are padded; false when the policy
// ended the operation.
bool notePieces(AppState& app, RunErrorPolicy& policy, PieceWorldPlan& plan) {
    app.paddedPieceNames.clear();
    app.paddedPieceAreas.clear();
    policy.run([&] { plan = planFromSource(app); });
    if (policy.ended())
        return false;
    app.paddedPieceNames = plan.paddedPieceNames;
    app.paddedPieceAreas = plan.paddedPieceAreas;
    app.run.paddedPieces = plan.paddedPieces;
    return true;
}

// Gives the sliced pieces their world files, pads the short ones unless the slicer did, and
// scans their folder for the 4096 run.
bool placeSlicedPieces(AppState& app, bool padded) {
    ProjectSettings& settings = app.settings;
    const LargeImageSettings large = largeImageSettings(app.options);
    const std::string folder = largePieceFolder(settings);
    RunErrorPolicy policy(app);
    PieceWorldPlan plan;
    if (!notePieces(app, policy, plan))
        return false;
    if (!placePieces(app.host(), policy, folder, settings.imageName, plan, largePieceFormat(app),
                     padded ? std::nullopt : std::optional(large.background))) {
        return false;
    }
    settings.tilesFolder = folder;
    settings.kmlFolder = folder;
    app.run.root4096 = folder;
    app.run.sizeClass = SizeClass::None;
    policy.finish();
    if (!scanTilesFolder(app, folder)) {
        app.outcome.note(Ending::Failed);
        return false;
    }
    return true;
}

// Cuts the large image into its pieces and tiles each from the pixels in memory, then gives
// the pieces their world files and scans their folder, so that only the KML remains to write.
bool cutAndTilePieces(AppState& app, RunErrorPolicy& policy, int pieces,
                      const SliceSettings& slice) {
    const ProjectSettings& settings = app.settings;
    const std::string folder = largePieceFolder(settings);
    PieceWorldPlan plan;
    if (!notePieces(app, policy, plan))
        return false;
    removePiecesBeyond(folder, settings.imageName, pieces, slice.pieceFormat);
    TileRun run = folderRun(app, false);
    run.sizeClass = SizeClass::S4096;
    run.root = run.sources = folder;
    SplitRequest request = splitRequest(app, run);
    bool split = false;
    policy.run([&] {
        request.cut =
            PiecesToCut{slice.source ? *slice.source : PixelImage::open(settings.largeImage),
                        settings.largeImage,
                        settings.imageName,
                        slice.pieceFormat,
                        slice.background,
                        {}};
        request.cut->globes.resize(plan.pieces.size());
        for (const PiecePlan& piece : plan.pieces) {
            request.cut->globes[piece.k] =
                globeWindow(parseWorldFile(piece.worldFileText), settings.exactEdges);
        }
        split = splitImages(app.host(), policy, request);
    });
    app.doEvents();
    policy.finish();
    std::error_code ignored;
    if (!split || !std::filesystem::exists(
                      pieceImagePath(folder, settings.imageName, 0, slice.pieceFormat), ignored)) {
        return false;
    }
    return placeSlicedPieces(app, true);
}

}  // namespace

bool piecesTiledAsCut(AppState& app) {
    return app.engine == PixelEngine::Vips && cutInStream(largePieceFormat(app));
}

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
    const std::string path = app.host().chooseOpenFile(kOpenLargeImageTitle, kOpenLargeImageFilter);
    if (path.empty() || !openLargeImageFile(app, path) || !app.settings.previewImage)
        return std::nullopt;
    return ImagePreview(app);
}

bool SliceLargeImage(AppState& app, bool tile) {
    const ProjectSettings& settings = app.settings;
    if (const auto extent = sourcePieceExtent(app); extent && beyondTheGlobe(*extent)) {
        if (!app.host().askYesNo(beyondTheGlobeQuestion(*extent), kAppTitle,
                                 MessageIcon::Exclamation)) {
            app.outcome.note(Ending::Declined);
            return false;
        }
    }
    if (refuseOversizedImage(app))
        return false;
    const SliceSettings slice = sliceSettings(app);
    const std::string folder = largePieceFolder(settings);
    std::optional<FolderLock> lock;
    if (!claimFolder(app, folder, lock))
        return false;
    // The vips band writer pads the pieces it cuts.
    const bool padded = app.engine == PixelEngine::Vips || slice.source;
    RunErrorPolicy policy(app);
    const SlicedSize size = slicedSize(app);
    const PieceGrid grid = pieceGrid(size.width, size.height);
    if (tile && piecesTiledAsCut(app))
        return cutAndTilePieces(app, policy, grid.columns * grid.rows, slice);
    const bool sliced = slicePieces(policy, settings.largeImage, folder, settings.imageName,
                                    grid.columns * grid.rows, slice);
    app.doEvents();
    policy.finish();  // tells of a failed crop; pieces it did write are still used
    if (!sliced)
        return false;
    return placeSlicedPieces(app, padded);
}

bool refuseOversizedImage(AppState& app) {
    const SlicedSize size = slicedSize(app);
    const auto refusal = sliceRefusal(size.width, size.height, sliceSettings(app));
    if (!refusal)
        return false;
    app.host().messageBox(*refusal, kAppTitle);
    app.outcome.note(Ending::Failed);
    return true;
}

PictureFormat largePieceFormat(AppState& app) {
    const PictureFormat chosen = largeImageSettings(app.options).pieceFormat;
    if (chosen == PictureFormat::Jpg && !app.pieceFormatChosen &&
        imageHasAlpha(app.settings.projectImage))
        return PictureFormat::Png;
    return chosen;
}

bool PieceWorldFiles(AppState& app) {
    return placeSlicedPieces(app, false);
}

}  // namespace orvanta
