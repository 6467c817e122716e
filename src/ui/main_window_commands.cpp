// The operations of the core behind the controls of the main window.
#include <QListWidget>

#include "app/batch.h"
#include "app/lists.h"
#include "app/transform.h"
#include "imagery/piece_world_files.h"
#include "kml/kml_tree.h"
#include "tiling/grid_splitter.h"
#include "tiling/large_slicer.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"

namespace orvanta {

std::function<void()> MainWindow::listCommand(ListCommand command) {
    switch (command) {
        case ListCommand::AddImage:
            return [this] { Command11(app_); };
        case ListCommand::RemoveImage:
            return [this] { Command12(app_, selectedRow(List1_)); };
        case ListCommand::ClearImages:
            return [this] { Command13(app_); };
        case ListCommand::ChooseTiles:
            return [this] { Command14(app_); };
        case ListCommand::AddFolder:
            return [this] { Command15(app_); };
        case ListCommand::AddSubfolders:
            return [this] { Command28(app_); };
        case ListCommand::RemoveFolder:
            return [this] { Command16(app_, selectedRow(List2_)); };
        case ListCommand::ClearFolders:
            return [this] { Command17(app_); };
        case ListCommand::ChooseGoogleEarth:
            return [this] { Command23(app_); };
        case ListCommand::ChooseKmlFolder:
            return [this] { Command24(app_); };
    }
    return {};
}

std::function<void()> MainWindow::runCommandFor(RunCommand command) {
    switch (command) {
        case RunCommand::Transform:
            return [this] { Transform(app_); };
        case RunCommand::LoadInGoogleEarth:
            return [this] { LoadInGoogleEarth(app_); };
        case RunCommand::ReGenerate:
            return [this] { ReGenerateKmlFiles(app_); };
    }
    return {};
}

std::function<void()> MainWindow::openImageCommand() {
    return [this] { pendingPreview_ = OpenImage(app_); };
}

std::function<void()> MainWindow::previewCommand() {
    return [this] {
        if (auto preview = ImagePreview(app_))
            showPreview(*preview);
    };
}

std::function<void()> MainWindow::optionsCommand() {
    return [this] {
        OptionsDialog dialog(app_.options, app_.host(), this);
        dialog.offerJobs(app_.jobs, store_);
        dialog.exec();
    };
}

std::function<void()> MainWindow::specialistCommand(const std::string& name) {
    // Picture copies: from the display picture into Picture2, Picture2 into Picture3, and
    // Picture4 into Picture3.
    if (name == "Command5")
        return [this] { StretchCopy(boxes_, boxes_.picDisplay, boxes_.Picture2); };
    if (name == "Command4")
        return [this] { StretchCopy(boxes_, boxes_.Picture2, boxes_.Picture3); };
    if (name == "Command7")
        return [this] { StretchCopy(boxes_, boxes_.Picture4, boxes_.Picture3); };
    if (name == "Command21")
        return [this] { FullResolutionSplit(app_, boxes_, saver_); };
    if (name == "Command29")
        return [this] { pendingPreview_ = OpenLargeImage(app_); };
    if (name == "Command33") {
        return [this] { SliceLargeImage(app_, largeSliceSettings(app_.options)); };
    }
    if (name == "Command32")
        return [this] { PieceWorldFiles(app_); };
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
    if (name == "Command19")
        return [this] { MultipleDirectories(app_); };
    return {};
}

}  // namespace orvanta
