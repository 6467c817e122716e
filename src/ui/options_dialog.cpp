#include "ui/options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/app_state.h"
#include "app/error_policy.h"
#include "app/user_settings.h"

namespace orvanta {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

OptionsDialog::OptionsDialog(LargeImageOptions& options, Host& host, QWidget* parent)
    : QDialog(parent), options_(options), host_(host) {
    setObjectName("frmOptions");
    setWindowTitle("OVT Large Image Options");
    setModal(true);
    ensureLoaded(options_);

    pages_ = new QTabWidget;
    pages_->setObjectName("TabStrip1");
    pages_->addTab(buildResourcesPage(), "Large Image Settings ");
    pages_->addTab(buildPiecesPage(), "Pieces");

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("cmdOK");
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cmdCancel");
    QPushButton* applyButton = buttons->addButton("&Apply", QDialogButtonBox::ApplyRole);
    applyButton->setObjectName("cmdApply");
    connect(ok, &QPushButton::clicked, this, [this] {
        if (apply())
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(applyButton, &QPushButton::clicked, this, [this] { apply(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
    refresh();
}

QComboBox* OptionsDialog::combo(const char* name, const std::vector<std::string>& choices,
                                std::string LargeImageOptions::*field,
                                void (*check)(LargeImageOptions&)) {
    auto* box = new QComboBox;
    box->setObjectName(name);
    for (const std::string& choice : choices)
        box->addItem(qs(choice));
    connect(box, &QComboBox::activated, this, [this, box, field, check](int) {
        options_.*field = box->currentText().toStdString();
        if (check)
            check(options_);
        refresh();
    });
    combos_.push_back({box, field});
    return box;
}

QWidget* OptionsDialog::buildResourcesPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    resourcesForm_ = form;
    const auto shown = [this](const char* name, std::string LargeImageOptions::*field) {
        auto* label = new QLabel;
        label->setObjectName(name);
        labels_.push_back({label, field});
        return label;
    };
    form->addRow("Total Physical Memory (RAM) available:",
                 shown("Label3", &LargeImageOptions::totalMemoryText));
    form->addRow("Free  Physical Memory (RAM) available:",
                 shown("Label5", &LargeImageOptions::freeMemoryText));
    form->addRow("RAM memory available for OVT:",
                 combo("Combo1", kMemoryChoices, &LargeImageOptions::ramMb, ramChanged));
    form->addRow("Primary Scratch Drive to be used by OVT:",
                 combo("Combo5", options_.primaryDrives, &LargeImageOptions::primaryScratchDrive,
                       primaryDriveChanged));
    form->addRow("Free space:", shown("Label12", &LargeImageOptions::primaryFreeText));
    form->addRow("Secondary Scratch Drive to be used by OVT:",
                 combo("Combo3", options_.secondaryDrives,
                       &LargeImageOptions::secondaryScratchDrive, secondaryDriveChanged));
    form->addRow("Free space:", shown("Label11", &LargeImageOptions::secondaryFreeText));
    form->addRow("Hard Disk Space available for OVT:",
                 combo("Combo2", kDiskChoices, &LargeImageOptions::diskGb, diskChanged));
    return page;
}

QWidget* OptionsDialog::buildPiecesPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    form->addRow("Split Large image into multiple of (WxH) in Pixels:",
                 combo("Combo4", kPieceSizeChoices, &LargeImageOptions::pieceSize, nullptr));
    pieceFormatBox_ = new QComboBox;
    pieceFormatBox_->setObjectName("Combo6");
    for (const std::string& choice : kFormatChoices)
        pieceFormatBox_->addItem(qs(choice));
    connect(pieceFormatBox_, &QComboBox::activated, this, [this](int) {
        const std::string text = pieceFormatBox_->currentText().toStdString();
        options_.pieceFormat = parsePictureFormat(text).value_or(options_.pieceFormat);
    });
    form->addRow("Large Tiles Image Format:", pieceFormatBox_);
    backgroundSwatch_ = new QToolButton;
    backgroundSwatch_->setObjectName("Label8");
    backgroundSwatch_->setFixedSize(48, 22);
    backgroundSwatch_->setToolTip("Click to choose the colour short edge pieces are padded with");
    connect(backgroundSwatch_, &QToolButton::clicked, this, &OptionsDialog::chooseColour);
    form->addRow("Backround Transparency Color:", backgroundSwatch_);
    return page;
}

void OptionsDialog::refresh() {
    for (const auto& [box, field] : combos_) {
        // A value that is not among the choices (from settings.ini) is shown as it stands.
        const QString value = qs(options_.*field);
        const int index = box->findText(value);
        box->setEditable(index < 0 && !value.isEmpty());
        if (index < 0) {
            box->setEditText(value);
            if (value.isEmpty())
                box->setCurrentIndex(-1);
        } else {
            box->setCurrentIndex(index);
        }
    }
    for (const auto& [label, field] : labels_) {
        const bool space = field == &LargeImageOptions::primaryFreeText ||
                           field == &LargeImageOptions::secondaryFreeText;
        const QString text = qs(options_.*field);
        label->setText(space && !text.isEmpty() ? text + " Gbyte" : text);
    }
    pieceFormatBox_->setCurrentText(qs(formatName(options_.pieceFormat)));
    const Rgb colour = options_.background;
    backgroundSwatch_->setStyleSheet(
        QString("background-color: rgb(%1, %2, %3); border: 1px solid gray;")
            .arg(colour.red)
            .arg(colour.green)
            .arg(colour.blue));
}

void OptionsDialog::chooseColour() {
    // A cancelled chooser keeps the colour as it was.
    if (const auto colour = host_.chooseColour(options_.background.value()))
        options_.background = Rgb::fromValue(*colour);
    refresh();
}

void OptionsDialog::offerRunSettings(int& jobs, PixelEngine& engine, SettingsStore& store) {
    jobs_ = &jobs;
    engine_ = &engine;
    jobsStore_ = &store;
    jobsBox_ = new QSpinBox;
    jobsBox_->setObjectName("spinJobs");
    jobsBox_->setRange(1, kMaxJobs);
    jobsBox_->setValue(jobs);
    jobsBox_->setToolTip(
        "How many tiling operations run at the same time; one per processor "
        "core is usually fastest");
    resourcesForm_->addRow("Tiling operations at once:", jobsBox_);
    engineBox_ = new QComboBox;
    engineBox_->setObjectName("comboEngine");
    for (PixelEngine choice : {PixelEngine::Vips, PixelEngine::Magick})
        engineBox_->addItem(qs(engineName(choice)));
    engineBox_->setCurrentText(qs(engineName(engine)));
    engineBox_->setToolTip(
        "vips decodes each image once and streams large images; magick is the reference");
    resourcesForm_->addRow("Pixel engine:", engineBox_);
}

void OptionsDialog::offerReprojection(ReprojectionSettings& reprojection) {
    reprojection_ = &reprojection;
    reprojectBox_ = new QCheckBox("Warp images in other coordinate systems to WGS84");
    reprojectBox_->setObjectName("checkReproject");
    reprojectBox_->setChecked(reprojection.choice == ReprojectionChoice::Warp);
    reprojectBox_->setToolTip(
        "Unticked, you are asked when an image is not in WGS84 latitude/longitude");
    resourcesForm_->addRow(reprojectBox_);
    resamplingBox_ = new QComboBox;
    resamplingBox_->setObjectName("comboResampling");
    for (Resampling choice :
         {Resampling::Near, Resampling::Bilinear, Resampling::Cubic, Resampling::Lanczos})
        resamplingBox_->addItem(qs(resamplingName(choice)));
    resamplingBox_->setCurrentText(qs(resamplingName(reprojection.resampling)));
    resourcesForm_->addRow("Warp resampling:", resamplingBox_);
}

bool OptionsDialog::apply() {
    try {
        applyOptions(options_);
        if (jobs_) {
            *jobs_ = jobsBox_->value();
            saveJobs(*jobsStore_, *jobs_);
            *engine_ = parsePixelEngine(engineBox_->currentText().toStdString()).value_or(*engine_);
            saveEngine(*jobsStore_, *engine_);
        }
        if (reprojection_ && jobsStore_) {
            reprojection_->choice =
                reprojectBox_->isChecked() ? ReprojectionChoice::Warp : ReprojectionChoice::Ask;
            reprojection_->resampling = parseResampling(resamplingBox_->currentText().toStdString())
                                            .value_or(reprojection_->resampling);
            saveReprojection(*jobsStore_, *reprojection_);
        }
        return true;
    } catch (...) {
        const RunError error = toRunError(std::current_exception());
        host_.messageBox(std::to_string(error.number()) + " " + error.description(), kAppTitle);
        return false;
    }
}

void OptionsDialog::keyPressEvent(QKeyEvent* event) {
    // Ctrl+Tab: next page; Ctrl with more modifiers (Ctrl+Shift+Tab): previous; both wrap.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (tab && (modifiers & Qt::ControlModifier)) {
        const int count = pages_->count();
        const int step = modifiers == Qt::ControlModifier ? 1 : count - 1;
        pages_->setCurrentIndex((pages_->currentIndex() + step) % count);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void OptionsDialog::done(int result) {
    unloadOptions(options_);
    QDialog::done(result);
}

}  // namespace orvanta
