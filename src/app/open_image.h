#pragma once

#include <optional>
#include <string>

#include "app/app_state.h"
#include "tiling/picture.h"

namespace orvanta {

// The file dialog of "&Open Image...".
inline constexpr const char* kOpenImageTitle = "Open";
inline constexpr const char* kOpenImageFilter =
    "Images Files (*.bmp;*.gif;*.jpg;*.png;*.tif)|*.bmp;*.gif;*.jpg;*.png;*.tif";
// The long spellings of JPEG and TIFF names, which the image dialogs list too.
inline constexpr const char* kLongImageExtensions = ";*.jpeg;*.tiff";

// The preview shows pictures up to this size as they are; larger ones are scaled down.
inline constexpr int kPreviewMaxWidth = 800;
inline constexpr int kPreviewMaxHeight = 600;
// The background the preview is drawn on: white.
inline constexpr std::uint32_t kPreviewBackground = 16777215;

// The size the preview shows an image of w by h pixels at. A larger image is scaled by
// f = (whole hundredths of 800 / w, or of 600 / h when h >= w) x 0.72, so it fills at most
// 72 % of the 800 x 600 box; its displayed size is Int(w x f) by Int(h x f).
struct PreviewSize {
    int width = 0;
    int height = 0;
    bool fullSize = false;  // shown at the image's own size (width and height -1 when loading)
    bool operator==(const PreviewSize&) const = default;
};
PreviewSize previewSize(int w, int h);

// Placement of the viewer window, in twips (1/1440 inch): the displayed picture plus 100
// twips across and 430 down, centred on the screen.
struct ViewerGeometry {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const ViewerGeometry&) const = default;
};
ViewerGeometry viewerGeometry(const PreviewSize& picture, int screenWidthPixels,
                              int screenHeightPixels, int twipsPerPixel);

// Step 1 of "&Open Image...": leaves single-image input behind it, in this order: not a large
// image, no tiles folders, no multi-resolution lists (unless "Multi Resolution Imagery" is
// checked), no padded pieces, "Multiple Tiles Directories" unchecked, no tiles folder, no image
// name, not a KML-only run, "Load in GoogleEarth" disabled.
void resetForOpenImage(AppState& app);
// The part of that reset that the large-image open shares: from the tiles folders to the
// KML-only mode.
void clearOtherInputs(AppState& app);

// Takes the chosen path as the project image: projectImage, imageFolder, kmlFolder and imageName.
void takeProjectImage(AppState& app, const std::string& path);

// Where the world file whose place beside its image is `beside` is read and made: there; but a
// GeoTIFF's world file that is not there goes to the output folder when one is set, so that
// nothing is written beside the input.
std::string worldFilePathFor(const ProjectSettings& settings, const std::string& beside);
// The world file of the project image: the one found in imageFolder under any of its names
// (worldFileNames), else where its own name puts it (see worldFilePathFor).
std::string projectWorldFilePath(const ProjectSettings& settings);

// Steps 5 (after any GeoTIFF conversion) and 6 of opening an image: the world file at `path`
// must exist and place the image of the header's size in WGS84 latitude/longitude (see
// worldFileRefusal). Otherwise the refusal is shown and the project closed; returns false then.
bool acceptProjectWorldFile(AppState& app, const std::string& path, const ImageHeaderInfo& header);

// Takes the chosen file as the project image and checks it: its world file (first written by
// the GeoTIFF listing program for a ".tif" without one, when `convertGeoTiff`), WGS84, and its
// header and size class. A refused image leaves an empty project; returns false then.
bool openChosenImage(AppState& app, const std::string& path, bool convertGeoTiff);

// Opens the chosen file as "&Open Image..." does after its dialog: checks it (with the GeoTIFF
// conversion when `convertGeoTiff`) and enables Transform (unless "Multi Resolution Imagery" is
// checked). False when it was refused.
bool openImageFile(AppState& app, const std::string& path, bool convertGeoTiff = true);

// What the viewer window shows: the picture and its displayed size.
struct Preview {
    Picture picture;
    PreviewSize size;
};

// "Image Preview": the project image at its preview size over white, for the viewer window;
// nothing when no image is open or it cannot be loaded (the failure has been shown).
std::optional<Preview> ImagePreview(AppState& app);

// "&Open Image...": resets the project, asks for the image, checks it and enables Transform
// (unless "Multi Resolution Imagery" is checked). Returns the preview when the image was
// accepted and "Preview Image" is checked.
std::optional<Preview> OpenImage(AppState& app);

}  // namespace orvanta
