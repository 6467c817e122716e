#include "app/lists.h"

#include <algorithm>
#include <filesystem>

#include "app/app_state.h"
#include "app/input_checks.h"
#include "app/paths.h"
#include "platform/file_list.h"
#include "platform/text_case.h"

namespace orvanta {
namespace {

// "Transform" and "Load in GoogleEarth" off: the project no longer is what the last job ran.
void disableRunButtons(AppState& app) {
    app.enabled.transform = false;
    app.lastOutcome = {};
}

// The subfolders of `folder` in file-name order.
std::vector<std::string> subfolders(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            names.push_back(it->path().filename().string());
    }
    sortFileNames(names);
    for (std::string& name : names)
        name = (fs::path(folder) / name).string();
    return names;
}

// A folder browser returns a fixed buffer: the path ends at its first NUL.
std::string cutAtNul(const std::string& path) {
    return path.substr(0, path.find('\0'));
}

}  // namespace

void addMultiResolutionImage(AppState& app) {
    ProjectSettings& s = app.settings;
    if (s.multiResolutionImages.size() > 1 || s.projectImage.empty())
        return;
    // Two images of one folder and one name but for the extension would write the same tiles.
    const auto root = [](const std::string& image) {
        return lowerCase(joinPath(folderOf(image), baseNameOf(image)));
    };
    if (!s.multiResolutionImages.empty() &&
        root(s.multiResolutionImages[0]) == root(s.projectImage)) {
        app.host().messageBox(sameStemMessage(s.multiResolutionImages[0], s.projectImage),
                              kAppTitle);
        return;
    }
    s.multiResolutionImages.push_back(s.projectImage);
    addkmlpath(s.projectImage, s);
    if (s.multiResolutionImages.size() == 2)
        app.enabled.transform = true;
}

void removeMultiResolutionImage(AppState& app, int selectedIndex) {
    ProjectSettings& s = app.settings;
    const auto index = static_cast<std::size_t>(selectedIndex);
    if (selectedIndex >= 0 && index < s.multiResolutionImages.size()) {
        if (index < s.multiResolutionFolders.size())
            s.multiResolutionFolders.erase(s.multiResolutionFolders.begin() + selectedIndex);
        s.multiResolutionImages.erase(s.multiResolutionImages.begin() + selectedIndex);
    }
    if (s.multiResolutionImages.empty())
        disableRunButtons(app);
}

void clearMultiResolutionImages(AppState& app) {
    app.settings.multiResolutionImages.clear();
    app.settings.multiResolutionFolders.clear();
    disableRunButtons(app);
}

void chooseTilesFolder(AppState& app) {
    useTilesFolder(app, cutAtNul(app.host().chooseFolder(kTilesFolderTitle)));
}

bool useTilesFolder(AppState& app, std::string path) {
    ProjectSettings& s = app.settings;
    disableRunButtons(app);
    if (!path.empty()) {
        s.tilesFolder = path;
        app.run.root4096 = path;
        s.kmlFolder = path;
        s.projectImage.clear();
        s.multiResolutionImages.clear();
        s.multiResolution = false;
        s.imageFolder.clear();
        s.imageName.clear();
        app.run.sizeClass = SizeClass::None;
        app.run.paddedPieces = false;
        s.largeImage.clear();
    }
    if (s.multipleFolders)
        return true;
    if (scanTilesFolder(app, path)) {
        app.enabled.transform = true;
        return true;
    }
    s.tilesFolder.clear();
    s.kmlFolder.clear();
    disableRunButtons(app);
    app.closeProject();
    return false;
}

bool addTilesFolder(AppState& app) {
    ProjectSettings& s = app.settings;
    if (!scanTilesFolder(app, s.tilesFolder)) {
        s.tilesFolder.clear();
        s.kmlFolder.clear();
        disableRunButtons(app);
        return false;
    }
    if (s.tilesFolder.empty())
        return false;
    if (std::find(s.batchFolders.begin(), s.batchFolders.end(), s.tilesFolder) !=
        s.batchFolders.end()) {
        app.host().messageBox("This folder already exists in the list", kAppTitle);
        return false;
    }
    s.batchFolders.push_back(s.tilesFolder);
    app.enabled.transform = true;
    return true;
}

void removeBatchFolder(AppState& app, int selectedIndex) {
    std::vector<std::string>& list = app.settings.batchFolders;
    if (selectedIndex >= 0 && static_cast<std::size_t>(selectedIndex) < list.size()) {
        list.erase(list.begin() + selectedIndex);
    }
    if (list.empty())
        disableRunButtons(app);
}

void clearBatchFolders(AppState& app) {
    app.settings.batchFolders.clear();
    disableRunButtons(app);
}

void addSubfolders(AppState& app) {
    ProjectSettings& s = app.settings;
    if (s.tilesFolder.empty())
        return;
    const std::vector<std::string> folders = subfolders(s.tilesFolder);
    int added = 0;
    for (const std::string& folder : folders) {
        s.tilesFolder = folder;
        if (scanTilesFolder(app, folder)) {
            s.batchFolders.push_back(folder);
            ++added;
        }
    }
    if (added > 0)
        app.enabled.transform = true;
}

void chooseGoogleEarthProgram(AppState& app) {
#ifdef _WIN32
    const char* filter = "Google Earth Executable (GoogleEarth.exe)|*.exe";
#else
    const char* filter = "Google Earth Executable (google-earth-pro)|*";
#endif
    const std::string path =
        app.host().chooseOpenFile("Select the path to Google Earth Executable", filter);
    if (!path.empty())
        app.settings.googleEarthProgram = path;
}

void chooseKmlFolder(AppState& app) {
    const std::string path = cutAtNul(app.host().chooseFolder(kKmlFolderTitle));
    if (!path.empty())
        app.settings.kmlFolder = path;
}

void chooseOutputFolder(AppState& app) {
    const std::string path = cutAtNul(app.host().chooseFolder(kOutputFolderTitle));
    if (!path.empty())
        app.settings.outputFolder = path;
}

}  // namespace orvanta
