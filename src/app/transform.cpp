#include "app/transform.h"

#include <algorithm>
#include <array>

#include "app/app_state.h"
#include "app/batch.h"
#include "app/batch_shards.h"
#include "app/error_policy.h"
#include "app/input_checks.h"
#include "app/large_image.h"
#include "app/paths.h"
#include "app/tile_run.h"
#include "imagery/piece_world_files.h"
#include "kml/kmz.h"
#include "kml/preview_page.h"
#include "magick/commands.h"
#include "platform/file_lookup.h"
#include "platform/os_services.h"
#include "platform/path_names.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

// The root KML file of a pass of a multi-resolution job: IMAGE.kml beside its tile root.
std::string passFile(const ProjectSettings& s, const std::string& image) {
    return joinPath(outputBase(s, folderOf(image)), baseNameOf(image)) + ".kml";
}

// The top file of a multi-resolution job given a name: NAME.kml beside the high resolution
// tree. A name that would replace a pass's own file is refused before any work.
std::string namedTopFile(const ProjectSettings& s, const std::vector<std::string>& images) {
    const std::string top = joinPath(folderOf(passFile(s, images.front())), s.projectName + ".kml");
    for (const std::string& image : images) {
        if (passFile(s, image) == top) {
            throw RunError(errors::InvalidArgument, "The name " + s.projectName +
                                                        " would give the top file " + top +
                                                        " the name of the KML file of the image " +
                                                        image + ". Please choose another name.");
        }
    }
    return top;
}

// Writes the top file that links the root file of each pass in order.
void writeNamedTopFile(const ProjectSettings& s, const std::string& top,
                       const std::vector<std::string>& passFiles,
                       const std::vector<LatLonBounds>& bounds) {
    const std::string folder = folderOf(top);
    std::vector<std::pair<std::string, std::string>> links;
    for (const std::string& file : passFiles) {
        links.push_back(
            {baseNameOf(file), s.relativeLinks ? relativeLink(file, folder) : slashForm(file)});
    }
    writeFileAtomically(top, topKmlText(s.projectName, batchBounds(bounds), s.drawOrder, links));
}

// The two passes of a multi-resolution job: the first image as HIGH, the second as LOW, then
// Google Earth on both results, the high resolution first, when asked (on the one top file
// that links both when the job was given a name). An image that cannot be tiled closes the
// project and ends the job.
void runMultiResolution(AppState& app, bool kmlOnly) {
    const ProjectSettings& s = app.settings;
    app.run.singleImage = true;
    const std::array<DisplayOrder, 2> orders = {DisplayOrder::High, DisplayOrder::Low};
    const std::vector<std::string> images = s.multiResolutionImages;
    const std::string top = s.nameGiven && !images.empty() ? namedTopFile(s, images) : "";
    std::vector<std::string> passFiles;
    std::vector<LatLonBounds> bounds;
    for (std::size_t pass = 0; pass < orders.size() && pass < images.size(); ++pass) {
        if (!classifyImage(app, images[pass])) {
            app.closeProject();
            app.outcome.note(Ending::Failed);
            return;
        }
        TileRun run;
        run.sizeClass = app.run.sizeClass;
        run.singleImage = true;
        run.image = images[pass];
        run.imageName = baseNameOf(images[pass]);
        run.root = joinPath(outputBase(s, folderOf(images[pass])), run.imageName);
        run.rootFile = passFile(s, images[pass]);
        run.order = orders[pass];
        run.kmlOnly = kmlOnly;
        const std::optional<LatLonBounds> passBounds = runTiles(app, run);
        if (!passBounds)
            return;
        passFiles.push_back(run.rootFile);
        bounds.push_back(*passBounds);
        app.doEvents();
    }
    app.outcome.topKmlFiles = passFiles;
    if (!top.empty()) {
        writeNamedTopFile(s, top, passFiles, bounds);
        app.outcome.topKmlFiles = {top};
    }
    if (s.openWhenDone) {
        for (const std::string& path : app.outcome.topKmlFiles)
            openInGoogleEarth(app, path);
    }
}

