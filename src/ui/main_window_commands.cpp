// The operations of the core behind the controls of the main window.
#include <QListWidget>
#include <map>

#include "app/batch.h"
#include "app/full_resolution_split.h"
#include "app/large_image.h"
#include "app/lists.h"
#include "app/tile_run.h"
#include "app/transform.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"

namespace orvanta {

std::function<void()> MainWindow::listCommand(ListCommand command) {
    switch (command) {
        case ListCommand::AddImage:
            return [this] { addMultiResolutionImage(app_); };
        case ListCommand::RemoveImage:
            return [this] { removeMultiResolutionImage(app_, selectedRow(List1_)); };
        case ListCommand::ClearImages:
            return [this] { clearMultiResolutionImages(app_); };
        case ListCommand::ChooseTiles:
            return [this] { chooseTilesFolder(app_); };
        case ListCommand::AddFolder:
            return [this] { addTilesFolder(app_); };
        case ListCommand::AddSubfolders:
            return [this] { addSubfolders(app_); };
        case ListCommand::RemoveFolder:
            return [this] { removeBatchFolder(app_, selectedRow(List2_)); };
        case ListCommand::ClearFolders:
            return [this] { clearBatchFolders(app_); };
        case ListCommand::ChooseGoogleEarth:
            return [this] { chooseGoogleEarthProgram(app_); };
        case ListCommand::ChooseKmlFolder:
            return [this] { chooseKmlFolder(app_); };
        case ListCommand::ChooseOutputFolder:
            return [this] { chooseOutputFolder(app_); };
    }
    return {};
}

namespace {

// A cancelled operation ends the worker's run as cancelled.
void endsUnlessCancelled(const Outcome& outcome) {
    if (outcome.ending == Ending::Cancelled)
        throw RunCancelled{};
}

}  // namespace

std::function<void()> MainWindow::runCommandFor(RunCommand command) {
    switch (command) {
        case RunCommand::Transform:
            return [this] { endsUnlessCancelled(Transform(app_)); };
        case RunCommand::LoadInGoogleEarth:
            return [this] { endsUnlessCancelled(LoadInGoogleEarth(app_)); };
        case RunCommand::ReGenerate:
            return [this] { endsUnlessCancelled(ReGenerateKmlFiles(app_)); };
        case RunCommand::SaveAsKmz:
            return [this] { endsUnlessCancelled(SaveAsKmz(app_)); };
        case RunCommand::OpenPreview:
            return [this] { OpenPreviewPage(app_); };
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
        dialog.offerRunSettings(app_.jobs, app_.engine, store_);
        dialog.offerReprojection(app_.reprojection);
        dialog.exec();
    };
}

std::function<void()> MainWindow::specialistCommand(const std::string& name) {
    // Picture copies: from the display picture into the piece, the piece into the copy, and the
    // scaled picture into the copy.
    if (name == "Command5")
        return [this] { StretchCopy(boxes_, boxes_.display, boxes_.piece); };
    if (name == "Command4")
        return [this] { StretchCopy(boxes_, boxes_.piece, boxes_.copy); };
    if (name == "Command7")
        return [this] { StretchCopy(boxes_, boxes_.scaled, boxes_.copy); };
    if (name == "Command6")
        return [this] { ScaleAndQuarterSplit(app_, boxes_, saver_); };
    if (name == "Command21")
        return [this] { FullResolutionSplit(app_, boxes_, saver_); };
    if (name == "Command29")
        return [this] { pendingPreview_ = OpenLargeImage(app_); };
    if (name == "Command33")
        return [this] { SliceLargeImage(app_); };
    if (name == "Command32")
        return [this] { PieceWorldFiles(app_); };
    const std::map<std::string, std::pair<SizeClass, bool>> tileSteps = {
        {"Command2", {SizeClass::S1024, false}},  {"Command22", {SizeClass::S2048, false}},
        {"Command20", {SizeClass::S4096, false}}, {"Command31", {SizeClass::S1024, true}},
        {"Command27", {SizeClass::S2048, true}},  {"Command9", {SizeClass::S4096, true}}};
    if (const auto step = tileSteps.find(name); step != tileSteps.end()) {
        const auto [sizeClass, kmlOnly] = step->second;
        return [this, sizeClass, kmlOnly] { runTiles(app_, currentRun(app_, sizeClass, kmlOnly)); };
    }
    if (name == "Command19")
        return [this] { MultipleDirectories(app_, app_.run.kmlOnly); };
    return {};
}

}  // namespace orvanta
