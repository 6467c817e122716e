#pragma once

#include <QObject>
#include <atomic>

#include "platform/host.h"

namespace orvanta {

// The Host of the Qt window: message boxes, questions and the choosers as Qt dialogs, programs
// and web pages through the platform layer. Everything runs on the window's thread.
class DialogHost : public Host {
  public:
    explicit DialogHost(QWidget* parent) : parent_(parent) {}

    void messageBox(const std::string& text, const std::string& title) override;
    bool askYesNo(const std::string& text, const std::string& title, MessageIcon icon) override;
    std::string chooseOpenFile(const std::string& title, const std::string& filter) override;
    std::string chooseSaveFile(const std::string& title, const std::string& filter,
                               const std::string& proposedName) override;
    std::string chooseFolder(const std::string& title) override;
    std::optional<std::uint32_t> chooseColour(std::uint32_t initial) override;
    void doEvents() override;
    void statusChanged(const std::string&) override {}
    void progress(int, int) override {}
    void startDetached(const std::vector<std::string>& argv) override;
    std::optional<int> runAndWait(const std::vector<std::string>& argv,
                                  std::chrono::milliseconds limit) override;
    void openUrl(const std::string& url) override;

  private:
    QWidget* parent_;
};

// "Description (*.a;*.b)|*.a;*.b|..." as a Qt file-dialog filter "Description (*.a *.b);;...".
QString qtFileFilter(const std::string& filter);

// The Host the application state talks to. On the window's thread it passes every call to the
// dialog host; on the worker thread it shows dialogs by a blocking call into the window's
// thread, reports status and progress as queued signals, and turns doEvents into the point
// where a cancel request ends the run.
class WindowHost : public QObject, public Host {
    Q_OBJECT

  public:
    explicit WindowHost(Host& front, QObject* parent = nullptr);

    void requestCancel() { cancelRequested_ = true; }
    void clearCancel() { cancelRequested_ = false; }

    void messageBox(const std::string& text, const std::string& title) override;
    bool askYesNo(const std::string& text, const std::string& title, MessageIcon icon) override;
    std::string chooseOpenFile(const std::string& title, const std::string& filter) override;
    std::string chooseSaveFile(const std::string& title, const std::string& filter,
                               const std::string& proposedName) override;
    std::string chooseFolder(const std::string& title) override;
    std::optional<std::uint32_t> chooseColour(std::uint32_t initial) override;
    void doEvents() override;
    void statusChanged(const std::string& text) override;
    void progress(int done, int total) override;
    void startDetached(const std::vector<std::string>& argv) override;
    std::optional<int> runAndWait(const std::vector<std::string>& argv,
                                  std::chrono::milliseconds limit) override;
    void openUrl(const std::string& url) override;

  signals:
    void statusTextChanged(const QString& text);
    void progressChanged(int done, int total);

  private:
    bool onWindowThread() const;
    // Runs `call` on the window's thread and waits for it.
    template <typename Call>
    void onWindow(Call call);

    Host& front_;
    std::atomic<bool> cancelRequested_{false};
};

}  // namespace orvanta
