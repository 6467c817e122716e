#include "app/project_commands.h"

#include <filesystem>

#include "app/app_state.h"
#include "app/project_file.h"

namespace orvanta {

bool loadProjectFile(AppState& app, const std::string& path) {
    StoredProject project{app.settings, app.run.root4096};
    const bool loaded = loadProject(app.host(), path, project);
    app.settings = std::move(project.settings);
    app.run.root4096 = std::move(project.root4096);
    if (!loaded) {
        app.outcome.note(Ending::Failed);
        return false;
    }
    app.applyMultipleDirectoriesRule();
    app.applyMultiResolutionRule();
    return true;
}

bool writeProjectFile(AppState& app, const std::string& path) {
    if (saveProjectFile(app.host(), path, StoredProject{app.settings, app.run.root4096}))
        return true;
    app.outcome.note(Ending::Failed);
    return false;
}

void openProject(AppState& app) {
    app.closeProject();
    const std::string path = app.host().chooseOpenFile("Open", kProjectFileFilter);
    if (path.empty())
        return;
    app.settings.projectFile = path;
    loadProjectFile(app, path);
}

void saveProject(AppState& app) {
    if (app.settings.projectFile.empty()) {
        saveProjectAs(app);
    } else {
        writeProjectFile(app, app.settings.projectFile);
    }
}

void saveProjectAs(AppState& app) {
    const std::string path =
        app.host().chooseSaveFile("Save Project As", kProjectFileFilter, "Myproject.ovt");
    if (path.empty())
        return;
    std::error_code error;
    if (std::filesystem::exists(path, error) &&
        !app.host().askYesNo("The Target Project already Exists. Do you want to overwrite ?",
                             "OVT Project already Exists", MessageIcon::Question)) {
        return;
    }
    app.settings.projectFile = path;
    writeProjectFile(app, path);
}

}  // namespace orvanta
