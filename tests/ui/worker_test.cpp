#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>

#include "app/error_policy.h"
#include "ui_support.h"

namespace orvanta {
namespace {

using testing::WindowFixture;

TEST(WindowWorker, RunKeepsTheWindowLiveReportsProgressAndEnablesControlsAgain) {
    WindowFixture f;
    AppState& app = f.window->app();
    app.enabled.transform = true;
    f.window->refreshFromState();
    QThread* workerThread = nullptr;
    ASSERT_TRUE(f.window->runs().start([&] {
        workerThread = QThread::currentThread();
        for (int done = 1; done <= 3; ++done) {
            app.host().progress(done, 3);
            app.doEvents();
        }
        app.setStatus("KML files were written successfully...");
    }));
    // Commands are off while the run goes; Cancel is offered.
    EXPECT_FALSE(f.child<QPushButton>("Command25")->isEnabled());
    EXPECT_FALSE(f.child<QWidget>("Frame1")->isEnabled());
    EXPECT_TRUE(f.child<QPushButton>("Cancel")->isVisibleTo(f.window.get()));
    f.waitForRun();
    EXPECT_NE(workerThread, QThread::currentThread());
    auto* bar = f.child<QProgressBar>("progress");
    EXPECT_EQ(bar->maximum(), 3);
    EXPECT_EQ(bar->value(), 3);
    EXPECT_FALSE(bar->isVisibleTo(f.window.get()));
    EXPECT_TRUE(f.child<QPushButton>("Command25")->isEnabled());
    EXPECT_TRUE(f.child<QWidget>("Frame1")->isEnabled());
    EXPECT_EQ(f.child<QLabel>("StatusText")->text(), "KML files were written successfully...");
}

TEST(WindowWorker, DialogsOfTheWorkerAreShownByTheWindowThread) {
    WindowFixture f;
    AppState& app = f.window->app();
    f.dialogs.yesNoAnswers = {true};
    QThread* shownOn = nullptr;
    f.dialogs.onStart = [&](const std::vector<std::string>&) {
        shownOn = QThread::currentThread();
    };
    bool answer = false;
    f.window->runs().start([&] {
        app.host().messageBox("Done", kAppTitle);
        answer = app.host().askYesNo("Go on?", "Question", MessageIcon::Question);
        app.host().startDetached({"earth", "/tmp/a.kml"});
    });
    f.waitForRun();
    EXPECT_TRUE(answer);
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_EQ(f.dialogs.messages[0].text, "Done");
    EXPECT_EQ(f.dialogs.questions.size(), 1u);
    EXPECT_EQ(shownOn, QThread::currentThread());
    ASSERT_EQ(f.dialogs.started.size(), 1u);
}

TEST(WindowWorker, CancelEndsTheRunAtItsNextEventPoint) {
    WindowFixture f;
    AppState& app = f.window->app();
    std::atomic<int> rounds{0};
    std::atomic<bool> pastTheLoop{false};
    f.window->runs().start([&] {
        // Under the error policy, as every long operation runs.
        RunErrorPolicy policy(app);
        while (policy.run([&] {
            ++rounds;
            QThread::msleep(2);
            app.doEvents();
        })) {
        }
        pastTheLoop = true;
    });
    QTimer::singleShot(50, [&] { f.click("Cancel"); });
    f.waitForRun();
    EXPECT_GT(rounds.load(), 0);
    EXPECT_FALSE(pastTheLoop.load());
    EXPECT_TRUE(f.dialogs.messages.empty());  // a cancel is no error
    EXPECT_EQ(f.child<QLabel>("StatusText")->text(), "The run was cancelled.");
    EXPECT_TRUE(f.child<QWidget>("Frame1")->isEnabled());
    // The next run is not cancelled by the old request.
    bool ran = false;
    f.window->runs().start([&] {
        app.doEvents();
        ran = true;
    });
    f.waitForRun();
    EXPECT_TRUE(ran);
}

TEST(WindowWorker, AnErrorThatEscapesTheOperationIsShownNotFatal) {
    WindowFixture f;
    f.window->runs().start([] { throw std::runtime_error("disk on fire"); });
    f.waitForRun();
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_EQ(f.dialogs.messages[0].text, "disk on fire");
}

}  // namespace
}  // namespace orvanta
