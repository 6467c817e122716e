#include "ui/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QThread>

#include "ui/about_box.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"

namespace orvanta {
namespace {

// Shows the widget long enough for it to be laid out and painted, then saves its picture.
bool savePicture(QWidget& widget, const QString& path) {
    widget.show();
    for (int round = 0; round < 20; ++round) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    return widget.grab().save(path, "PNG");
}

}  // namespace

bool saveScreenshots(MainWindow& window, const QString& folder) {
    QDir().mkpath(folder);
    const QDir out(folder);
    bool saved = savePicture(window, out.filePath("main-window.png"));
    OptionsDialog options(window.app().options, window.app().host(), &window);
    saved = savePicture(options, out.filePath("options.png")) && saved;
    options.close();
    AboutBox about(window.app().host(), &window);
    saved = savePicture(about, out.filePath("about.png")) && saved;
    about.close();
    return saved;
}

}  // namespace orvanta
