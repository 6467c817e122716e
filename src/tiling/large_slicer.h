#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "imagery/open_image.h"
#include "imagery/piece_world_files.h"
#include "imagery/world_file.h"

namespace orvanta {

// The file dialog of "Large Image Slicer".
inline constexpr const char* kOpenLargeImageTitle = "Open Large Image";
inline constexpr const char* kOpenLargeImageFilter =
    "Images Files (*.bmp;*.gif;*.jpg;*.png;*.tif)|*.bmp;*.ico;*.jpg;*.png;*.tif";

// What a slice reads from the large-image options.
struct LargeSliceSettings {
    std::string memoryMegabytes = "512";  // "RAM memory available for OVT:"
    std::string diskGigabytes = "3";      // "Hard Disk Space available for OVT:"
    PieceSettings pieces;
};

// The convert arguments that cut `largeimage` into 4096 x 4096 pieces folder/NAME_%d.EXT,
// numbered row by row from the top left, within the memory (megabytes), map and disk
// (gigabytes) limits. "+repage" forgets each piece's place in the whole image, which PNG, GIF
// and TIFF pieces would otherwise keep and every later crop of the piece would count from.
std::vector<std::string> sliceArguments(const std::string& largeimage,
                                        const std::string& memoryMegabytes,
                                        const std::string& diskGigabytes, const std::string& folder,
                                        const std::string& name, const std::string& extension);

// The geographic extent of the padded pieces of a W x H image; nothing when the world file has
// no usable numbers.
struct PieceExtent {
    double west = 0, east = 0, south = 0, north = 0;
};
std::optional<PieceExtent> paddedPieceExtent(int width, int height, const WorldFile& world);
// True when the extent reaches beyond 180 degrees of longitude or 90 degrees of latitude.
bool beyondTheGlobe(const PieceExtent& extent);
// The question asked before slicing such an image.
std::string beyondTheGlobeQuestion(const PieceExtent& extent);

// Resets the project for a large image ("Large Image Slicer", Command29, before its file
// dialog): large-image mode on, then no tiles folders, no multi-resolution lists (unless
// "Multi Resolution Imagery" is checked), no padded pieces, "Multiple Tiles Directories"
// unchecked, no tiles folder, no image name, not a KML-only run.
void resetForOpenLargeImage(AppState& app);

// "Large Image Slicer" (Command29): opens an image of any size for slicing, as "&Open Image..."
// does, but in large-image mode and without the GeoTIFF conversion. Returns the preview when the
// image was accepted and "Preview Image" is checked.
std::optional<Preview> OpenLargeImage(AppState& app);

// Opens the chosen file as "Large Image Slicer" does after its dialog; false when refused.
bool openLargeImageFile(AppState& app, const std::string& path);

// "Imagemagick large image slicer" (Command33): cuts Largeimage into the pieces of
// projdir/imagename"L" and gives them their world files and padding. When the padded pieces
// would reach beyond the globe, asks first; No stops. Returns true when the piece folder is
// ready for the folder scan and Transform.
bool SliceLargeImage(AppState& app, const LargeSliceSettings& slice);
// The same with the limits, piece format and background colour of the large-image options.
bool SliceLargeImage(AppState& app);
// The slice settings of the large-image options, loaded on first use.
LargeSliceSettings largeSliceSettings(LargeImageOptions& options);

}  // namespace orvanta
