#include "ui/about_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QSysInfo>
#include <QVBoxLayout>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/app_state.h"
#include "imagery/geotiff.h"
#include "magick/commands.h"
#include "platform/os_services.h"
#include "platform/process.h"
#include "ui/manual.h"

namespace orvanta {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The processor's model name as the system reports it; empty when it does not.
std::string processorModel() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            const auto colon = line.find(':');
            if (colon != std::string::npos)
                return line.substr(line.find_first_not_of(' ', colon + 1));
        }
    }
    return {};
}

// Where listgeo was found (beside the program first, then on the PATH).
std::string listgeoLocation() {
    const std::string found = findProgram(findListgeo());
    return found.empty() ? "not found (GeoTIFF images without a world file cannot be opened)"
                         : found;
}

}  // namespace

std::string versionLabel(const std::string& version) {
    std::istringstream parts(version);
    std::string part;
    std::string joined;
    for (int index = 0; index < 3 && std::getline(parts, part, '.'); ++index) {
        if (!joined.empty())
            joined += ".";
        joined += std::to_string(std::stoi(part));
    }
    return "Version " + joined;
}

AboutBox::AboutBox(Host& host, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName("frmAbout");
    setWindowTitle(QString("About ") + kAppTitle);
    auto* icon = new QLabel;
    icon->setObjectName("picIcon");
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    auto* title = new QLabel(kAppTitle);
    title->setObjectName("lblTitle");
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);
    auto* version = new QLabel(qs(versionLabel(ORVANTA_VERSION)));
    version->setObjectName("lblVersion");
    auto* description = new QLabel(
        "Orvanta loads large sets of imagery or raster maps into Google Earth through "
        "Region-based NetworkLinks. Their onRegion option makes Google Earth load the data of a "
        "Region only while that Region is active, so that even very large imagery is shown "
        "smoothly.");
    description->setObjectName("lblDescription");
    description->setWordWrap(true);
    auto* disclaimer =
        new QLabel("<a href=\"#\">For more information, read the Orvanta manual.</a>");
    disclaimer->setObjectName("lblDisclaimer");
    connect(disclaimer, &QLabel::linkActivated, this, [this] {
        const std::string page = manualPagePath("index.html");
        if (!page.empty())
            host_.openUrl(page);
    });

    auto* ok = new QPushButton("OK");
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* sysInfo = new QPushButton("&System Info...");
    sysInfo->setObjectName("cmdSysInfo");
    connect(sysInfo, &QPushButton::clicked, this, [this] {
        SystemInfoDialog info(this);
        info.exec();
    });

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version);
    text->addSpacing(8);
    text->addWidget(description);
    text->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(disclaimer, 1, Qt::AlignBottom);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    resize(460, 240);
}

std::vector<std::pair<std::string, std::string>> systemFacts() {
    const MemoryFigures memory = physicalMemory();
    const auto megabytes = [](std::uint64_t bytes) {
        return std::to_string(bytes / (1024 * 1024)) + " MB";
    };
    std::string processor = processorModel();
    if (!processor.empty())
        processor += ", ";
    processor += QSysInfo::currentCpuArchitecture().toStdString() + ", " +
                 std::to_string(std::thread::hardware_concurrency()) + " threads";
    return {
        {"Operating system", QSysInfo::prettyProductName().toStdString() + " (kernel " +
                                 QSysInfo::kernelVersion().toStdString() + ")"},
        {"Processor", processor},
        {"Memory",
         megabytes(memory.totalBytes) + " total, " + megabytes(memory.freeBytes) + " free"},
        {"ImageMagick", magickVersion()},
        {"Qt", qVersion()},
        {"listgeo", listgeoLocation()},
    };
}

SystemInfoDialog::SystemInfoDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("SystemInfo");
    setWindowTitle("System Information");
    auto* form = new QFormLayout;
    for (const auto& [name, value] : systemFacts()) {
        auto* label = new QLabel(qs(value));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
        form->addRow(qs(name) + ":", label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

}  // namespace orvanta
