#pragma once

#include <optional>
#include <string>
#include <vector>

#include "kml/display_order.h"
#include "platform/colour.h"
#include "platform/picture_format.h"

namespace orvanta {

// Every setting of one job, as the main window shows it and the project file stores it. The
// comment of each field is the caption the person sees.
struct ProjectSettings {
    std::string projectImage;                // "Raster Image File:"
    bool previewImage = false;               // "Preview Image"
    bool multipleFolders = false;            // "Multiple Tiles Directories"
    std::string tilesFolder;                 // "Tiles Image Directory:"
    std::vector<std::string> batchFolders;   // folders of the multiple-directories batch
    std::string googleEarthProgram;          // "Path to Google Earth Executable:"
    std::string kmlFolder;                   // "Path to the output kml file"
    bool openWhenDone = true;                // "Open KML file when finished"
    std::string webServerUrl;                // "Webserver URL to server the tiles kml and images"
    std::string projectName = "Default";     // "Project Name:"
    std::string widthText;                   // "Width (Pixels):"
    std::string heightText;                  // "Height  (Pixels):"
    std::string bitDepthText;                // "Bit Depth:"
    std::string resolutionText;              // "Resolution:"
    std::string targetTileSize = "256x256";  // "Target Tiles Size:" (kept, read by no step)
    PictureFormat outputFormat = PictureFormat::Jpg;  // "Output Image Format:"
    bool transparent = false;                         // "Transparent Image"
    Rgb transparentColour;                            // "Transperant color:"
    DisplayOrder drawOrder = DisplayOrder::Low;       // "Image display order:"
    std::string imageFolder;       // folder of the single input image, no trailing separator
    std::string imageName;         // base name of the single input image
    bool hostOnWebServer = false;  // "Host tiles on webserver"
    bool multiResolution = false;  // "Multi Resolution Imagery"
    std::vector<std::string> multiResolutionImages;   // high resolution first
    std::vector<std::string> multiResolutionFolders;  // folder of each of those images
    int jpegQuality = 100;                            // "Output Image Quality:", 1 to 100
    bool relativeLinks = false;   // "Portable links (relative paths)" (not in the project file)
    std::string kmzFile;          // the result is also packed into this file, when given
    // The project name was given for this job (the command line's --name): it names the top
    // file of a single image and of a multi-resolution pair too (not in the project file).
    bool nameGiven = false;
    bool skipEmptyTiles = false;  // "Skip empty edge tiles" (not in the project file)
    bool previewPage = false;     // "Write a preview page" (not in the project file)
    // Where the tiles, KML and pieces go; empty for beside the input.
    std::string outputFolder;
    bool exactEdges = false;  // KML edges at the pixel corners instead of the pixel centres
    std::string projectFile;  // the project file that was loaded or saved
    std::string largeImage;   // image handed to the large-image slicer

    ProjectSettings();
};

// The program the start-up value of googleEarthProgram names on this platform.
std::string defaultGoogleEarthPath();
// The example web-server base URL that the URL field starts with.
inline constexpr const char* kDefaultWebserverUrl = "http://www.example.com/Tilesproject/";

// The fixed choice lists of the main window, in order.
inline const std::vector<std::string> kTileSizeChoices = {"256x256", "400x400", "512x512",
                                                          "1024x1024"};
inline const std::vector<std::string> kFormatChoices = {"GIF", "JPG", "PNG", "TIF"};
inline const std::vector<std::string> kOrderChoices = {"HIGH", "LOW"};
inline const std::vector<int> kQualityChoices = {100, 90, 75};

// The JPEG quality a text gives: a whole number from 1 to 100 (the window offers three of
// them; the command line and project files take any). Nothing for any other text.
std::optional<int> jpegQualityOf(const std::string& text);

}  // namespace orvanta
