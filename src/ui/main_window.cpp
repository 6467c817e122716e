#include "ui/main_window.h"

#include "app/app_state.h"

namespace orvanta {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) { setWindowTitle(kAppTitle); }

}  // namespace orvanta
