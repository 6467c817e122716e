#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QTest>
#include <memory>

#include "support/fake_host.h"
#include "ui/main_window.h"

namespace orvanta::testing {

// The one application object of the widget tests.
inline QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: QTest's input device must not outlive the application at exit.
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

// A main window whose dialogs are answered by a FakeHost and whose placement goes to memory.
struct WindowFixture {
    WindowFixture() {
        window->show();
        QCoreApplication::processEvents();
    }
    FakeHost dialogs;
    MemorySettingsStore store;
    std::unique_ptr<MainWindow> window = (qtApp(), std::make_unique<MainWindow>(&dialogs, &store));

    template <typename T>
    T* child(const char* name) {
        T* found = window->findChild<T*>(name);
        if (!found)
            ADD_FAILURE() << "no child " << name;
        return found;
    }
    void click(const char* name) { QTest::mouseClick(child<QWidget>(name), Qt::LeftButton); }
    // Lets the window handle what the worker posted until the run has ended.
    void waitForRun() { window->runs().waitForEnd(); }
};

}  // namespace orvanta::testing
