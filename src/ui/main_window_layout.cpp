// Builds the controls of the main window, top to bottom: input, output options, Google Earth,
// actions; the specialist steps live on their own "Advanced" page.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

#include "app/project_commands.h"
#include "ui/main_window.h"

namespace orvanta {
namespace {

// A list under the check box that switches it on, with its small buttons beside the box.
QWidget* listWithButtons(QCheckBox* check, QListWidget* list,
                         std::initializer_list<QPushButton*> buttons) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* header = new QHBoxLayout;
    header->addWidget(check, 1);
    for (QPushButton* button : buttons) {
        button->setFixedWidth(30);
        header->addWidget(button);
    }
    layout->addLayout(header);
    list->setMaximumHeight(52);
    layout->addWidget(list);
    return box;
}

}  // namespace

void MainWindow::buildCentralWidget() {
    auto* project = new QWidget;
    auto* layout = new QVBoxLayout(project);
    layout->setSpacing(4);
    layout->addWidget(buildInputGroup());
    layout->addWidget(buildOutputGroup());
    layout->addWidget(buildGoogleEarthGroup());
    layout->addStretch();
    auto* scroll = new QScrollArea;
    scroll->setWidget(project);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);

    auto* pages = new QTabWidget;
    pages->setObjectName("Frame1");
    pages->addTab(scroll, " Project Settings");
    pages->addTab(buildAdvancedPanel(), "Advanced");
    runLocked_.push_back(pages);

    auto* central = new QWidget;
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(6, 6, 6, 6);
    centralLayout->addWidget(pages, 1);
    centralLayout->addWidget(buildActions());
    setCentralWidget(central);
}

