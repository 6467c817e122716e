#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include "app/user_settings.h"
#include "app/window_rules.h"
#include "platform/os_services.h"
#include "platform/path_names.h"
#include "ui/about_box.h"
#include "ui/image_viewer.h"
#include "ui/manual.h"
#include "ui/picture_image.h"
#include "ui/qt_settings_store.h"

namespace orvanta {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QString swatchStyle(Rgb colour) {
    return QString("background-color: rgb(%1, %2, %3); border: 1px solid gray;")
        .arg(colour.red)
        .arg(colour.green)
        .arg(colour.blue);
}

void showList(QListWidget* list, const std::vector<std::string>& items) {
    QStringList texts;
    for (const std::string& item : items)
        texts << qs(item);
    QStringList shown;
    for (int row = 0; row < list->count(); ++row)
        shown << list->item(row)->text();
    if (shown == texts)
        return;
    const int selected = list->currentRow();
    list->clear();
    list->addItems(texts);
    if (selected >= 0 && selected < list->count())
        list->setCurrentRow(selected);
}

}  // namespace

double twipsPerPixel(const QWidget& widget) {
    return 1440.0 / widget.logicalDpiX();
}

MainWindow::MainWindow(Host* front, SettingsStore* store, QWidget* parent)
    : QMainWindow(parent),
      ownFront_(front ? nullptr : std::make_unique<DialogHost>(this)),
      front_(front ? *front : *ownFront_),
      ownStore_(store ? nullptr : std::make_unique<QtSettingsStore>()),
      store_(store ? *store : *ownStore_),
      host_(front_),
      app_(host_),
      runs_(host_) {
    setObjectName("frmMain");
    setWindowTitle(kAppTitle);
    buildStatusBar();
    buildMenus();
    buildToolBar();
    buildCentralWidget();
    connect(&host_, &WindowHost::statusTextChanged, status_, &QLabel::setText);
    connect(&host_, &WindowHost::progressChanged, this, &MainWindow::showProgress);
    connect(&runs_, &RunController::started, this, &MainWindow::runStarted);
    connect(&runs_, &RunController::ended, this, &MainWindow::runEnded);

    app_.startUp(fixedDisks());
    app_.jobs = loadJobs(store_);
    app_.engine = loadEngine(store_);
    app_.reprojection = loadReprojection(store_);
    app_.settings.googleEarthProgram = loadGoogleEarthProgram(store_);
    app_.googleEarthChosen = [this](const std::string& program) {
        saveGoogleEarthProgram(store_, program);
    };
    // The window opens centred at its smallest size; the layouts give any larger size to the
    // fields and lists.
    const double tpp = twipsPerPixel(*this);
    setMinimumSize(static_cast<int>(kMainWidthTwips / tpp),
                   static_cast<int>(kMainHeightTwips / tpp));
    resize(minimumSize());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    refreshFromState();
}

MainWindow::~MainWindow() {
    runs_.cancel();
    runs_.waitForEnd();
}

QLineEdit* MainWindow::textField(const char* name, std::string ProjectSettings::*field,
                                 bool editable) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(!editable);
    connect(edit, &QLineEdit::textEdited, this,
            [this, field](const QString& text) { app_.settings.*field = text.toStdString(); });
    refreshers_.push_back([this, edit, field] {
        const QString text = qs(app_.settings.*field);
        if (edit->text() != text)
            edit->setText(text);
    });
    return edit;
}

QLineEdit* MainWindow::pathField(const char* name, std::string ProjectSettings::*field) {
    QLineEdit* edit = textField(name, field, true);
    connect(edit, &QLineEdit::editingFinished, this, [this, field] {
        app_.settings.*field = enteredPath(app_.settings.*field);
        refreshFromState();
    });
    return edit;
}

