#pragma once

#include <QMainWindow>

namespace orvanta {

// The main window. It shows and edits the application state and starts its operations.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace orvanta