QWidget* MainWindow::buildInputGroup() {
    auto* group = new QGroupBox("Input");
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(3);
    auto* image = textField("Projectimage", &ProjectSettings::projectImage, false);
    image->setPlaceholderText("an image of 1024, 2048 or 4096 pixels square, or a large image");
    grid->addWidget(new QLabel("Raster Image File:"), 0, 0);
    grid->addWidget(image, 0, 1, 1, 2);
    auto* openButtons = new QHBoxLayout;
    openButtons->addWidget(button("Command10", "...", openImageCommand(), true));
    // Pictures of any other size come in through the large-image slicer.
    QPushButton* large =
        button("Command29", "Large Image Slicer", specialistCommand("Command29"), true);
    large->setToolTip("Open a picture of any size; it is cut into 4096 pieces when transformed");
    openButtons->addWidget(large);
    grid->addLayout(openButtons, 0, 3);
    auto* tiles = textField("tilesdirr", &ProjectSettings::tilesFolder, false);
    tiles->setPlaceholderText("a folder of images of one tile size, each with its world file");
    grid->addWidget(new QLabel("Tiles Image Directory:"), 1, 0);
    grid->addWidget(tiles, 1, 1, 1, 2);
    QPushButton* chooseTiles =
        button("Command14", "...", listCommand(ListCommand::ChooseTiles), true);
    grid->addWidget(chooseTiles, 1, 3, Qt::AlignLeft);
    grid->addWidget(new QLabel("Project Name:"), 2, 0);
    grid->addWidget(textField("projname", &ProjectSettings::projectName, true), 2, 1);
    grid->addWidget(checkBox("Check5", "Preview Image", &ProjectSettings::previewImage, nullptr), 2,
                    2, 1, 2);
    // Where the result goes, right under what goes in: visible at the window's smallest size.
    grid->addWidget(new QLabel("Output folder (empty: beside the input):"), 3, 0);
    grid->addWidget(pathField("outputFolder", &ProjectSettings::outputFolder), 3, 1, 1, 2);
    grid->addWidget(
        button("chooseOutput", "...", listCommand(ListCommand::ChooseOutputFolder), false), 3, 3,
        Qt::AlignLeft);

    grid->addWidget(buildLists(), 4, 0, 1, 4);
    grid->addWidget(buildImageFacts(), 5, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget* MainWindow::buildLists() {
    auto* lists = new QWidget;
    auto* listRow = new QHBoxLayout(lists);
    listRow->setContentsMargins(0, 0, 0, 0);
    List1_ = new QListWidget;
    List1_->setObjectName("List1");
    flagged_.push_back({List1_, &EnabledFlags::multiResolutionImages});
    listRow->addWidget(
        listWithButtons(
            checkBox("Check6", "Multi Resolution Imagery", &ProjectSettings::multiResolution,
                     [this] { app_.multiResolutionChanged(); }),
            List1_,
            {flag(button("Command11", "+", listCommand(ListCommand::AddImage), false),
                  &EnabledFlags::addImage),
             flag(button("Command12", "-", listCommand(ListCommand::RemoveImage), false),
                  &EnabledFlags::removeImage),
             flag(button("Command13", "C", listCommand(ListCommand::ClearImages), false),
                  &EnabledFlags::clearImages)}),
        1);
    List2_ = new QListWidget;
    List2_->setObjectName("List2");
    flagged_.push_back({List2_, &EnabledFlags::batchFolders});
    listRow->addWidget(
        listWithButtons(
            checkBox("Check2", "Multiple Tiles Directories", &ProjectSettings::multipleFolders,
                     [this] { app_.multipleFoldersChanged(); }),
            List2_,
            {flag(button("Command15", "+", listCommand(ListCommand::AddFolder), true),
                  &EnabledFlags::addFolder),
             flag(button("Command28", "++", listCommand(ListCommand::AddSubfolders), true),
                  &EnabledFlags::addSubfolders),
             flag(button("Command16", "-", listCommand(ListCommand::RemoveFolder), false),
                  &EnabledFlags::removeFolder),
             flag(button("Command17", "C", listCommand(ListCommand::ClearFolders), false),
                  &EnabledFlags::clearFolders)}),
        1);
    return lists;
}

QWidget* MainWindow::buildImageFacts() {
    auto* facts = new QWidget;
    auto* row = new QHBoxLayout(facts);
    row->setContentsMargins(0, 0, 0, 0);
    const std::pair<const char*, std::string ProjectSettings::*> shown[] = {
        {"Width (Pixels):", &ProjectSettings::widthText},
        {"Height  (Pixels):", &ProjectSettings::heightText},
        {"Bit Depth:", &ProjectSettings::bitDepthText},
        {"Resolution:", &ProjectSettings::resolutionText}};
    int index = 1;
    for (const auto& [caption, field] : shown) {
        row->addWidget(new QLabel(caption));
        const std::string name = "Label" + std::to_string(index++);
        auto* value = factLabel(name.c_str(), [this, field] { return app_.settings.*field; });
        value->setMinimumWidth(50);
        row->addWidget(value);
    }
    row->addWidget(new QLabel("Greyscale:"));
    auto* greyscale = factLabel("Label5", [this] { return app_.greyscaleText; });
    greyscale->setMinimumWidth(40);
    row->addWidget(greyscale);
    row->addStretch();
    return facts;
}

QWidget* MainWindow::buildOutputGroup() {
    auto* group = new QGroupBox("Output options");
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(3);
    grid->addWidget(new QLabel("Target Tiles Size:"), 0, 0);
    ProjectSettings& s = app_.settings;
    grid->addWidget(comboBox(
                        "Combo1", kTileSizeChoices, [&s] { return s.targetTileSize; },
                        [&s](const std::string& text) { s.targetTileSize = text; }),
                    0, 1);
    grid->addWidget(new QLabel("Output Image Format:"), 0, 2);
    auto* format = comboBox(
        "Combo2", kFormatChoices, [&s] { return formatName(s.outputFormat); },
        [&s](const std::string& text) {
            s.outputFormat = parsePictureFormat(text).value_or(s.outputFormat);
        });
    flagged_.push_back({format, &EnabledFlags::outputFormat});
    grid->addWidget(format, 0, 3);
    grid->addWidget(new QLabel("Output Image Quality:"), 0, 4);
    std::vector<std::string> qualities;
    for (int quality : kQualityChoices)
        qualities.push_back(std::to_string(quality));
    grid->addWidget(comboBox(
                        "Combo5", qualities, [&s] { return std::to_string(s.jpegQuality); },
                        [&s](const std::string& text) {
                            // A value typed over a stored one that is no quality is not taken.
                            s.jpegQuality = jpegQualityOf(text).value_or(s.jpegQuality);
                        }),
                    0, 5);

    grid->addWidget(checkBox("Check4", "Transparent Image", &ProjectSettings::transparent,
                             [this] { app_.transparentChanged(); }),
                    1, 0);
    auto* colour = new QWidget;
    auto* colourRow = new QHBoxLayout(colour);
    colourRow->setContentsMargins(0, 0, 0, 0);
    colourRow->addWidget(new QLabel("Transperant color:"));
    transparentSwatch_ = new QToolButton;
    transparentSwatch_->setObjectName("Label25");
    transparentSwatch_->setFixedSize(36, 20);
    transparentSwatch_->setToolTip(
        "Click to choose the colour that becomes transparent in the tiles");
    connect(transparentSwatch_, &QToolButton::clicked, this, [this] {
        app_.chooseTransparentColour();
        refreshFromState();
    });
    colourRow->addWidget(transparentSwatch_);
    colourRow->addWidget(factLabel("Label26", [&s] { return s.transparentColour.text(); }));
    grid->addWidget(colour, 1, 1, 1, 3);
    grid->addWidget(new QLabel("Image display order:"), 1, 4);
    grid->addWidget(comboBox(
                        "Combo4", kOrderChoices, [&s] { return displayOrderName(s.drawOrder); },
                        [&s](const std::string& text) { s.drawOrder = displayOrderOf(text); }),
                    1, 5);
    grid->addWidget(checkBox("skipEmptyTiles", "Skip empty edge tiles",
                             &ProjectSettings::skipEmptyTiles, nullptr),
                    2, 0, 1, 3);
    QCheckBox* exactEdges = checkBox("exactEdges", "Exact edges (pixel corners)",
                                     &ProjectSettings::exactEdges, nullptr);
    exactEdges->setToolTip(
        "Put the edges of the imagery at the corners of its pixels, as GIS "
        "tools read a world file, instead of at the centre of the upper-left "
        "pixel");
    grid->addWidget(exactEdges, 2, 3, 1, 3);
    return group;
}

QWidget* MainWindow::buildGoogleEarthGroup() {
    auto* group = new QGroupBox("Google Earth and web hosting");
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(3);
    grid->addWidget(new QLabel("Path to Google Earth Executable:"), 0, 0);
    grid->addWidget(textField("pathtogoogle", &ProjectSettings::googleEarthProgram, true), 0, 1);
    grid->addWidget(button("Command23", "...", listCommand(ListCommand::ChooseGoogleEarth), false),
                    0, 2);
    grid->addWidget(new QLabel("Path to the output kml file"), 1, 0);
    grid->addWidget(pathField("kmlpath", &ProjectSettings::kmlFolder), 1, 1);
    grid->addWidget(button("Command24", "...", listCommand(ListCommand::ChooseKmlFolder), false), 1,
                    2);
    auto* checks = new QWidget;
    auto* row = new QHBoxLayout(checks);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(
        checkBox("Check3", "Open KML file when finished", &ProjectSettings::openWhenDone, nullptr));
    row->addWidget(checkBox("Check1", "Host tiles on webserver", &ProjectSettings::hostOnWebServer,
                            [this] { app_.hostOnWebServerChanged(); }));
    row->addWidget(checkBox("relativeLinks", "Portable links (relative paths)",
                            &ProjectSettings::relativeLinks, nullptr));
    row->addWidget(
        checkBox("previewPage", "Write a preview page", &ProjectSettings::previewPage, nullptr));
    row->addStretch();
    grid->addWidget(checks, 2, 0, 1, 3);
    auto* url = textField("Text11", &ProjectSettings::webServerUrl, true);
    flagged_.push_back({url, &EnabledFlags::webServerUrl});
    grid->addWidget(new QLabel("Webserver URL to server the tiles kml and images"), 3, 0);
    grid->addWidget(url, 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget* MainWindow::buildActions() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    QPushButton* transform =
        button("Command25", "Transform", runCommandFor(RunCommand::Transform), true);
    transform->setDefault(true);
    flagged_.push_back({transform, &EnabledFlags::transform});
    QPushButton* load = button("Command26", "Load in GoogleEarth",
                               runCommandFor(RunCommand::LoadInGoogleEarth), true);
    flagged_.push_back({load, &EnabledFlags::loadInGoogleEarth});
    QPushButton* regenerate =
        button("Command30", "Re-Generate KML Files", runCommandFor(RunCommand::ReGenerate), true);
    flagged_.push_back({regenerate, &EnabledFlags::regenerateKml});
    QPushButton* kmz =
        button("saveKmz", "Save as KMZ...", runCommandFor(RunCommand::SaveAsKmz), true);
    flagged_.push_back({kmz, &EnabledFlags::regenerateKml});
    QPushButton* preview =
        button("openPreview", "Preview", runCommandFor(RunCommand::OpenPreview), false);
    flagged_.push_back({preview, &EnabledFlags::openPreview});
    for (QPushButton* command : {transform, load, regenerate, kmz, preview}) {
        command->setMinimumHeight(30);
        layout->addWidget(command);
        runLocked_.push_back(command);
    }
    return row;
}

QWidget* MainWindow::buildAdvancedPanel() {
    auto* page = new QWidget;
    page->setObjectName("Advanced");
    auto* pageLayout = new QVBoxLayout(page);
    // Everything on this page is for developers and specialists: one heading says so.
    auto* tools = new QGroupBox("Developer tools: the single steps of Transform");
    tools->setObjectName("developerTools");
    auto* layout = new QVBoxLayout(tools);
    auto* note = new QLabel(
        "The single steps that \"Transform\" runs for you, for specialists who want to repeat "
        "one step over the current project. They use the settings of the Project page.");
    note->setWordWrap(true);
    layout->addWidget(note);
    struct Step {
        const char* name;
        const char* caption;
    };
    const std::pair<const char*, std::vector<Step>> groups[] = {
        {"Tile pyramid",
         {{"Command2", "Split 1024"},
          {"Command22", "Single Split 2048"},
          {"Command20", "Split 4096"}}},
        {"KML files",
         {{"Command31", "Make KML 1024"},
          {"Command27", "Make KML 2048"},
          {"Command9", "Make KML 4096"},
          {"Command19", "Multiple "}}},
        {"Large images",
         {{"Command33", "Imagemagick large image slicer"}, {"Command32", "Gen world F"}}},
        {"Picture copies",
         {{"Command5", "StretchDIBits"},
          {"Command4", "StretchDIBits2"},
          {"Command7", "StretchDIBits3"},
          {"Command6", "Scale1024 to 512 and split it"},
          {"Command21", "Splitorigional"}}},
    };
    QVBoxLayout* lastGroup = nullptr;
    for (const auto& [title, steps] : groups) {
        auto* group = new QGroupBox(title);
        lastGroup = new QVBoxLayout(group);
        auto* row = new QHBoxLayout;
        for (const Step& step : steps) {
            row->addWidget(button(step.name, step.caption, specialistCommand(step.name), true));
        }
        row->addStretch();
        lastGroup->addLayout(row);
        layout->addWidget(group);
    }
    lastGroup->addLayout(buildCopyParameters());
    pageLayout->addWidget(tools);
    pageLayout->addStretch();
    return page;
}

// The copy parameters of the picture copies, in pixels.
QLayout* MainWindow::buildCopyParameters() {
    auto* parameters = new QGridLayout;
    using Field = std::string PictureBoxes::*;
    const std::tuple<const char*, const char*, Field, const char*, Field> pairs[] = {
        {"origion of dest", "Text3", &PictureBoxes::destX, "Text4", &PictureBoxes::destY},
        {"Width Height of dest", "Text5", &PictureBoxes::destWidth, "Text6",
         &PictureBoxes::destHeight},
        {"origion of src", "Text7", &PictureBoxes::sourceX, "Text8", &PictureBoxes::sourceY},
        {"Width Height of src", "Text9", &PictureBoxes::sourceWidth, "Text10",
         &PictureBoxes::sourceHeight}};
    int place = 0;
    for (const auto& [caption, first, firstField, second, secondField] : pairs) {
        const int row = place / 2, column = (place % 2) * 3;
        parameters->addWidget(new QLabel(caption), row, column);
        parameters->addWidget(copyField(first, firstField), row, column + 1);
        parameters->addWidget(copyField(second, secondField), row, column + 2);
        ++place;
    }
    parameters->setColumnStretch(6, 1);
    return parameters;
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction(action(
        "mnuFileNew", "&New", [this] { app_.closeProject(); }, false));
    file->addAction(action("mnuFileOpen", "&Open Image...", openImageCommand(), true));
    file->addAction(action(
        "menopenproj", "Open &Project...", [this] { openProject(app_); }, false));
    file->addAction(action(
        "mnuFileClose", "&Close", [this] { app_.closeProject(); }, false));
    file->addSeparator();
    file->addAction(action(
        "mnuFileSave", "&Save Project", [this] { saveProject(app_); }, false));
    file->addAction(action(
        "mnuFileSaveAs", "Save Project &As...", [this] { saveProjectAs(app_); }, false));
    file->addSeparator();
    QAction* exitEntry = file->addAction("E&xit", this, &MainWindow::exitApplication);
    exitEntry->setObjectName("mnuFileExit");

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addAction("Cu&t", this, [this] { cutOrPaste(true); })->setObjectName("mnuEditCut");
    edit->addAction("&Paste", this, [this] { cutOrPaste(false); })->setObjectName("mnuEditPaste");

    QMenu* view = menuBar()->addMenu("&View");
    view->addAction(action("mnuViewPreview", "Image Preview", previewCommand(), false));

    QMenu* tools = menuBar()->addMenu("&Tools");
    tools->addAction(action("mnuToolsOptions", "&Options...", optionsCommand(), false));

    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction("&Contents", this, [this] { openManualPage("index.html"); })
        ->setObjectName("mnuHelpContents");
    help->addAction("Homepage", this, [this] { openManualPage("index.html"); })
        ->setObjectName("mnuHelpHomepage");
    help->addAction("Online Support", this, [this] { openManualPage("troubleshooting.html"); })
        ->setObjectName("mnuHelpSupport");
    help->addSeparator();
    help->addAction("&About ", this, &MainWindow::showAbout)->setObjectName("mnuHelpAbout");
}

void MainWindow::buildToolBar() {
    QToolBar* bar = addToolBar("Toolbar");
    bar->setObjectName("tbToolBar");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(16, 16));
    const auto icon = [this](QStyle::StandardPixmap pixmap) {
        return style()->standardIcon(pixmap);
    };
    // Each key does what its name says; the keys are the object names.
    struct Key {
        const char* key;
        const char* text;
        QStyle::StandardPixmap icon;
        std::function<void()> command;
        bool longRun;
    };
    const Key keys[] = {
        {"New", "New", QStyle::SP_FileIcon, [this] { app_.closeProject(); }, false},
        {"Open", "Image", QStyle::SP_DialogOpenButton, openImageCommand(), true},
        {"openproject", "Project", QStyle::SP_DirOpenIcon, [this] { openProject(app_); }, false},
        {"Save", "Save", QStyle::SP_DialogSaveButton, [this] { saveProject(app_); }, false},
        {"tiless", "Tiles", QStyle::SP_DirIcon, listCommand(ListCommand::ChooseTiles), true},
        {"kmlpat", "KML", QStyle::SP_DirLinkIcon, listCommand(ListCommand::ChooseKmlFolder), false},
        {"Start", "Transform", QStyle::SP_MediaPlay, runCommandFor(RunCommand::Transform), true},
        {"googleearth", "Earth", QStyle::SP_ComputerIcon,
         runCommandFor(RunCommand::LoadInGoogleEarth), true},
        {"Properties", "Options", QStyle::SP_FileDialogDetailedView, optionsCommand(), false},
        {"Help", "Help", QStyle::SP_DialogHelpButton, [this] { openManualPage("index.html"); },
         false},
    };
    for (const Key& key : keys) {
        QAction* entry = action(key.key, key.text, key.command, key.longRun);
        entry->setIcon(icon(key.icon));
        bar->addAction(entry);
        if (std::string(key.key) == "Start")
            flaggedActions_.push_back({entry, &EnabledFlags::transform});
        if (std::string(key.key) == "googleearth") {
            flaggedActions_.push_back({entry, &EnabledFlags::loadInGoogleEarth});
        }
    }
    QAction* exitKey = bar->addAction(icon(QStyle::SP_DialogCloseButton), "Exit", this,
                                      &MainWindow::exitApplication);
    exitKey->setObjectName("Exit");
}

void MainWindow::buildStatusBar() {
    statusBar()->setObjectName("sbStatusBar");
    status_ = new QLabel;
    status_->setObjectName("StatusText");
    statusBar()->addWidget(status_, 1);
    progress_ = new QProgressBar;
    progress_->setObjectName("progress");
    progress_->setMaximumWidth(200);
    progress_->setFormat("%v of %m");
    progress_->hide();
    statusBar()->addPermanentWidget(progress_);
    cancel_ = new QPushButton("Cancel");
    cancel_->setObjectName("Cancel");
    cancel_->setToolTip("Ends the run at the next image or file");
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, [this] { runs_.cancel(); });
    statusBar()->addPermanentWidget(cancel_);

    result_ = new QWidget;
    result_->setObjectName("result");
    auto* row = new QHBoxLayout(result_);
    row->setContentsMargins(0, 0, 0, 0);
    resultFile_ = new QLabel;
    resultFile_->setObjectName("resultFile");
    resultFile_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(resultFile_);
    auto* openFolder = new QPushButton("Open folder");
    openFolder->setObjectName("openResultFolder");
    connect(openFolder, &QPushButton::clicked, this,
            [this] { host_.openUrl(std::filesystem::path(resultPath_).parent_path().string()); });
    row->addWidget(openFolder);
    auto* load = new QPushButton("Load in GoogleEarth");
    load->setObjectName("loadResult");
    connect(load, &QPushButton::clicked, this,
            [this] { runCommand(runCommandFor(RunCommand::LoadInGoogleEarth), true); });
    row->addWidget(load);
    result_->hide();
    statusBar()->addPermanentWidget(result_);
}

}  // namespace orvanta
