#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/batch_shards.h"
#include "app/outcome.h"
#include "app/project_settings.h"
#include "app/reprojection.h"
#include "app/run_state.h"
#include "app/user_settings.h"
#include "imagery/image_header_info.h"
#include "imagery/piece_world_files.h"
#include "kml/lat_lon_bounds.h"
#include "options/large_image_options.h"
#include "platform/host.h"
#include "platform/pixel_engine.h"

namespace orvanta {

// Which controls of the main window are enabled.
struct EnabledFlags {
    bool transform = false;          // "Transform"
    bool loadInGoogleEarth = false;  // "Load in GoogleEarth"
    bool regenerateKml = false;      // "Re-Generate KML Files"
    bool openPreview = false;        // "Preview": the last job wrote a preview page
    bool webServerUrl = false;       // the web-server URL field
    bool outputFormat = true;        // "Output Image Format:"
    // Multiple-directories group: the list and its "+", "++", "-", "C" buttons.
    bool batchFolders = false, addFolder = false, addSubfolders = false, removeFolder = false,
         clearFolders = false;
    // Multi-resolution group: the list and its "+", "-", "C" buttons.
    bool multiResolutionImages = false, addImage = false, removeImage = false, clearImages = false;
};

// The state of the main window without the window: the project record, the run state, the
// status text and the enabled flags. Every operation runs on it and asks the person or the
// system through its Host, so the window, the command line and the tests share one logic.
class AppState {
  public:
    explicit AppState(Host& front) : host_(front, statusText_) {}
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // The front end's Host; status texts shown through it are kept as the status text.
    Host& host() { return host_; }

    ProjectSettings settings;
    // The outcome of the operation in hand, built up by its steps.
    Outcome outcome;
    RunState run;
    EnabledFlags enabled;
    LargeImageOptions options;
    std::vector<std::string>
        paddedPieceNames;                     // padded edge pieces of a large image and their tiles
    std::vector<ImageArea> paddedPieceAreas;  // the image's part of each of them
    // How many steps of a tiling run may work at the same time: one per core unless set.
    int jobs = defaultJobs();
    // The pixel engine of tiling runs.
    PixelEngine engine = PixelEngine::Vips;
    // Remembers a Google Earth program the person chose during a run (the window keeps it in
    // the user settings); unset, the choice lasts for this session only.
    std::function<void(const std::string&)> googleEarthChosen;
    // Pictures of an earlier run that are complete and newer than their sources are kept.
    bool resume = false;
    // A batch runs only this share of its folders and leaves a shard file for the merge.
    std::optional<BatchShard> shard;
    // The piece format was chosen for this run (--piece-format): kept even when it cannot hold
    // the large image's transparency.
    bool pieceFormatChosen = false;
    ImageHeaderInfo imageHeader;  // facts of the image read last
    std::string greyscaleText;    // greyscale of the image read last, "True" or "False"
    // Batch of several tile folders: the index in batchFolders of the folder being processed,
    // and the bounds of all tiles of the last folder whose KML tree was written.
    int batchIndex = 0;
    LatLonBounds folderBounds = EmptyRootBounds();
    // The preview page the last job wrote, which "Preview" opens.
    std::string previewPage;
    // How the person reaches the large-image slicer from this front end, named by the
    // messages that send an image of no tile size there.
    std::string largeImageCommand = "the \"Large Image Slicer\" button";
    // Images in other coordinate systems than WGS84 latitude/longitude: the person's choice,
    // and the project image's warped form when it is warped (see warpedProjectImage).
    ReprojectionSettings reprojection;
    std::optional<WarpedProjectImage> warpedImage;

    const std::string& statusText() const { return statusText_; }
    void setStatus(const std::string& text);
    void doEvents() { host_.doEvents(); }

    // Start-up of the main window's logic.
    void startUp(const std::vector<std::string>& fixedDisks);

    // Interlocks; each runs after its box has changed.
    void hostOnWebServerChanged();  // "Host tiles on webserver"
    void multipleFoldersChanged();  // "Multiple Tiles Directories"
    void transparentChanged();      // "Transparent Image"
    void multiResolutionChanged();  // "Multi Resolution Imagery"

    // The colour swatch: chooses the transparent colour through the Host.
    void chooseTransparentColour();

    // Resets the window to an empty project.
    void closeProject();

    // The group rules of the two lists, without the message box of "Multi Resolution Imagery".
    void applyMultipleDirectoriesRule();
    void applyMultiResolutionRule();

  private:
    // Passes everything to the front end's Host and keeps the last status text.
    class StatusKeepingHost : public Host {
      public:
        StatusKeepingHost(Host& front, std::string& status) : front_(front), status_(status) {}
        void messageBox(const std::string& text, const std::string& title) override {
            front_.messageBox(text, title);
        }
        bool askYesNo(const std::string& text, const std::string& title,
                      MessageIcon icon) override {
            return front_.askYesNo(text, title, icon);
        }
        std::string chooseOpenFile(const std::string& title, const std::string& filter) override {
            return front_.chooseOpenFile(title, filter);
        }
        std::string chooseSaveFile(const std::string& title, const std::string& filter,
                                   const std::string& proposedName) override {
            return front_.chooseSaveFile(title, filter, proposedName);
        }
        std::string chooseFolder(const std::string& title) override {
            return front_.chooseFolder(title);
        }
        std::optional<std::uint32_t> chooseColour(std::uint32_t initial) override {
            return front_.chooseColour(initial);
        }
        void doEvents() override { front_.doEvents(); }
        void statusChanged(const std::string& text) override {
            status_ = text;
            front_.statusChanged(text);
        }
        void progress(int done, int total) override { front_.progress(done, total); }
        void startDetached(const std::vector<std::string>& argv) override {
            front_.startDetached(argv);
        }
        std::optional<int> runAndWait(const std::vector<std::string>& argv,
                                      std::chrono::milliseconds limit) override {
            return front_.runAndWait(argv, limit);
        }
        void openUrl(const std::string& url) override { front_.openUrl(url); }

      private:
        Host& front_;
        std::string& status_;
    };

    std::string statusText_;
    StatusKeepingHost host_;
};

}  // namespace orvanta
