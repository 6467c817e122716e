#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imagery/image_header.h"
#include "platform/host.h"

namespace orvanta {

// The file names of the images of one size in a folder.
struct ImagesOfOneSize {
    std::uint32_t width = 0, height = 0;
    std::vector<std::string> names;
};

// Messages of the folder scan; `folder` is the path given to the scan. Where a message names
// files, it names at most five of each kind and counts the others.
// Images of several sizes: the sizes found, in the order met, and the files of each.
std::string differentSizesMessage(const std::string& folder,
                                  const std::vector<ImagesOfOneSize>& sizes);
std::string noWorldFilesMessage(const std::string& folder);
std::string someWorldFilesMissingMessage(const std::string& folder, int missing);
// Images of one size that is no tile size, `width` x `height`.
std::string noTileSizeMessage(const std::string& folder, std::uint32_t width, std::uint32_t height);
// Images whose size cannot be read, by file name.
std::string unreadableImagesMessage(const std::string& folder,
                                    const std::vector<std::string>& names);
inline constexpr const char* kFolderNotWgs84Message =  // M5
    "There are images in the selected folder not using 'WGS84 Datum Projection'. Google Earth "
    "requires a raster in TIFF, JPEG, or PNG format with a WGS84 Lat/Lon Coordinate Reference "
    "System (WGS84 Geographic). If you are using some projection other than Lat/Lon Google "
    "Earth will not be able to display your image correctly!";
// Two images whose tiles would have the same names.
std::string sameStemMessage(const std::string& first, const std::string& second);
inline constexpr const char* kMissingWorldFilesTitle = "Missing Reference 'world files'";

// What the scan of a folder found.
struct FolderScan {
    bool usable = false;                 // processing may go on
    bool scannedImages = false;          // the folder held images
    std::optional<SizeClass> sizeClass;  // the first image's, when it is a tile size
    ImageFacts lastFacts;                // the facts of the image read last
    // File names of the images without a world file that the person chose to leave out.
    std::vector<std::string> imagesLeftOut;
};

// Scans the images of a folder (not its subfolders) before processing: reads every header,
// finds every world file (writing a GeoTIFF's with the listing program), refuses images not in
// WGS84 latitude/longitude, checks that every image can be read and that all share one size,
// asks whether to go on without the images that have no world file, and finds the folder's
// size class (the first image's). A refused folder gets one message, for the first reason
// found in that order; the question comes only when nothing refused the folder.
// Two images of one name but for the extension would write the same tiles: such a folder is
// refused before any image is read. The world files made for GeoTIFFs go to `madeWorldFiles`
// when it is given (the image's folder is then only read), and are found there too. Without
// `makeWorldFiles`, or when the listing program is missing or writes none, a GeoTIFF's own
// georeference is read in memory instead, as any image's is that holds one.
FolderScan scanFolder(Host& host, const std::string& folder, const std::string& madeWorldFiles = {},
                      bool makeWorldFiles = true);

}  // namespace orvanta
