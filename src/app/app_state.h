#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/jobs_setting.h"
#include "app/project_settings.h"
#include "app/run_state.h"
#include "imagery/image_header_info.h"
#include "kml/lat_lon_bounds.h"
#include "options/large_image_options.h"
#include "platform/host.h"

namespace orvanta {

// The application title: the caption of every message box.
inline constexpr const char* kAppTitle = "Orvanta";

// Which controls of the main window are enabled.
struct EnabledFlags {
    bool Command25 = false;  // "Transform"
    bool Command26 = false;  // "Load in GoogleEarth"
    bool Command30 = false;  // "Re-Generate KML Files"
    bool Text11 = false;     // web-server URL
    bool Combo2 = true;      // output image format
    // Multiple-directories group: the list and its "+", "++", "-", "C" buttons.
    bool List2 = false, Command15 = false, Command28 = false, Command16 = false, Command17 = false;
    // Multi-resolution group: the list and its "+", "-", "C" buttons.
    bool List1 = false, Command11 = false, Command12 = false, Command13 = false;
};

// The state of the main window without the window: the project record, the run state, the
// status text and the enabled flags. Every operation runs on it and asks the person or the
// system through its Host, so the window, the command line and the tests share one logic.
class AppState {
  public:
    explicit AppState(Host& host) : host_(host) {}

    Host& host() const { return host_; }

    ProjectSettings settings;
    RunState run;
    EnabledFlags enabled;
    LargeImageOptions options;
    std::vector<std::string> Transplist;  // padded edge pieces of a large image and their tiles
    std::string dosave = "0";
    // How many steps of a tiling run may work at the same time: one per core unless set.
    int jobs = defaultJobs();
    ImageHeaderInfo imageHeader;  // facts of the image read last
    std::string Label5;           // greyscale of the image read last, "True" or "False"
    // Batch of several tile folders: the index in List2 of the folder being processed, and the
    // bounds of all tiles of the last folder whose KML tree was written.
    std::string tilescount = "0";
    LatLonBounds folderBounds = EmptyRootBounds();

    const std::string& statusText() const { return statusText_; }
    void setStatus(const std::string& text);
    void doEvents() { host_.doEvents(); }

    // Start-up of the main window's logic.
    void formLoad(const std::vector<std::string>& fixedDisks);

    // Interlocks; each runs after its box has changed.
    void check1Click();  // "Host tiles on webserver"
    void check2Click();  // "Multiple Tiles Directories"
    void check4Click();  // "Transparent Image"
    void check6Click();  // "Multi Resolution Imagery"

    // The colour swatch: chooses the transparent colour through the Host.
    void label25Click();
    // Sets the transparent colour and derives its text.
    void setTransparentColour(std::uint32_t colour);

    // Resets the window to an empty project.
    void CloseProject();

    // The group rules of the two lists, without the message box of "Multi Resolution Imagery".
    void applyMultipleDirectoriesRule();
    void applyMultiResolutionRule();

  private:
    Host& host_;
    std::string statusText_;
};

// "RGB(r, g, b)" of a 24-bit colour with red in the low byte.
std::string colourText(std::uint32_t colour);

}  // namespace orvanta
