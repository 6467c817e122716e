// The operations of the core behind the controls of the main window.
#include <QListWidget>

#include "kml/kml_tree.h"
#include "tiling/grid_splitter.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"

namespace orvanta {

std::function<void()> MainWindow::listCommand(ListCommand command) {
    switch (command) {
        case ListCommand::AddImage:
        case ListCommand::RemoveImage:
        case ListCommand::ClearImages:
        case ListCommand::ChooseTiles:
        case ListCommand::AddFolder:
        case ListCommand::AddSubfolders:
        case ListCommand::RemoveFolder:
        case ListCommand::ClearFolders:
        case ListCommand::ChooseGoogleEarth:
        case ListCommand::ChooseKmlFolder:
            break;
    }
    return {};
}

std::function<void()> MainWindow::runCommandFor(RunCommand command) {
    switch (command) {
        case RunCommand::Transform:
        case RunCommand::LoadInGoogleEarth:
        case RunCommand::ReGenerate:
            break;
    }
    return {};
}

std::function<void()> MainWindow::openImageCommand() {
    return {};
}

std::function<void()> MainWindow::previewCommand() {
    return {};
}

std::function<void()> MainWindow::optionsCommand() {
    return [this] {
        OptionsDialog dialog(app_.options, app_.host(), this);
        dialog.exec();
    };
}

std::function<void()> MainWindow::specialistCommand(const std::string& name) {
    if (name == "Command2")
        return [this] { Split1024(app_); };
    if (name == "Command22")
        return [this] { Split2048(app_); };
    if (name == "Command20")
        return [this] { Split4096(app_); };
    if (name == "Command31")
        return [this] { MakeKml1024(app_); };
    if (name == "Command27")
        return [this] { MakeKml2048(app_); };
    if (name == "Command9")
        return [this] { MakeKml4096(app_); };
    return {};
}

}  // namespace orvanta
