#include "ui/run_controller.h"

#include <QCoreApplication>
#include <QThread>
#include <exception>

#include "ui/window_host.h"

namespace orvanta {

RunController::RunController(WindowHost& host, QObject* parent) : QObject(parent), host_(host) {}

RunController::~RunController() {
    cancel();
    waitForEnd();
}

bool RunController::start(std::function<void()> operation) {
    if (running())
        return false;
    host_.clearCancel();
    worker_ = QThread::create([this, operation = std::move(operation)] {
        Outcome outcome = Outcome::Finished;
        QString failure;
        try {
            operation();
        } catch (const RunCancelled&) {
            outcome = Outcome::Cancelled;
        } catch (const std::exception& error) {
            outcome = Outcome::Failed;
            failure = QString::fromStdString(error.what());
        } catch (...) {
            outcome = Outcome::Failed;
            failure = "Unknown error";
        }
        QMetaObject::invokeMethod(
            this,
            [this, outcome, failure] {
                worker_->wait();
                worker_->deleteLater();
                worker_ = nullptr;
                emit ended(outcome, failure);
            },
            Qt::QueuedConnection);
    });
    worker_->start();
    emit started();
    return true;
}

void RunController::cancel() {
    if (running())
        host_.requestCancel();
}

void RunController::waitForEnd() {
    while (running()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

}  // namespace orvanta