QCheckBox* MainWindow::checkBox(const char* name, const char* caption, bool ProjectSettings::*field,
                                std::function<void()> onClick) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    connect(box, &QCheckBox::clicked, this, [this, field, onClick](bool checked) {
        app_.settings.*field = checked;
        if (onClick)
            onClick();
        refreshFromState();
    });
    refreshers_.push_back([this, box, field] { box->setChecked(app_.settings.*field); });
    return box;
}

QComboBox* MainWindow::comboBox(const char* name, const std::vector<std::string>& choices,
                                std::function<std::string()> shown,
                                std::function<void(const std::string&)> chosen) {
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    // A stored value that is not a choice makes the box editable: text typed there never
    // becomes a choice of its own.
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& choice : choices)
        combo->addItem(qs(choice));
    connect(combo, &QComboBox::activated, this,
            [combo, chosen](int) { chosen(combo->currentText().toStdString()); });
    refreshers_.push_back([combo, shown] {
        // A value from a project file that is not a choice is shown as it stands.
        const QString value = qs(shown());
        const int index = combo->findText(value);
        if (index < 0) {
            combo->setEditable(true);
            combo->setEditText(value);
        } else {
            combo->setEditable(false);
            combo->setCurrentIndex(index);
        }
    });
    return combo;
}

QLabel* MainWindow::factLabel(const char* name, std::function<std::string()> shown) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    refreshers_.push_back([label, shown] { label->setText(qs(shown())); });
    return label;
}

QLineEdit* MainWindow::copyField(const char* name, std::string PictureBoxes::*field) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMaximumWidth(60);
    connect(edit, &QLineEdit::textEdited, this,
            [this, field](const QString& text) { boxes_.*field = text.toStdString(); });
    refreshers_.push_back([this, edit, field] {
        const QString text = qs(boxes_.*field);
        if (edit->text() != text)
            edit->setText(text);
    });
    return edit;
}

QPushButton* MainWindow::button(const char* name, const char* caption,
                                std::function<void()> command, bool longRun) {
    auto* push = new QPushButton(caption);
    push->setObjectName(name);
    push->setAutoDefault(false);
    if (QString(caption) == "...")
        push->setFixedWidth(36);
    if (!command)
        push->setToolTip("Not available in this version");
    connect(push, &QPushButton::clicked, this,
            [this, command, longRun] { runCommand(command, longRun); });
    return push;
}

QAction* MainWindow::action(const char* name, const QString& text, std::function<void()> command,
                            bool longRun) {
    auto* entry = new QAction(text, this);
    entry->setObjectName(name);
    connect(entry, &QAction::triggered, this,
            [this, command, longRun] { runCommand(command, longRun); });
    runLockedActions_.push_back(entry);
    return entry;
}

void MainWindow::refreshFromState() {
    // While a run goes, the worker owns the state: only the locks change.
    const bool running = runs_.running();
    for (QWidget* widget : runLocked_)
        widget->setEnabled(!running);
    for (QAction* entry : runLockedActions_)
        entry->setEnabled(!running);
    if (running)
        return;
    for (const auto& refresh : refreshers_)
        refresh();
    showList(List1_, app_.settings.multiResolutionImages);
    showList(List2_, app_.settings.batchFolders);
    transparentSwatch_->setStyleSheet(swatchStyle(app_.settings.transparentColour));
    for (const auto& [widget, enabled] : flagged_)
        widget->setEnabled(app_.enabled.*enabled);
    for (const auto& [entry, enabled] : flaggedActions_)
        entry->setEnabled(app_.enabled.*enabled);
    status_->setText(qs(app_.statusText()));
}

void MainWindow::runCommand(const std::function<void()>& command, bool longRun) {
    if (!command || runs_.running())
        return;
    if (longRun) {
        runs_.start(command);
    } else {
        command();
        refreshFromState();
    }
}

void MainWindow::runStarted() {
    progress_->setRange(0, 0);  // busy until the operation reports its first count
    progress_->show();
    cancel_->setEnabled(true);
    cancel_->show();
    refreshFromState();
}

