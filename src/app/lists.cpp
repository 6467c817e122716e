#include "app/lists.h"

#include <algorithm>
#include <filesystem>

#include "app/app_state.h"
#include "app/paths.h"
#include "imagery/folder_scan.h"
#include "platform/file_list.h"

namespace orvanta {
namespace {

void disableRunButtons(AppState& app) {
    app.enabled.Command25 = false;
    app.enabled.Command26 = false;
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

void Command11(AppState& app) {
    ProjectSettings& s = app.settings;
    if (s.List1.size() > 1 || s.Projectimage.empty())
        return;
    s.List1.push_back(s.Projectimage);
    addkmlpath(s.Projectimage, s);
    if (s.List1.size() == 2)
        app.enabled.Command25 = true;
}

void Command12(AppState& app, int selectedIndex) {
    ProjectSettings& s = app.settings;
    const auto index = static_cast<std::size_t>(selectedIndex);
    if (selectedIndex >= 0 && index < s.List1.size()) {
        if (index < s.List3.size())
            s.List3.erase(s.List3.begin() + selectedIndex);
        s.List1.erase(s.List1.begin() + selectedIndex);
    }
    if (s.List1.empty())
        disableRunButtons(app);
}

void Command13(AppState& app) {
    app.settings.List1.clear();
    app.settings.List3.clear();
    disableRunButtons(app);
}

void Command14(AppState& app) {
    useTilesFolder(app, cutAtNul(app.host().chooseFolder(kFolderBrowserTitle)));
}

void useTilesFolder(AppState& app, std::string path) {
    ProjectSettings& s = app.settings;
    disableRunButtons(app);
    if (!path.empty()) {
        s.tilesdirr = path;
        app.run.Root4096 = path;
        s.kmlpath = path;
        s.Projectimage.clear();
        s.List1.clear();
        s.Check6 = 0;
        s.projdir.clear();
        s.imagename.clear();
        app.run.sizeClass = SizeClass::None;
        // Built rather than assigned from a literal, which GCC 12 warns about falsely here.
        app.run.PaddedPieces = std::string(1, '0');
        s.Largeimage.clear();
    }
    if (s.Check2 != 0)
        return;
    if (getdirinfo(app, path) == 1) {
        app.enabled.Command25 = true;
    } else {
        s.tilesdirr.clear();
        s.kmlpath.clear();
        disableRunButtons(app);
        app.CloseProject();
    }
}

void Command15(AppState& app) {
    ProjectSettings& s = app.settings;
    if (getdirinfo(app, s.tilesdirr) != 1) {
        s.tilesdirr.clear();
        s.kmlpath.clear();
        disableRunButtons(app);
        return;
    }
    if (s.tilesdirr.empty())
        return;
    if (std::find(s.List2.begin(), s.List2.end(), s.tilesdirr) != s.List2.end()) {
        app.host().messageBox("This folder already exists in the list", kAppTitle);
        return;
    }
    s.List2.push_back(s.tilesdirr);
    app.enabled.Command25 = true;
}

void Command16(AppState& app, int selectedIndex) {
    std::vector<std::string>& list = app.settings.List2;
    if (selectedIndex >= 0 && static_cast<std::size_t>(selectedIndex) < list.size()) {
        list.erase(list.begin() + selectedIndex);
    }
    if (list.empty())
        disableRunButtons(app);
}

void Command17(AppState& app) {
    app.settings.List2.clear();
    disableRunButtons(app);
}

void Command28(AppState& app) {
    ProjectSettings& s = app.settings;
    if (s.tilesdirr.empty())
        return;
    const std::vector<std::string> folders = subfolders(s.tilesdirr);
    int added = 0;
    for (const std::string& folder : folders) {
        s.tilesdirr = folder;
        if (getdirinfo(app, folder) == 1) {
            s.List2.push_back(folder);
            ++added;
        }
    }
    if (added > 0)
        app.enabled.Command25 = true;
}

void Command23(AppState& app) {
#ifdef _WIN32
    const char* filter = "Google Earth Executable (GoogleEarth.exe)|*.exe";
#else
    const char* filter = "Google Earth Executable (google-earth-pro)|*";
#endif
    const std::string path =
        app.host().chooseOpenFile("Select the path to Google Earth Executable", filter);
    if (!path.empty())
        app.settings.pathtogoogle = path;
}

void Command24(AppState& app) {
    const std::string path = cutAtNul(app.host().chooseFolder(kFolderBrowserTitle));
    if (!path.empty())
        app.settings.kmlpath = path;
}

}  // namespace orvanta
