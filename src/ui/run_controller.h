#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace orvanta {

class WindowHost;

// Runs one long operation at a time on a worker thread, so that the window stays live. A cancel
// request is seen at the operation's next doEvents, which ends the run.
class RunController : public QObject {
    Q_OBJECT

  public:
    enum class Outcome { Finished, Cancelled, Failed };

    explicit RunController(WindowHost& host, QObject* parent = nullptr);
    ~RunController() override;

    bool running() const { return worker_ != nullptr; }
    // Starts `operation` on the worker thread; false when a run is already going.
    bool start(std::function<void()> operation);
    void cancel();
    // Lets window events run until the current run, if any, has ended.
    void waitForEnd();

  signals:
    void started();
    // `failure` is the description of an error that escaped the operation's own handling.
    void ended(Outcome outcome, const QString& failure);

  private:
    WindowHost& host_;
    QThread* worker_ = nullptr;
};

}  // namespace orvanta
