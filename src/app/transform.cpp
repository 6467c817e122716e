#include "app/transform.h"

#include <algorithm>

#include "app/app_state.h"
#include "app/google_earth.h"
#include "app/job_run.h"
#include "app/paths.h"
#include "app/reprojection.h"
#include "platform/file_lookup.h"
#include "platform/path_names.h"

namespace orvanta {
namespace {

Outcome performFor(AppState& app, const JobSettings& settings) {
    return performJob(settings, {app.host(), app.settings.googleEarthProgram}, app.run.scan);
}

}  // namespace

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

JobSettings jobSettings(AppState& app, bool kmlOnly) {
    JobSettings settings;
    settings.project = app.settings;
    settings.kmlOnly = kmlOnly;
    settings.largeImage = app.run.largeImageMode;
    settings.root4096 = app.run.root4096;
    if (app.run.paddedPieces) {
        PieceWorldPlan pieces;
        pieces.paddedPieces = true;
        pieces.paddedPieceNames = app.paddedPieceNames;
        pieces.paddedPieceAreas = app.paddedPieceAreas;
        settings.paddedPieces = pieces;
    }
    settings.engine = app.engine;
    settings.jobs = app.jobs;
    settings.resume = app.resume;
    settings.large = largeImageSettings(app.options);
    settings.pieceFormatChosen = app.pieceFormatChosen;
    settings.shard = app.shard;
    settings.largeImageCommand = app.largeImageCommand;
    if (const WarpedProjectImage* warped = warpedProjectImage(app))
        settings.warped = *warped;
    settings.resampling = app.reprojection.resampling;
    return settings;
}

Outcome Transform(AppState& app) {
    app.run.kmlOnly = false;
    return performFor(app, jobSettings(app, false));
}

Outcome ReGenerateKmlFiles(AppState& app) {
    app.run.kmlOnly = true;
    return performFor(app, jobSettings(app, true));
}

Outcome SaveAsKmz(AppState& app) {
    const std::string path =
        app.host().chooseSaveFile(kSaveKmzTitle, kKmzFilter, app.settings.projectName + ".kmz");
    if (path.empty())
        return Outcome::endedAs(Ending::Declined);
    JobSettings settings = jobSettings(app, true);
    settings.project.relativeLinks = true;
    settings.project.kmzFile = path;
    settings.replaceOutputs = true;  // the file dialog asked
    return performFor(app, settings);
}

Outcome runSizeClassStep(AppState& app, SizeClass sizeClass, bool kmlOnly) {
    JobSettings settings = jobSettings(app, kmlOnly);
    settings.sizeClass = sizeClass;
    settings.largeImage = false;
    return performFor(app, settings);
}

std::string projectTopKmlPath(const ProjectSettings& s) {
    if (!s.projectImage.empty() && !s.imageFolder.empty() && !s.imageName.empty() &&
        s.tilesFolder.empty()) {
        return singleImageTopFile(s, joinPath(outputBase(s, s.imageFolder), s.imageName));
    }
    if (s.multipleFolders) {
        if (s.batchFolders.empty())
            return {};
        const std::size_t last = s.batchFolders.size() - 1;
        return joinPath(batchFolderRoot(s, s.batchFolders[last]),
                        s.projectName + std::to_string(last) + ".kml");
    }
    return joinPath(outputBase(s, s.tilesFolder), s.projectName + ".kml");
}

void OpenPreviewPage(AppState& app) {
    if (!app.lastOutcome.previewPage.empty())
        app.host().openUrl(app.lastOutcome.previewPage);
}

Outcome LoadInGoogleEarth(AppState& app) {
    Outcome outcome;
    const std::string& written = app.lastOutcome.googleEarthFile;
    const std::string wanted = written.empty() ? projectTopKmlPath(app.settings) : written;
    const std::string found = wanted.empty() ? std::string{} : findFileLoosely(wanted);
    try {
        if (found.empty()) {
            app.host().messageBox(kMissingProjectKmlMessage, kAppTitle);
            outcome.note(Ending::Failed);
            return outcome;
        }
        std::string program = app.settings.googleEarthProgram;
        openInGoogleEarth(app.host(), program, found, outcome);
    } catch (const RunCancelled&) {
        outcome.note(Ending::Cancelled);
    }
    return outcome;
}

}  // namespace orvanta
