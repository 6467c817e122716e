#pragma once

#include <string>

namespace orvanta {

class AppState;

// The multi-resolution list (its images with their folders).
void addMultiResolutionImage(AppState& app);  // "+": add the open image
void removeMultiResolutionImage(AppState& app,
                                int selectedIndex);  // "-": remove the selected image (-1: none)
void clearMultiResolutionImages(AppState& app);      // "C": clear the list

// The tiles folder and the multiple-directories list.
void chooseTilesFolder(AppState& app);  // "..." beside "Tiles Image Directory:": choose the folder
// The part of chooseTilesFolder after the folder browser: `path` is the chosen folder, or empty.
// True when the folder was taken (usable, or kept for the batch list).
bool useTilesFolder(AppState& app, std::string path);
bool addTilesFolder(AppState& app);  // "+": add the tiles folder; true when it was added
void removeBatchFolder(AppState& app, int selectedIndex);  // "-": remove the selected folder
void clearBatchFolders(AppState& app);                     // "C": clear the list
void addSubfolders(AppState& app);                         // "++": add every usable subfolder

// The choosers of the Google Earth program and of the output KML folder.
void chooseGoogleEarthProgram(AppState& app);  // "..." beside "Path to Google Earth Executable:"
void chooseKmlFolder(AppState& app);           // "..." beside "Path to the output kml file"
void chooseOutputFolder(AppState& app);        // "..." beside "Output folder:"

inline constexpr const char* kTilesFolderTitle = "Choose the folder of the tile images";
inline constexpr const char* kKmlFolderTitle = "Choose the folder of the output KML file";
inline constexpr const char* kOutputFolderTitle = "Choose the folder the tiles and KML files go to";

}  // namespace orvanta
