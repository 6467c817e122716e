#pragma once

#include <string>

namespace orvanta {

class AppState;

// The multi-resolution list (List1 with its folders in List3).
void Command11(AppState& app);                     // "+": add the open image
void Command12(AppState& app, int selectedIndex);  // "-": remove the selected image (-1: none)
void Command13(AppState& app);                     // "C": clear the list

// The tiles folder and the multiple-directories list (List2).
void Command14(AppState& app);  // "..." beside "Tiles Image Directory:": choose the folder
// The part of Command14 after the folder browser: `path` is the chosen folder, or empty.
void useTilesFolder(AppState& app, std::string path);
void Command15(AppState& app);                     // "+": add the tiles folder
void Command16(AppState& app, int selectedIndex);  // "-": remove the selected folder
void Command17(AppState& app);                     // "C": clear the list
void Command28(AppState& app);                     // "++": add every usable subfolder

// The choosers of the Google Earth program and of the output KML folder.
void Command23(AppState& app);  // "..." beside "Path to Google Earth Executable:"
void Command24(AppState& app);  // "..." beside "Path to the output kml file"

inline constexpr const char* kFolderBrowserTitle = "This is the title";

}  // namespace orvanta
