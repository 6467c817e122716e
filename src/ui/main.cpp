#include <QApplication>
#include <QCommandLineParser>
#include <csignal>
#include <memory>
#include <string_view>

#include "app/app_state.h"
#include "app/lists.h"
#include "app/project_commands.h"
#include "platform/large_pages.h"
#include "ui/main_window.h"
#include "ui/screenshots.h"

namespace {

// Whether the arguments ask only for the help or the version, which need no display.
bool asksForTextOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" ||
            arg == "--version") {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    orvanta::restartWithLargePages(argv);
    // A write past a file-size limit fails like one on a full disk and is reported.
    std::signal(SIGXFSZ, SIG_IGN);
    // The help and the version are printed by the parser, which then ends the program: a
    // console application does for them, so they work without a display.
    const std::unique_ptr<QCoreApplication> application =
        asksForTextOnly(argc, argv) ? std::make_unique<QCoreApplication>(argc, argv)
                                    : std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(orvanta::kAppTitle);
    QApplication::setOrganizationName(orvanta::kAppTitle);
    QApplication::setApplicationVersion(ORVANTA_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Turns georeferenced WGS84 imagery into Google Earth tiles (the window; orvanta-cli\n"
        "does the same on the command line).");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("project", "An Orvanta project file (.ovt) to open.");
    const QCommandLineOption screenshots(
        "screenshots", "Save pictures of the windows into FOLDER and quit.", "FOLDER");
    parser.addOption(screenshots);
    const QCommandLineOption tiles("tiles", "Take FOLDER as the tiles image folder.", "FOLDER");
    parser.addOption(tiles);
    parser.process(*application);

    orvanta::MainWindow window;
    if (!parser.positionalArguments().isEmpty()) {
        orvanta::AppState& app = window.app();
        app.closeProject();
        orvanta::loadProjectFile(app, parser.positionalArguments().front().toStdString());
        window.refreshFromState();
    }
    if (parser.isSet(tiles)) {
        orvanta::useTilesFolder(window.app(), parser.value(tiles).toStdString());
        window.refreshFromState();
    }
    if (parser.isSet(screenshots)) {
        return orvanta::saveScreenshots(window, parser.value(screenshots)) ? 0 : 1;
    }
    window.show();
    return QApplication::exec();
}
