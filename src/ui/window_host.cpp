#include "ui/window_host.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QThread>
#include <QUrl>

#include "platform/process.h"

namespace orvanta {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString qtFileFilter(const std::string& filter) {
    // The pieces alternate: description, patterns, description, patterns, ...
    const QStringList pieces = qs(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < pieces.size(); i += 2) {
        QString patterns = pieces[i + 1];
        patterns.replace(';', ' ');
        QString description = pieces[i];
        const int open = description.indexOf('(');
        if (open >= 0)
            description = description.left(open).trimmed();
        filters << description + " (" + patterns + ")";
    }
    return filters.join(";;");
}

void DialogHost::messageBox(const std::string& text, const std::string& title) {
    QMessageBox::information(parent_, qs(title), qs(text), QMessageBox::Ok);
}

bool DialogHost::askYesNo(const std::string& text, const std::string& title, MessageIcon icon) {
    QMessageBox box(qtIcon(icon), qs(title), qs(text), QMessageBox::Yes | QMessageBox::No, parent_);
    return box.exec() == QMessageBox::Yes;
}

std::string DialogHost::chooseOpenFile(const std::string& title, const std::string& filter) {
    return QFileDialog::getOpenFileName(parent_, qs(title), {}, qtFileFilter(filter)).toStdString();
}

std::string DialogHost::chooseSaveFile(const std::string& title, const std::string& filter,
                                       const std::string& proposedName) {
    // The overwrite question is the operation's own, so the dialog does not ask it.
    return QFileDialog::getSaveFileName(parent_, qs(title), qs(proposedName), qtFileFilter(filter),
                                        nullptr, QFileDialog::DontConfirmOverwrite)
        .toStdString();
}

std::string DialogHost::chooseFolder(const std::string& title) {
    return QFileDialog::getExistingDirectory(parent_, qs(title)).toStdString();
}

std::optional<std::uint32_t> DialogHost::chooseColour(std::uint32_t initial) {
    const QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
    const QColor chosen = QColorDialog::getColor(start, parent_);
    if (!chosen.isValid())
        return std::nullopt;
    return static_cast<std::uint32_t>(chosen.red()) |
           static_cast<std::uint32_t>(chosen.green()) << 8 |
           static_cast<std::uint32_t>(chosen.blue()) << 16;
}

void DialogHost::doEvents() {
    QCoreApplication::processEvents();
}

void DialogHost::startDetached(const std::vector<std::string>& argv) {
    startProgramDetached(argv);
}

std::optional<int> DialogHost::runAndWait(const std::vector<std::string>& argv,
                                          std::chrono::milliseconds limit) {
    return runProgramAndWait(argv, limit);
}

void DialogHost::openUrl(const std::string& url) {
    const QUrl target =
        url.find("://") == std::string::npos ? QUrl::fromLocalFile(qs(url)) : QUrl(qs(url));
    QDesktopServices::openUrl(target);
}

WindowHost::WindowHost(Host& front, QObject* parent) : QObject(parent), front_(front) {}

bool WindowHost::onWindowThread() const {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

template <typename Call>
void WindowHost::onWindow(Call call) {
    if (onWindowThread()) {
        call();
    } else {
        QMetaObject::invokeMethod(this, call, Qt::BlockingQueuedConnection);
    }
}

void WindowHost::messageBox(const std::string& text, const std::string& title) {
    onWindow([&] { front_.messageBox(text, title); });
}

bool WindowHost::askYesNo(const std::string& text, const std::string& title, MessageIcon icon) {
    bool answer = false;
    onWindow([&] { answer = front_.askYesNo(text, title, icon); });
    return answer;
}

std::string WindowHost::chooseOpenFile(const std::string& title, const std::string& filter) {
    std::string path;
    onWindow([&] { path = front_.chooseOpenFile(title, filter); });
    return path;
}

std::string WindowHost::chooseSaveFile(const std::string& title, const std::string& filter,
                                       const std::string& proposedName) {
    std::string path;
    onWindow([&] { path = front_.chooseSaveFile(title, filter, proposedName); });
    return path;
}

std::string WindowHost::chooseFolder(const std::string& title) {
    std::string path;
    onWindow([&] { path = front_.chooseFolder(title); });
    return path;
}

std::optional<std::uint32_t> WindowHost::chooseColour(std::uint32_t initial) {
    std::optional<std::uint32_t> colour;
    onWindow([&] { colour = front_.chooseColour(initial); });
    return colour;
}

void WindowHost::doEvents() {
    if (onWindowThread()) {
        front_.doEvents();
    } else if (cancelRequested_) {
        throw RunCancelled{};
    }
}

void WindowHost::statusChanged(const std::string& text) {
    emit statusTextChanged(qs(text));
}

void WindowHost::progress(int done, int total) {
    emit progressChanged(done, total);
}

void WindowHost::startDetached(const std::vector<std::string>& argv) {
    // A failure to start travels back to the worker as the operation's run-time error.
    std::exception_ptr failure;
    onWindow([&] {
        try {
            front_.startDetached(argv);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
}

std::optional<int> WindowHost::runAndWait(const std::vector<std::string>& argv,
                                          std::chrono::milliseconds limit) {
    // Waiting for a program must not freeze the window, so it stays on the calling thread.
    return front_.runAndWait(argv, limit);
}

void WindowHost::openUrl(const std::string& url) {
    onWindow([&] { front_.openUrl(url); });
}

}  // namespace orvanta
