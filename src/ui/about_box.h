#pragma once

#include <QDialog>
#include <string>
#include <utility>
#include <vector>

namespace orvanta {

class Host;

// "Version " and the program's major, minor and revision numbers without leading zeros:
// 2.03.0001 reads "Version 2.3.1".
std::string versionLabel(const std::string& version);

// The about box: title, version, what the program does, a link to the manual's start page and
// "&System Info...".
class AboutBox : public QDialog {
    Q_OBJECT

  public:
    AboutBox(Host& host, QWidget* parent = nullptr);

  private:
    Host& host_;
};

// The facts of the machine and of the libraries and programs Orvanta uses, in display order:
// operating system, processor, memory, ImageMagick, Qt and listgeo.
std::vector<std::pair<std::string, std::string>> systemFacts();

// Shows the facts of `systemFacts` (the platform has no system-information program of its own).
class SystemInfoDialog : public QDialog {
    Q_OBJECT

  public:
    explicit SystemInfoDialog(QWidget* parent = nullptr);
};

}  // namespace orvanta