void MainWindow::showProgress(int done, int total) {
    if (total <= 0)
        return;
    progress_->setRange(0, total);
    progress_->setValue(done);
}

void MainWindow::showResult() {
    const Outcome& last = app_.outcome;
    if (last.ending != Ending::Done) {
        result_->hide();
    } else if (!last.topKmlFiles.empty()) {
        // A run that only started Google Earth leaves the result of the one before.
        resultPath_ = last.topKmlFiles.front();
        // The output KML path shows where this run wrote its top file (an output folder moves
        // it away from the input).
        app_.settings.kmlFolder = folderOf(resultPath_);
        resultFile_->setText(QString::fromStdString("Result: " + resultPath_));
        result_->show();
    }
}

void MainWindow::runEnded(RunController::Outcome outcome, const QString& failure) {
    progress_->hide();
    cancel_->hide();
    if (pendingPreview_) {
        showPreview(*pendingPreview_);
        pendingPreview_.reset();
    }
    if (outcome == RunController::Outcome::Cancelled) {
        app_.setStatus("The run was cancelled.");
    } else if (outcome == RunController::Outcome::Failed) {
        app_.host().messageBox(failure.toStdString(), kAppTitle);
    }
    showResult();
    refreshFromState();
    if (closeWhenRunEnds_)
        close();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    const double tpp = twipsPerPixel(*this);
    const WindowPlacement asked{0, 0, static_cast<float>(width() * tpp),
                                static_cast<float>(height() * tpp)};
    const WindowPlacement ruled = applySizeRule(asked);
    if (ruled.width != asked.width || ruled.height != asked.height) {
        resize(static_cast<int>(ruled.width / tpp), static_cast<int>(ruled.height / tpp));
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (runs_.running()) {
        // The run ends at its next event point; the window closes then.
        closeWhenRunEnds_ = true;
        runs_.cancel();
        event->ignore();
        return;
    }
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* other : windows) {
        if (other != this && other->isVisible())
            other->close();
    }
    const double tpp = twipsPerPixel(*this);
    const QRect frame = frameGeometry();
    saveWindowPlacement(
        store_,
        {static_cast<float>(frame.x() * tpp), static_cast<float>(frame.y() * tpp),
         static_cast<float>(frame.width() * tpp), static_cast<float>(frame.height() * tpp)},
        isMinimized());
    saveGoogleEarthProgram(store_, app_.settings.googleEarthProgram);
    event->accept();
}

void MainWindow::exitApplication() {
    close();
}

void MainWindow::cutOrPaste(bool cut) {
    QWidget* focused = QApplication::focusWidget();
    if (!focused)
        return;
    const int key = cut ? Qt::Key_X : Qt::Key_V;
    const QString text = cut ? "\x18" : "\x16";
    QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::ControlModifier, text);
    QApplication::sendEvent(focused, &press);
    QApplication::sendEvent(focused, &release);
}

int MainWindow::selectedRow(QListWidget* list) const {
    return list->selectedItems().isEmpty() ? -1 : list->currentRow();
}

void MainWindow::openManualPage(const char* page) {
    const std::string path = manualPagePath(page);
    if (path.empty()) {
        app_.host().messageBox("The user manual was not found beside the program.", kAppTitle);
        return;
    }
    app_.host().openUrl(path);
}

void MainWindow::showPreview(const Preview& preview) {
    boxes_.display = preview.picture;
    if (!viewer_)
        viewer_ = new ImageViewer(this);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
    const int tpp = static_cast<int>(twipsPerPixel(*this) + 0.5);
    const ViewerGeometry twips =
        viewerGeometry(preview.size, screenSize.width(), screenSize.height(), tpp);
    viewer_->showPicture(toQImage(preview.picture), QSize(twips.width / tpp, twips.height / tpp));
}

void MainWindow::showAbout() {
    AboutBox about(app_.host(), this);
    about.exec();
}

}  // namespace orvanta
