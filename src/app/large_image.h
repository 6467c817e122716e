#pragma once

#include <optional>
#include <string>

#include "app/open_image.h"
#include "app/outcome.h"

namespace orvanta {

class AppState;

// The file dialog of "Large Image Slicer".
inline constexpr const char* kOpenLargeImageTitle = "Open Large Image";
inline constexpr const char* kOpenLargeImageFilter =
    "Images Files (*.bmp;*.gif;*.jpg;*.png;*.tif)|*.bmp;*.ico;*.jpg;*.png;*.tif";

// Resets the project for a large image ("Large Image Slicer", before its file dialog):
// large-image mode on, then no tiles folders, no multi-resolution lists (unless "Multi
// Resolution Imagery" is checked), no padded pieces, "Multiple Tiles Directories" unchecked, no
// tiles folder, no image name, not a KML-only run.
void resetForOpenLargeImage(AppState& app);

// Opens the chosen file as "Large Image Slicer" does after its dialog; false when refused.
bool openLargeImageFile(AppState& app, const std::string& path);

// "Large Image Slicer": opens an image of any size for slicing, as "&Open Image..." does, but
// in large-image mode and without the GeoTIFF conversion. Returns the preview when the image
// was accepted and "Preview Image" is checked.
std::optional<Preview> OpenLargeImage(AppState& app);

// "Imagemagick large image slicer": cuts largeImage into the pieces of imageFolder/imageName"L"
// and gives them their world files and padding. When the padded pieces would reach beyond the
// globe, asks first; No declines the job.
Outcome SliceLargeImage(AppState& app);

// "Gen world F": gives every piece of the large image projectImage (widthText x heightText
// pixels, in imageFolder/imageName"L") its world file, pads every short piece to 4096 x 4096
// with the background colour, lists the padded pieces and their tiles, and points the tiles
// folder, the KML folder and the 4096 root at the piece folder, scanned and ready for Transform.
// Failed steps are skipped under the error policy. Returns false when the operation had to end
// early or the scan refused the pieces.
bool PieceWorldFiles(AppState& app);

}  // namespace orvanta
