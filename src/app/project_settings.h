#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvanta {

// Every setting of one job. Fields are named after the control of the main window that shows
// them; check fields hold 0 (cleared), 1 (checked) or 2 (greyed).
struct ProjectSettings {
    std::string Projectimage;          // "Raster Image File:"
    int Check5 = 0;                    // "Preview Image"
    int Check2 = 0;                    // "Multiple Tiles Directories"
    std::string tilesdirr;             // "Tiles Image Directory:"
    std::vector<std::string> List2;    // folders of the multiple-directories batch
    std::string pathtogoogle;          // "Path to Google Earth Executable:"
    std::string kmlpath;               // "Path to the output kml file"
    int Check3 = 1;                    // "Open KML file when finished"
    std::string Text11;                // "Webserver URL to server the tiles kml and images"
    std::string projname = "Default";  // "Project Name:"
    std::string Label1;                // "Width (Pixels):"
    std::string Label2;                // "Height  (Pixels):"
    std::string Label3;                // "Bit Depth:"
    std::string Label4;                // "Resolution:"
    std::string Combo1 = "256x256";    // "Target Tiles Size:" (kept, read by no step)
    std::string Combo2 = "JPG";        // "Output Image Format:"
    int Check4 = 0;                    // "Transparent Image"
    std::uint32_t Label25 = 0;         // "Transperant color:", red in the low byte
    std::string Label26;               // the colour as "RGB(r, g, b)"
    std::string Combo4 = "LOW";        // "Image display order:"
    std::string projdir;               // folder of the single input image, no trailing separator
    std::string imagename;             // base name of the single input image
    int Check1 = 0;                    // "Host tiles on webserver"
    int Check6 = 0;                    // "Multi Resolution Imagery"
    std::vector<std::string> List1;    // multi-resolution images, high resolution first
    std::vector<std::string> List3;    // folder of each List1 image
    std::string Combo5 = "100";        // "Output Image Quality:" (not in the project file)
    std::string Projectfilename;       // the project file that was loaded or saved
    std::string Largeimage;            // image handed to the large-image slicer

    ProjectSettings();
};

// The program the start-up value of pathtogoogle names on this platform.
std::string defaultGoogleEarthPath();
// The example web-server base URL that Text11 starts with.
inline constexpr const char* kDefaultWebserverUrl = "http://www.example.com/Tilesproject/";

// The fixed choice lists of the main window, in order.
inline const std::vector<std::string> kTileSizeChoices = {"256x256", "400x400", "512x512",
                                                          "1024x1024"};               // Combo1
inline const std::vector<std::string> kFormatChoices = {"GIF", "JPG", "PNG", "TIF"};  // Combo2
inline const std::vector<std::string> kOrderChoices = {"HIGH", "LOW"};                // Combo4
inline const std::vector<std::string> kQualityChoices = {"100", "90", "75"};          // Combo5

}  // namespace orvanta