// The single image of the project, by its size class; a large image is sliced first and its
// folder of pieces tiled.
void runSingleImage(AppState& app, bool kmlOnly) {
    app.run.singleImage = true;
    if (!kmlOnly && app.run.sizeClass == SizeClass::None && app.run.largeImageMode) {
        app.settings.largeImage = app.settings.projectImage;
        if (refuseOversizedImage(app))
            return;
        // The folder of pieces is held from the slicing to the last tile.
        std::optional<FolderLock> lock;
        if (!claimFolder(app, largePieceFolder(app.settings), lock)) {
            return;
        }
        // Only a folder of pieces the scan accepted is tiled.
        if (!SliceLargeImage(app, true) || app.run.sizeClass != SizeClass::S4096)
            return;
        app.run.singleImage = false;
        TileRun run = folderRun(app, piecesTiledAsCut(app));
        // The pieces are output already: their tree and top file go beside them.
        run.root = run.sources = app.run.root4096;
        run.rootFile = joinPath(run.root, app.settings.projectName + ".kml");
        if (runTiles(app, run))
            app.outcome.topKmlFiles.push_back(run.rootFile);
        return;
    }
    const TileRun run = singleImageRun(app, kmlOnly);
    if (runTiles(app, run))
        app.outcome.topKmlFiles.push_back(run.rootFile);
}

// The tiles folder of the project, by its size class.
void runFolder(AppState& app, bool kmlOnly) {
    app.run.singleImage = false;
    const TileRun run = folderRun(app, kmlOnly);
    if (runTiles(app, run))
        app.outcome.topKmlFiles.push_back(run.rootFile);
}

void runJob(AppState& app, bool kmlOnly) {
    if (!worldFilesPlaceImages(app, jobImages(app)))
        return;
    switch (chooseRun(app.settings)) {
        case RunKind::MultiResolution:
            runMultiResolution(app, kmlOnly);
            break;
        case RunKind::SingleImage:
            runSingleImage(app, kmlOnly);
            break;
        case RunKind::Batch:
            app.run.singleImage = false;
            MultipleDirectories(app, kmlOnly);
            break;
        case RunKind::Folder:
            runFolder(app, kmlOnly);
            break;
    }
}

bool holdsTransparency(PictureFormat format) {
    return format != PictureFormat::Jpg;
}

// What the person should know when an image of the job has transparent parts that its tiles
// or pieces cannot hold: they come out black. Nothing when all is kept.
std::optional<std::string> transparencyWarning(AppState& app) {
    const ProjectSettings& s = app.settings;
    const bool tilesLose = !s.transparent && !holdsTransparency(s.outputFormat);
    const bool piecesLose = chooseRun(s) == RunKind::SingleImage && app.run.largeImageMode &&
                            !holdsTransparency(largePieceFormat(app));
    if (!tilesLose && !piecesLose)
        return std::nullopt;
    for (const std::string& image : jobImages(app)) {
        if (!imageHasAlpha(image))
            continue;
        if (piecesLose) {
            return image +
                   " has transparent parts, but JPG pieces cannot hold them: they show as "
                   "black. PNG pieces (--piece-format PNG, or Large Tiles Image Format PNG) and "
                   "PNG tiles keep them.";
        }
        return image +
               " has transparent parts, but JPG tiles cannot hold them: they show as black. PNG "
               "tiles (--format PNG, or Output Image Format PNG) keep them.";
    }
    return std::nullopt;
}

// Packs the top files of a job that ended well into the KMZ file, when one is asked for.
void packKmz(AppState& app, RunErrorPolicy& policy) {
    const std::string& kmz = app.settings.kmzFile;
    if (kmz.empty() || policy.ended() || app.outcome.ending != Ending::Done ||
        app.outcome.topKmlFiles.empty()) {
        return;
    }
    policy.run([&] {
        writeKmz(kmz, app.outcome.topKmlFiles);
        app.outcome.archive = kmz;
        app.setStatus("The result was packed into " + kmz);
    });
}

// Writes the preview page beside the (first) top file of a job that ended well, when one is
// asked for; it shows every tree the job wrote.
void writePreview(AppState& app, RunErrorPolicy& policy) {
    Outcome& outcome = app.outcome;
    app.enabled.openPreview = false;
    if (!app.settings.previewPage || policy.ended() || outcome.ending != Ending::Done ||
        outcome.topKmlFiles.empty() || outcome.trees.empty()) {
        return;
    }
    const PreviewPage page{previewPagePath(outcome.topKmlFiles.front()), app.settings.projectName,
                           outcome.topKmlFiles, outcome.trees};
    policy.run([&] {
        writePreviewPage(page);
        outcome.previewPage = app.previewPage = page.path;
        app.enabled.openPreview = true;
        app.setStatus("The preview page was written to " + page.path);
    });
}

