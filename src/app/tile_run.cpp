#include "app/tile_run.h"

#include <algorithm>
#include <filesystem>

#include "app/app_state.h"
#include "app/error_policy.h"
#include "app/google_earth.h"
#include "app/input_checks.h"
#include "app/open_image.h"
#include "app/paths.h"
#include "imagery/georeference.h"
#include "imagery/piece_world_files.h"
#include "kml/kml_layout.h"
#include "kml/kml_tree.h"
#include "kml/tree_inputs.h"
#include "platform/file_list.h"
#include "platform/scratch_files.h"
#include "tiling/grid_splitter.h"

namespace orvanta {
namespace {

// Where the pixels of the image lie on the globe, by the georeference the KML pass reads.
GlobeWindow globeOf(AppState& app, const std::string& image) {
    TileSource tile = folderTile(folderOf(image), std::filesystem::path(image).filename().string());
    tile.worldFilePath = worldFilePathFor(app.settings, tile.worldFilePath);
    const std::string found = locateWorldFile(app.host(), tile);
    if (const std::optional<WorldFile> own =
            found.empty() ? embeddedWorldFile(image) : std::nullopt)
        return globeWindow(*own, app.settings.exactEdges);
    return worldFileGlobe(found, app.settings.exactEdges);
}

}  // namespace

SplitRequest splitRequest(AppState& app, const TileRun& run) {
    const ProjectSettings& s = app.settings;
    SplitRequest request;
    request.sizeClass = run.sizeClass;
    request.root = run.root;
    request.singleImage = run.singleImage;
    if (run.singleImage) {
        request.images = {{run.image, run.imageName}};
    } else {
        request.images = folderImages(run.sources, run.leftOut);
    }
    for (SourceImage& image : request.images)
        image.globe = globeOf(app, image.path);
    request.tiles.format = s.outputFormat;
    request.tiles.quality = s.jpegQuality;
    if (s.transparent)
        request.tiles.transparentColour = s.transparentColour;
    if (app.run.paddedPieces)
        request.edges = PaddedEdges{
            app.paddedPieceNames, largeImageSettings(app.options).background, app.paddedPieceAreas};
    if (run.sizeClass == SizeClass::S4096) {
        request.memoryMb = largeImageSettings(app.options).ramLimitMb;
        // The marker naming a single image is written once.
        const std::string marker = joinPath(run.root, run.imageName + ".txt");
        std::error_code ignored;
        if (run.singleImage && !std::filesystem::exists(marker, ignored))
            request.nameMarker = marker;
    }
    request.jobs = app.jobs;
    request.engine = app.engine;
    request.resume = app.resume;
    request.skipEmptyTiles = s.skipEmptyTiles;
    return request;
}

namespace {

KmlTreeRequest kmlRequest(const AppState& app, const TileRun& run) {
    const ProjectSettings& s = app.settings;
    KmlTreeRequest request;
    request.sizeClass = run.sizeClass;
    request.root = run.root;
    request.rootFile = run.rootFile;
    if (run.singleImage) {
        request.sources = {singleImageTile(folderOf(run.image), run.imageName, run.image)};
    } else {
        for (const std::string& entry : listFiles(run.sources, kImagePattern)) {
            if (std::find(run.leftOut.begin(), run.leftOut.end(), entry) == run.leftOut.end())
                request.sources.push_back(folderTile(run.sources, entry));
        }
    }
    for (TileSource& source : request.sources)
        source.worldFilePath = worldFilePathFor(s, source.worldFilePath);
    request.imageName = run.imageName;
    if (s.hostOnWebServer)
        request.url = s.webServerUrl;
    request.order = run.order;
    request.relativeLinks = s.relativeLinks;
    request.leaveOutEmptyCells = s.skipEmptyTiles;
    request.exactEdges = s.exactEdges;
    return request;
}

}  // namespace

bool claimFolder(AppState& app, const std::string& folder, std::optional<FolderLock>& lock) {
    std::vector<std::string> written = treeFolderPaths(folder);
    written.push_back(folderOf(backgroundPicturePath(folder)));
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    lock.emplace(folder, written);
    if (!lock->held()) {
        app.host().messageBox(lock->refusal(), kAppTitle);
        app.outcome.note(Ending::Failed);
        return false;
    }
    // Only the folders the run writes: what lies deeper (an input folder's own subfolders)
    // is never touched.
    for (const std::string& each : written)
        removeStaleScratch(each);
    return true;
}

std::optional<LatLonBounds> runTiles(AppState& app, const TileRun& run) {
    if (run.sizeClass == SizeClass::None)
        return std::nullopt;
    std::optional<FolderLock> lock;
    std::error_code ignored;
    if ((!run.kmlOnly || std::filesystem::is_directory(run.root, ignored)) &&
        !claimFolder(app, run.root, lock)) {
        return std::nullopt;
    }
    removeStaleScratch(folderOf(run.rootFile));
    if (!run.kmlOnly) {
        const SplitRequest request = splitRequest(app, run);
        std::vector<std::string> images;
        for (const SourceImage& image : request.images)
            images.push_back(image.path);
        // Padded pieces of a large image may reach beyond the globe when the person chose so.
        if (!app.run.paddedPieces && !worldFilesPlaceImages(app, images))
            return std::nullopt;
        RunErrorPolicy policy(app);
        if (!splitImages(app.host(), policy, request)) {
            app.outcome.note(Ending::Failed);
            return std::nullopt;
        }
        policy.finish();
    }
    RunErrorPolicy policy(app);
    app.folderBounds = EmptyRootBounds();
    std::optional<TreeIndex> tree = writeKmlTree(app.host(), policy, kmlRequest(app, run));
    if (!tree) {
        if (!policy.ended())
            policy.finish();  // tells of the files that could not be written
        app.outcome.note(Ending::Failed);
        return std::nullopt;
    }
    app.folderBounds = tree->bounds;
    app.outcome.trees.push_back(std::move(*tree));
    if (run.openWhenDone)
        openInGoogleEarth(app, run.rootFile);
    policy.finish();
    return app.folderBounds;
}

TileRun singleImageRun(const AppState& app, bool kmlOnly) {
    const ProjectSettings& s = app.settings;
    TileRun run;
    run.sizeClass = app.run.sizeClass;
    run.singleImage = true;
    run.root = joinPath(outputBase(s, s.imageFolder), s.imageName);
    run.rootFile = singleImageTopFile(s, run.root);
    run.image = s.projectImage;
    run.imageName = s.imageName;
    run.order = s.drawOrder;
    run.kmlOnly = kmlOnly;
    run.openWhenDone = s.openWhenDone;
    return run;
}

TileRun folderRun(const AppState& app, bool kmlOnly) {
    const ProjectSettings& s = app.settings;
    TileRun run;
    run.sizeClass = app.run.sizeClass;
    run.sources = run.sizeClass == SizeClass::S4096 ? app.run.root4096 : s.tilesFolder;
    run.root = outputBase(s, run.sources);
    run.rootFile = joinPath(run.root, s.projectName + ".kml");
    run.imageName = s.imageName;
    run.leftOut = app.run.imagesLeftOut;
    run.order = s.drawOrder;
    run.kmlOnly = kmlOnly;
    run.openWhenDone = s.openWhenDone;
    return run;
}

TileRun currentRun(const AppState& app, SizeClass sizeClass, bool kmlOnly) {
    TileRun run = app.run.singleImage ? singleImageRun(app, kmlOnly) : folderRun(app, kmlOnly);
    run.sizeClass = sizeClass;
    if (!run.singleImage && sizeClass == SizeClass::S4096) {
        run.sources = app.run.root4096;
        run.root = outputBase(app.settings, run.sources);
    }
    return run;
}

void openInGoogleEarth(AppState& app, const std::string& kmlPath) {
    for (bool chosen = false;; chosen = true) {
        try {
            StartGoogleEarth(app, kmlPath);
            return;
        } catch (const RunError& error) {
            const std::string failure = std::to_string(error.number()) + " " + error.description();
            // A program that is not where the settings say is the usual case: one question
            // says so and offers to choose it, once.
            if (error.number() == errors::FileNotFound && !chosen) {
                if (chooseGoogleEarthProgram(app, failure))
                    continue;
            } else {
                app.host().messageBox(failure, kAppTitle);
            }
            app.outcome.googleEarthFailed = true;
            return;
        }
    }
}

}  // namespace orvanta
