#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/outcome.h"
#include "geo/warp.h"
#include "imagery/image_header.h"
#include "imagery/world_file.h"

namespace orvanta {

class AppState;

// What happens to an image whose georeference is not in WGS84 latitude/longitude.
enum class ReprojectionChoice {
    Refuse,  // refused with the WGS84 message (the command line without --reproject)
    Ask,     // the person is asked whether to warp it (the window, unless always chosen)
    Warp,    // warped (--reproject, or the window's option)
};

// The person's settings for such images.
struct ReprojectionSettings {
    ReprojectionChoice choice = ReprojectionChoice::Refuse;
    Resampling resampling = Resampling::Bilinear;
    // The coordinate system the person names (--source-srs), in place of the image's own.
    std::string sourceSystem;
};

// A project image that is warped to WGS84 latitude/longitude and sliced as a large image.
struct WarpedProjectImage {
    GeoSource source;
    WarpGrid grid;
    bool keepAlpha = false;  // the image has transparency, which the warped pixels keep
    // The source's outline on the grid, in grid pixels.
    std::vector<std::pair<double, double>> outline;
};

// The world file of the grid's pixels: C and F at the centre of the upper-left pixel.
WorldFile gridWorldFile(const WarpGrid& grid);

// The project image's warped form, when it is warped.
const WarpedProjectImage* warpedProjectImage(const AppState& app);

// Decides whether the project image (just taken, its world file at `worldPath`, its facts read)
// is warped. It is when its georeference lies in another coordinate system and the person chose
// (or, asked in place of the WGS84 refusal, accepted) to warp it: then it becomes a large image
// whose pieces are cut from the warped pixels. Nothing when it goes on as it is (WGS84 images
// always do); false after a refusal or a declined question was shown; true when warped.
std::optional<bool> decideReprojection(AppState& app, const std::string& worldPath,
                                       const ImageFacts& facts);

// The images of the folders (in folder and file-name order) whose georeference lies in
// another coordinate system than WGS84 latitude/longitude; empty when warping is not chosen.
std::vector<std::string> imagesToWarp(const AppState& app, const std::vector<std::string>& folders);

// "Transform" of a folder or a batch that holds images in other coordinate systems, warping
// chosen: every image of the folders goes through the large-image road on its own (warped
// when it lies in another system), its tree with the root file NAMEj.kml beside its pieces,
// and `topFile` links them all as a batch's top file does.
Outcome TransformEachAsLargeImage(AppState& app, const std::vector<std::string>& folders,
                                  const std::string& topFile);

}  // namespace orvanta
