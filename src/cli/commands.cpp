#include "cli/commands.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "app/batch.h"
#include "app/input_checks.h"
#include "app/job_run.h"
#include "app/large_image.h"
#include "app/lists.h"
#include "app/open_image.h"
#include "app/paths.h"
#include "app/project_commands.h"
#include "app/reprojection.h"
#include "app/transform.h"
#include "cli/info_command.h"
#include "options/large_image_options.h"
#include "platform/console_host.h"
#include "platform/file_list.h"
#include "platform/os_services.h"

namespace orvanta::cli {
namespace {

// The output options, applied as the person would set them in the window.
void applyOutputOptions(AppState& app, const CliOptions& options) {
    ProjectSettings& s = app.settings;
    s.openWhenDone = options.open;
    s.relativeLinks = options.relativeLinks || options.kmz.has_value();
    s.previewPage = options.preview;
    s.skipEmptyTiles = options.skipEmptyTiles;
    if (options.exactEdges)
        s.exactEdges = true;  // a loaded project's setting stands otherwise
    if (options.output)
        s.outputFolder = enteredPath(*options.output);
    if (options.kmz)
        s.kmzFile = enteredPath(*options.kmz);
    if (options.name) {
        s.projectName = *options.name;
        s.nameGiven = true;
    }
    if (options.format)
        s.outputFormat = *options.format;
    if (options.quality)
        s.jpegQuality = *options.quality;
    if (options.order)
        s.drawOrder = *options.order;
    if (options.url) {
        s.hostOnWebServer = true;
        s.webServerUrl = *options.url;
        app.hostOnWebServerChanged();
    }
    if (options.transparent) {
        s.transparent = true;
        app.transparentChanged();
        s.transparentColour = *options.transparent;
    }
    if (options.googleEarth)
        s.googleEarthProgram = *options.googleEarth;
}

// The large-image options: the saved ones, with what the command line gives instead (memory and
// disk go to the job's settings as they are, see runJob).
void applyLargeImageOptions(AppState& app, const CliOptions& options) {
    LargeImageOptions& large = ensureLoaded(app.options);
    if (options.pieceFormat)
        large.pieceFormat = *options.pieceFormat;
    app.pieceFormatChosen = options.pieceFormat.has_value();
    if (options.background)
        large.background = *options.background;
}

// Images in another coordinate system are refused unless --reproject asks to warp them.
void applyReprojectionOptions(AppState& app, const CliOptions& options) {
    ReprojectionSettings& reprojection = app.reprojection;
    reprojection.choice = options.reproject ? ReprojectionChoice::Warp : ReprojectionChoice::Refuse;
    if (options.resampling)
        reprojection.resampling = *options.resampling;
    if (options.sourceSystem)
        reprojection.sourceSystem = *options.sourceSystem;
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// A folder without images is refused silently in the window, where nothing happening tells the
// person; a command line has to say why it stops.
bool holdsImages(const std::string& folder, std::FILE* errors) {
    if (!listFiles(folder, kImagePattern).empty())
        return true;
    std::fprintf(errors, "orvanta-cli: the folder '%s' holds no images (%s)\n", folder.c_str(),
                 kImagePattern);
    return false;
}

// Opens one image or chooses one tiles folder, as the window's input does; false when the
// input was refused (and the person told why).
bool openInput(AppState& app, const std::string& path, std::FILE* errors) {
    if (isFolder(path))
        return holdsImages(path, errors) && useTilesFolder(app, path);
    resetForOpenImage(app);
    return openImageFile(app, path);
}

bool openFolders(AppState& app, const std::vector<std::string>& folders, std::FILE* errors) {
    app.settings.multipleFolders = true;
    app.multipleFoldersChanged();
    for (const std::string& folder : folders) {
        if (!holdsImages(folder, errors))
            return false;
        useTilesFolder(app, folder);
        if (!addTilesFolder(app))
            return false;
    }
    return true;
}

bool openPair(AppState& app, const std::vector<std::string>& images) {
    app.settings.multiResolution = true;
    app.applyMultiResolutionRule();
    for (const std::string& image : images) {
        resetForOpenImage(app);
        if (!openImageFile(app, image))
            return false;
        addMultiResolutionImage(app);
    }
    return app.settings.multiResolutionImages.size() == 2;
}

// A project file may name inputs that have gone since it was saved.
bool namedInputsExist(const ProjectSettings& s, std::FILE* errors) {
    std::vector<std::string> named = {s.projectImage, s.tilesFolder};
    named.insert(named.end(), s.multiResolutionImages.begin(), s.multiResolutionImages.end());
    named.insert(named.end(), s.batchFolders.begin(), s.batchFolders.end());
    for (const std::string& path : named) {
        std::error_code error;
        if (!path.empty() && !std::filesystem::exists(path, error)) {
            std::fprintf(errors, "orvanta-cli: the project names '%s', which does not exist\n",
                         path.c_str());
            return false;
        }
    }
    return true;
}

// A loaded project holds no size class: measure its input again as the window did when the
// input was chosen.
bool reopenProject(AppState& app, const std::string& path, std::FILE* errors) {
    app.closeProject();
    app.settings.projectFile = path;
    if (!loadProjectFile(app, path) || !namedInputsExist(app.settings, errors))
        return false;
    const ProjectSettings& s = app.settings;
    if (s.projectImage.empty() && s.tilesFolder.empty() && s.batchFolders.empty() &&
        s.multiResolutionImages.empty()) {
        std::fprintf(errors, "orvanta-cli: the project '%s' names no image or folder\n",
                     path.c_str());
        return false;
    }
    switch (chooseRun(s)) {
        case RunKind::MultiResolution:
            return !s.multiResolutionImages.empty() &&
                   classifyImage(app, s.multiResolutionImages.front());
        case RunKind::SingleImage: {
            // An image in another coordinate system is warped when --reproject asks for it.
            const ImageFacts facts = readImageFacts(s.projectImage);
            if (const auto warped = decideReprojection(app, projectWorldFilePath(s), facts))
                return *warped;
            return classifyImage(app, s.projectImage, facts);
        }
        case RunKind::Batch:
            return true;
        case RunKind::Folder:
            return holdsImages(s.tilesFolder, errors) && scanTilesFolder(app, s.tilesFolder);
    }
    return false;
}

// Prepares the job the command names; false when its input was refused (and the person told
// why).
bool prepare(AppState& app, const CliOptions& options, std::FILE* errors) {
    const std::vector<std::string>& in = options.inputs;
    switch (options.command) {
        case Command::Transform:
            return openInput(app, in[0], errors);
        case Command::Large:
            if (isFolder(in[0])) {
                std::fprintf(errors,
                             "orvanta-cli: '%s' is a folder; large cuts one image (give its "
                             "file), transform takes a folder of tiles\n",
                             in[0].c_str());
                return false;
            }
            resetForOpenLargeImage(app);
            return openLargeImageFile(app, in[0]);
        case Command::Batch:
            return openFolders(app, in, errors);
        case Command::Multires:
            return openPair(app, in);
        case Command::Run:
        case Command::Open:
            return reopenProject(app, in[0], errors);
        case Command::Regenerate:
            switch (options.regenerateInput) {
                case RegenerateInput::Path:
                    return openInput(app, in[0], errors);
                case RegenerateInput::Batch:
                    return openFolders(app, in, errors);
                case RegenerateInput::Multires:
                    return openPair(app, in);
                case RegenerateInput::Project:
                    return reopenProject(app, in[0], errors);
            }
            break;
        default:
            break;
    }
    return false;
}

// Inputs as full paths without a trailing separator, the form the folder and name rules expect;
// nothing when one does not exist (said on `errors`).
std::optional<std::vector<std::string>> resolveInputs(const std::vector<std::string>& inputs,
                                                      std::FILE* errors) {
    namespace fs = std::filesystem;
    std::vector<std::string> resolved;
    for (const std::string& input : inputs) {
        std::error_code error;
        if (!fs::exists(input, error)) {
            std::fprintf(errors, "orvanta-cli: '%s' does not exist\n", input.c_str());
            return std::nullopt;
        }
        std::string path = fs::absolute(input, error).lexically_normal().string();
        while (path.size() > 1 && path.back() == kPathSeparator)
            path.pop_back();
        resolved.push_back(path);
    }
    return resolved;
}

// Prints the files a finished job wrote and says how it ended; the exit status.
int report(const Outcome& outcome, bool listFiles, std::FILE* output, std::FILE* errors) {
    switch (outcome.ending) {
        case Ending::Cancelled:
            std::fprintf(errors, "orvanta-cli: cancelled\n");
            return 130;
        case Ending::Declined:
            std::fprintf(errors, "orvanta-cli: stopped at a question answered No\n");
            return 1;
        case Ending::Failed:
            return 1;
        case Ending::Done:
            break;
    }
    if (listFiles) {
        for (const std::string& path : outcome.topKmlFiles)
            std::fprintf(output, "%s\n", path.c_str());
        for (const std::string* path : {&outcome.archive, &outcome.previewPage}) {
            if (!path->empty())
                std::fprintf(output, "%s\n", path->c_str());
        }
    }
    if (outcome.googleEarthFailed)
        std::fprintf(errors,
                     "orvanta-cli: the files were written, but Google Earth did not start\n");
    return outcome.googleEarthFailed ? 1 : 0;
}

// A folder or a batch that holds images in other coordinate systems, with --reproject: every
// image goes through the large-image road. Nothing when the job is of another kind.
std::optional<Outcome> runEachAsLargeImage(AppState& app, const CliOptions& options) {
    const std::vector<std::string>& in = options.inputs;
    const bool folders = options.command == Command::Batch ||
                         (options.command == Command::Transform && isFolder(in[0]));
    if (!folders || imagesToWarp(app, in).empty())
        return std::nullopt;
    // The top file goes where a batch's or a folder's would.
    const std::string topFolder = options.kmlFolder ? *options.kmlFolder
                                  : options.output  ? app.settings.outputFolder
                                                    : in.back();
    return TransformEachAsLargeImage(app, in,
                                     joinPath(topFolder, app.settings.projectName + ".kml"));
}

int runJob(const CliOptions& given, std::FILE* output, std::FILE* errors) {
    CliOptions options = given;
    const auto inputs = resolveInputs(given.inputs, errors);
    if (!inputs)
        return 1;
    options.inputs = *inputs;
    if (options.command == Command::Info)
        return runInfoCommand(options.inputs[0], options.answer, output, options.verbosity);
    ConsoleHost host(options.answer, stdin, errors, options.verbosity);
    if (options.command == Command::Merge) {
        const auto folder = resolveInputs({*options.kmlFolder}, errors);
        if (!folder)
            return 1;
        const std::string name = options.name.value_or(ProjectSettings().projectName);
        return report(MergeBatchShards(host, folder->front(), name), true, output, errors);
    }
    AppState app(host);
    app.startUp(fixedDisks());
    app.largeImageCommand = "'orvanta-cli large IMAGE'";
    applyLargeImageOptions(app, options);
    if (options.jobs) {
        const int limit = jobsLimit(std::thread::hardware_concurrency());
        app.jobs = std::min(*options.jobs, limit);
        if (*options.jobs > limit) {
            std::fprintf(errors,
                         "orvanta-cli: --jobs %d is more than this machine can use; %d steps "
                         "run at once (four per core).\n",
                         *options.jobs, limit);
        }
    }
    if (options.engine)
        app.engine = *options.engine;
    app.resume = options.resume;
    app.shard = options.shard;
    applyReprojectionOptions(app, options);
    applyOutputOptions(app, options);

    if (const std::optional<Outcome> outcome = runEachAsLargeImage(app, options)) {
        host.endProgress(outcome->ending == Ending::Done);
        if (outcome->ending == Ending::Done && !outcome->successText.empty())
            host.statusChanged(outcome->successText);
        if (options.saveProject && outcome->ending == Ending::Done &&
            !writeProjectFile(app, enteredPath(*options.saveProject))) {
            return 1;
        }
        return report(*outcome, true, output, errors);
    }
    if (!prepare(app, options, errors))
        return 1;
    if (options.kmlFolder)
        app.settings.kmlFolder = enteredPath(*options.kmlFolder);
    else if (options.output)
        app.settings.kmlFolder = app.settings.outputFolder;  // the batch's top file
    // Settings given on the command line win over those of a loaded project.
    applyOutputOptions(app, options);

    const bool kmlOnly = options.command == Command::Regenerate;
    host.expectPhases(progressPhases(app.settings, kmlOnly));
    if (options.command == Command::Open) {
        const Outcome opened = LoadInGoogleEarth(app);
        host.endProgress(opened.ending == Ending::Done);
        return report(opened, false, output, errors);
    }
    JobSettings settings = jobSettings(app, kmlOnly);
    settings.large.ramLimitMb = options.ramMegabytes.value_or(settings.large.ramLimitMb);
    settings.large.diskLimitGb = options.diskGigabytes.value_or(settings.large.diskLimitGb);
    if (options.saveProject)
        settings.projectFileToSave = enteredPath(*options.saveProject);
    const Outcome outcome =
        performJob(settings, {host, app.settings.googleEarthProgram}, app.run.scan);
    host.endProgress(outcome.ending == Ending::Done);
    if (outcome.ending == Ending::Done) {
        if (!outcome.successText.empty())
            host.statusChanged(outcome.successText);
        for (const std::string& notice : outcome.notices)
            host.statusChanged(notice);
    }
    // The project is saved as it was run, once the run ended well.
    if (options.saveProject && outcome.ending == Ending::Done &&
        !writeProjectFile(app, settings.projectFileToSave)) {
        return 1;
    }
    return report(outcome, true, output, errors);
}

}  // namespace

int runCommand(const CliOptions& given, std::FILE* output, std::FILE* errors) {
    // A cancel that comes outside an operation (while the input is checked) ends here too.
    try {
        return runJob(given, output, errors);
    } catch (const RunCancelled&) {
        return report(Outcome::endedAs(Ending::Cancelled), false, output, errors);
    }
}

}  // namespace orvanta::cli