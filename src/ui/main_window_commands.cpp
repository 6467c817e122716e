// The operations of the core behind the controls of the main window.
#include <QListWidget>

#include "kml/kml_tree.h"
#include "ui/main_window.h"

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
    return {};
}

std::function<void()> MainWindow::specialistCommand(const std::string&) {
    return {};
}

}  // namespace orvanta
