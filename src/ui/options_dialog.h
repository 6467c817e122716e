#pragma once

#include <QDialog>

#include "app/reprojection.h"
#include "options/large_image_options.h"
#include "platform/pixel_engine.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace orvanta {

class Host;
class SettingsStore;

// "OVT Large Image Options": shows and edits the large-image options. OK applies and closes,
// "&Apply" writes settings.ini, Cancel closes without writing; both closes unload the options,
// so the next reader loads them again from settings.ini and the machine.
class OptionsDialog : public QDialog {
    Q_OBJECT

  public:
    OptionsDialog(LargeImageOptions& options, Host& host, QWidget* parent = nullptr);

    // Adds the number of tiling steps that run at once and the pixel engine to the first
    // page; applying sets `jobs` and `engine` and keeps them in `store`.
    void offerRunSettings(int& jobs, PixelEngine& engine, SettingsStore& store);
    // Adds whether images in other coordinate systems are always warped to WGS84 (else the
    // person is asked) and how they are resampled; applying keeps them in the same store.
    void offerReprojection(ReprojectionSettings& reprojection);

    // Writes settings.ini; false when it could not be written (the error has been shown).
    bool apply();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

  private:
    QWidget* buildResourcesPage();
    QWidget* buildPiecesPage();
    QComboBox* combo(const char* name, const std::vector<std::string>& choices,
                     std::string LargeImageOptions::*field, void (*check)(LargeImageOptions&));
    void refresh();
    void chooseColour();

    LargeImageOptions& options_;
    Host& host_;
    QTabWidget* pages_ = nullptr;
    QFormLayout* resourcesForm_ = nullptr;
    QSpinBox* jobsBox_ = nullptr;
    int* jobs_ = nullptr;
    QComboBox* engineBox_ = nullptr;
    PixelEngine* engine_ = nullptr;
    SettingsStore* jobsStore_ = nullptr;
    QCheckBox* reprojectBox_ = nullptr;
    QComboBox* resamplingBox_ = nullptr;
    ReprojectionSettings* reprojection_ = nullptr;
    QComboBox* pieceFormatBox_ = nullptr;
    QToolButton* backgroundSwatch_ = nullptr;
    std::vector<std::pair<QComboBox*, std::string LargeImageOptions::*>> combos_;
    std::vector<std::pair<QLabel*, std::string LargeImageOptions::*>> labels_;
};

}  // namespace orvanta
