#include "cli/commands.h"

#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/lists.h"
#include "app/paths.h"
#include "app/project_file.h"
#include "app/transform.h"
#include "cli/info_command.h"
#include "imagery/folder_scan.h"
#include "imagery/image_header.h"
#include "imagery/open_image.h"
#include "options/large_image_options.h"
#include "platform/console_host.h"
#include "platform/file_list.h"
#include "platform/os_services.h"
#include "tiling/large_slicer.h"

namespace orvanta::cli {
namespace {

// The output options, applied as the person would set them in the window.
void applyOutputOptions(AppState& app, const CliOptions& options) {
    ProjectSettings& s = app.settings;
    s.Check3 = options.open ? 1 : 0;
    if (options.name)
        s.projname = *options.name;
    if (options.format)
        s.Combo2 = *options.format;
    if (options.quality)
        s.Combo5 = *options.quality;
    if (options.order)
        s.Combo4 = *options.order;
    if (options.url) {
        s.Check1 = 1;
        s.Text11 = *options.url;
        app.check1Click();
    }
    if (options.transparent) {
        s.Check4 = 1;
        app.check4Click();
        app.setTransparentColour(options.transparent->value());
    }
    if (options.googleEarth)
        s.pathtogoogle = *options.googleEarth;
}

// The large-image options: the saved ones, with what the command line gives instead.
void applyLargeImageOptions(AppState& app, const CliOptions& options) {
    LargeImageOptions& large = ensureLoaded(app.options);
    if (options.ramMegabytes)
        large.Combo1 = std::to_string(*options.ramMegabytes);
    if (options.diskGigabytes)
        large.Combo2 = std::to_string(*options.diskGigabytes);
    if (options.pieceFormat)
        large.Combo6 = *options.pieceFormat;
    if (options.background)
        large.Label8 = options.background->value();
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// Opens one image or chooses one tiles folder, as the window's input does; false when the
// input was refused (its message has been shown).
bool openInput(AppState& app, const std::string& path) {
    if (isFolder(path)) {
        useTilesFolder(app, path);
    } else {
        resetForOpenImage(app);
        openImageFile(app, path);
    }
    return app.enabled.Command25 || app.settings.Check6 == 1;
}

bool openFolders(AppState& app, const std::vector<std::string>& folders) {
    app.settings.Check2 = 1;
    app.check2Click();
    for (const std::string& folder : folders) {
        useTilesFolder(app, folder);
        Command15(app);
        if (app.settings.tilesdirr.empty())
            return false;
    }
    return true;
}

bool openPair(AppState& app, const std::vector<std::string>& images) {
    app.settings.Check6 = 1;
    app.applyMultiResolutionRule();
    for (const std::string& image : images) {
        resetForOpenImage(app);
        if (!openImageFile(app, image))
            return false;
        Command11(app);
    }
    return app.enabled.Command25;
}

// A loaded project holds no size class: measure its input again as the window did when the
// input was chosen.
bool reopenProject(AppState& app, const std::string& path) {
    app.CloseProject();
    app.settings.Projectfilename = path;
    if (!loadProjectFile(app, path))
        return false;
    const ProjectSettings& s = app.settings;
    switch (chooseRun(s)) {
        case RunKind::MultiResolution:
            return !s.List1.empty() && GetImageInfo(app, s.List1.front()) == 0;
        case RunKind::SingleImage:
            return GetImageInfo(app, s.Projectimage) == 0;
        case RunKind::Batch:
            return true;
        case RunKind::Folder:
            return getdirinfo(app, s.tilesdirr) == 1;
    }
    return false;
}

// Prepares the job the command names; false when its input was refused.
bool prepare(AppState& app, const CliOptions& options) {
    const std::vector<std::string>& in = options.inputs;
    switch (options.command) {
        case Command::Transform:
            return openInput(app, in[0]);
        case Command::Large:
            resetForOpenLargeImage(app);
            return openLargeImageFile(app, in[0]);
        case Command::Batch:
            return openFolders(app, in);
        case Command::Multires:
            return openPair(app, in);
        case Command::Run:
        case Command::Open:
            return reopenProject(app, in[0]);
        case Command::Regenerate:
            switch (options.regenerateInput) {
                case RegenerateInput::Path:
                    return openInput(app, in[0]);
                case RegenerateInput::Batch:
                    return openFolders(app, in);
                case RegenerateInput::Multires:
                    return openPair(app, in);
                case RegenerateInput::Project:
                    return reopenProject(app, in[0]);
            }
            break;
        default:
            break;
    }
    return false;
}

void explainRefusal(const AppState& app, const CliOptions& options, std::FILE* errors) {
    // A project file may name inputs that have gone since it was saved.
    const ProjectSettings& s = app.settings;
    std::vector<std::string> named = {s.Projectimage, s.tilesdirr};
    named.insert(named.end(), s.List1.begin(), s.List1.end());
    named.insert(named.end(), s.List2.begin(), s.List2.end());
    for (const std::string& path : named) {
        std::error_code error;
        if (!path.empty() && !std::filesystem::exists(path, error)) {
            std::fprintf(errors, "orvanta-cli: the project names '%s', which does not exist\n",
                         path.c_str());
            return;
        }
    }
    for (const std::string& input : options.inputs) {
        if (isFolder(input) && listFiles(input, kImagePattern).empty()) {
            std::fprintf(errors, "orvanta-cli: the folder '%s' holds no images (%s)\n",
                         input.c_str(), kImagePattern);
            return;
        }
    }
    std::fprintf(errors, "orvanta-cli: the input cannot be used\n");
}

// The KML files the job produced, one a line: both passes of a multi-resolution job.
std::vector<std::string> resultPaths(AppState& app) {
    const ProjectSettings& s = app.settings;
    const RunKind kind = chooseRun(s);
    if (kind == RunKind::Batch)
        return {app.run.TopKmlPath};
    if (kind != RunKind::MultiResolution)
        return {projectTopKmlPath(app)};
    std::vector<std::string> paths;
    ProjectSettings scratch = s;
    for (const std::string& image : s.List1) {
        scratch.projdir = GetProjDir(image, scratch);
        paths.push_back(scratch.projdir + kPathSeparator + scratch.imagename + ".kml");
    }
    return paths;
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

}  // namespace

int runCommand(const CliOptions& given, std::FILE* output, std::FILE* errors) {
    CliOptions options = given;
    const auto inputs = resolveInputs(given.inputs, errors);
    if (!inputs)
        return 1;
    options.inputs = *inputs;
    if (options.command == Command::Info)
        return runInfoCommand(options.inputs[0], options.answer, output);
    ConsoleHost host(options.answer, stdin, errors);
    AppState app(host);
    app.formLoad(fixedDisks());
    applyLargeImageOptions(app, options);
    if (options.jobs)
        app.jobs = *options.jobs;
    applyOutputOptions(app, options);

    if (!prepare(app, options)) {
        // A folder without images is refused silently in the window, where nothing happening
        // tells the person; a command line has to say why it stops.
        if (host.messageCount() == 0)
            explainRefusal(app, options, errors);
        return 1;
    }
    if (options.kmlFolder)
        app.settings.kmlpath = *options.kmlFolder;
    // Settings given on the command line win over those of a loaded project.
    applyOutputOptions(app, options);

    if (options.command == Command::Open) {
        if (app.settings.Check2 == 1 && !app.settings.List2.empty()) {
            app.tilescount = std::to_string(app.settings.List2.size() - 1);
        }
        LoadInGoogleEarth(app);
    } else if (options.command == Command::Regenerate) {
        ReGenerateKmlFiles(app);
    } else {
        Transform(app);
    }
    if (options.saveProject)
        writeProjectFile(app, *options.saveProject);
    if (host.messageCount() > 0)
        return 1;
    if (options.command != Command::Open) {
        for (const std::string& path : resultPaths(app))
            std::fprintf(output, "%s\n", path.c_str());
    }
    return 0;
}

}  // namespace orvanta::cli
