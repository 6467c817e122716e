#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

#include "app/app_state.h"
#include "app/open_image.h"
#include "platform/settings_store.h"
#include "tiling/picture_split.h"
#include "ui/run_controller.h"
#include "ui/window_host.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace orvanta {

class ImageViewer;

// The main window. It shows and edits the application state and starts its operations; long
// operations run on a worker thread while the window stays live.
class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // `front` answers the dialogs (the Qt dialogs when null) and `store` keeps the window
    // placement (Qt's per-user settings when null); tests pass scripted ones.
    explicit MainWindow(Host* front = nullptr, SettingsStore* store = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    AppState& app() { return app_; }
    RunController& runs() { return runs_; }

    // Shows every field and enabled flag of the application state.
    void refreshFromState();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Building the window (main_window_layout.cpp).
    void buildCentralWidget();
    QWidget* buildInputGroup();
    QWidget* buildLists();
    QWidget* buildImageFacts();
    QWidget* buildOutputGroup();
    QWidget* buildGoogleEarthGroup();
    QWidget* buildActions();
    QWidget* buildAdvancedPanel();
    QLayout* buildCopyParameters();
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();

    // Controls bound to fields of the project record.
    QLineEdit* textField(const char* name, std::string ProjectSettings::*field, bool editable);
    // An editable folder field: what is typed is made an absolute path when editing ends.
    QLineEdit* pathField(const char* name, std::string ProjectSettings::*field);
    QCheckBox* checkBox(const char* name, const char* caption, bool ProjectSettings::*field,
                        std::function<void()> onClick);
    // A choice list that shows `shown()` and hands the person's choice to `chosen`.
    QComboBox* comboBox(const char* name, const std::vector<std::string>& choices,
                        std::function<std::string()> shown,
                        std::function<void(const std::string&)> chosen);
    QLabel* factLabel(const char* name, std::function<std::string()> shown);
    // A push button that runs `command` on the window's thread, or on the worker when `longRun`.
    QPushButton* button(const char* name, const char* caption, std::function<void()> command,
                        bool longRun);
    // Makes the widget follow one of the enabled flags of the application state.
    template <typename Widget>
    Widget* flag(Widget* widget, bool EnabledFlags::*enabled) {
        flagged_.push_back({widget, enabled});
        return widget;
    }
    // The same command as a menu entry or toolbar key.
    QAction* action(const char* name, const QString& text, std::function<void()> command,
                    bool longRun);

    // The operations behind the controls (main_window_commands.cpp); an empty function where
    // the window offers a control whose operation the core does not have.
    enum class ListCommand {
        AddImage,
        RemoveImage,
        ClearImages,
        ChooseTiles,
        AddFolder,
        AddSubfolders,
        RemoveFolder,
        ClearFolders,
        ChooseGoogleEarth,
        ChooseKmlFolder,
        ChooseOutputFolder
    };
    enum class RunCommand { Transform, LoadInGoogleEarth, ReGenerate, SaveAsKmz, OpenPreview };
    std::function<void()> listCommand(ListCommand command);
    std::function<void()> runCommandFor(RunCommand command);
    std::function<void()> openImageCommand();
    std::function<void()> previewCommand();
    std::function<void()> optionsCommand();
    std::function<void()> specialistCommand(const std::string& name);

    // Running commands.
    void runCommand(const std::function<void()>& command, bool longRun);
    void runStarted();
    void runEnded(RunController::Outcome outcome, const QString& failure);
    void showProgress(int done, int total);
    // After a run that wrote files: the status bar names the top KML file.
    void showResult();
    void exitApplication();
    void cutOrPaste(bool cut);
    int selectedRow(QListWidget* list) const;

    // Shows a preview in the viewer window; its picture becomes the display picture.
    void showPreview(const Preview& preview);
    // A text box holding one copy parameter of the picture copies.
    QLineEdit* copyField(const char* name, std::string PictureBoxes::*field);

    // Help.
    void openManualPage(const char* page);
    void showAbout();

    std::unique_ptr<Host> ownFront_;
    Host& front_;
    std::unique_ptr<SettingsStore> ownStore_;
    SettingsStore& store_;
    WindowHost host_;
    AppState app_;
    RunController runs_;

    std::vector<std::function<void()>> refreshers_;  // show one field each
    std::vector<std::pair<QWidget*, bool EnabledFlags::*>> flagged_;
    std::vector<QWidget*> runLocked_;  // disabled during a run
    std::vector<QAction*> runLockedActions_;
    // Toolbar keys that follow the button they stand for ("Start": Transform).
    std::vector<std::pair<QAction*, bool EnabledFlags::*>> flaggedActions_;
    PictureBoxes boxes_;  // the picture boxes and copy parameters of the picture copies
    cGdiPlus saver_;
    std::optional<Preview> pendingPreview_;  // made by the worker, shown when the run ends
    ImageViewer* viewer_ = nullptr;
    QListWidget* List1_ = nullptr;
    QListWidget* List2_ = nullptr;
    QToolButton* transparentSwatch_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QWidget* result_ = nullptr;  // the top KML file of the last run, with its two buttons
    QLabel* resultFile_ = nullptr;
    std::string resultPath_;
    bool closeWhenRunEnds_ = false;
};

// One twip is 1/1440 inch: the window's size rule is written in twips.
double twipsPerPixel(const QWidget& widget);

}  // namespace orvanta