// Runs one operation from a fresh outcome; a cancel request ends it as cancelled.
Outcome runOperation(AppState& app, const std::function<void()>& operation) {
    app.outcome = {};
    try {
        operation();
    } catch (const RunCancelled&) {
        app.outcome.note(Ending::Cancelled);
    }
    return app.outcome;
}

}  // namespace

RunKind chooseRun(const ProjectSettings& settings) {
    if (settings.multiResolution)
        return RunKind::MultiResolution;
    if (!settings.projectImage.empty())
        return RunKind::SingleImage;
    if (settings.multipleFolders && !settings.batchFolders.empty())
        return RunKind::Batch;
    return RunKind::Folder;
}

int progressPhases(const ProjectSettings& settings, bool kmlOnly) {
    const int perInput = kmlOnly ? 1 : 2;
    const auto inputs = [](const std::vector<std::string>& list) {
        return std::max(1, static_cast<int>(list.size()));
    };
    switch (chooseRun(settings)) {
        case RunKind::MultiResolution:
            return perInput * inputs(settings.multiResolutionImages);
        case RunKind::Batch:
            return (perInput + 1) * inputs(settings.batchFolders);
        case RunKind::SingleImage:
        case RunKind::Folder:
            break;
    }
    return perInput;
}

Outcome Transform(AppState& app) {
    return runOperation(app, [&] {
        app.run.kmlOnly = false;
        app.setStatus("Process Started...");
        app.doEvents();
        RunErrorPolicy policy(app);
        policy.run([&] { runJob(app, false); });
        packKmz(app, policy);
        writePreview(app, policy);
        if (const auto warning = transparencyWarning(app);
            warning && app.outcome.ending == Ending::Done) {
            app.setStatus(*warning);  // last, so the window's status bar keeps it
        }
        if (!policy.ended() && app.outcome.ending == Ending::Done &&
            !app.outcome.topKmlFiles.empty()) {
            app.enabled.loadInGoogleEarth = true;
            app.enabled.regenerateKml = true;
        }
        policy.finish();
    });
}

Outcome ReGenerateKmlFiles(AppState& app) {
    return runOperation(app, [&] {
        app.run.kmlOnly = true;
        RunErrorPolicy policy(app);
        policy.run([&] { runJob(app, true); });
        packKmz(app, policy);
        writePreview(app, policy);
        policy.finish();
    });
}

Outcome SaveAsKmz(AppState& app) {
    ProjectSettings& s = app.settings;
    const std::string path =
        app.host().chooseSaveFile(kSaveKmzTitle, kKmzFilter, s.projectName + ".kmz");
    if (path.empty())
        return Outcome::endedAs(Ending::Declined);
    s.relativeLinks = true;
    s.kmzFile = path;
    Outcome outcome = ReGenerateKmlFiles(app);
    s.kmzFile.clear();
    return outcome;
}

std::string projectTopKmlPath(const AppState& app) {
    const ProjectSettings& s = app.settings;
    if (!s.projectImage.empty() && !s.imageFolder.empty() && !s.imageName.empty() &&
        s.tilesFolder.empty()) {
        return singleImageTopFile(s, joinPath(outputBase(s, s.imageFolder), s.imageName));
    }
    if (s.multipleFolders) {
        const auto index = static_cast<std::size_t>(app.batchIndex);
        if (app.batchIndex < 0 || index >= s.batchFolders.size())
            return {};
        return joinPath(s.batchFolders[index], s.projectName + std::to_string(index) + ".kml");
    }
    return joinPath(outputBase(s, s.tilesFolder), s.projectName + ".kml");
}

void OpenPreviewPage(AppState& app) {
    if (!app.previewPage.empty())
        app.host().openUrl(app.previewPage);
}

Outcome LoadInGoogleEarth(AppState& app) {
    return runOperation(app, [&] {
        const std::string wanted = projectTopKmlPath(app);
        const std::string found = wanted.empty() ? std::string{} : findFileLoosely(wanted);
        if (found.empty()) {
            app.host().messageBox(kMissingProjectKmlMessage, kAppTitle);
            app.outcome.note(Ending::Failed);
            return;
        }
        openInGoogleEarth(app, found);
    });
}

}  // namespace orvanta
