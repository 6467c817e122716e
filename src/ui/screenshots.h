#pragma once

#include <QString>

namespace orvanta {

class MainWindow;

// Saves pictures of the main window, the options dialog and the about box into `folder` as
// main-window.png, options.png and about.png (for the user manual). Returns false when a
// picture could not be written.
bool saveScreenshots(MainWindow& window, const QString& folder);

}  // namespace orvanta
