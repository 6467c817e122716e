#pragma once

#include <string>

#include "app/run_state.h"

namespace orvanta {

class AppState;

// Write the KML super-overlay over the tiles of one tile root, one operation per size class
// ("Make KML 1024", "Make KML 2048", "Make KML 4096"): a root KML file with a link per tile
// and, under each tile, a quad tree of KML files with Regions, links and GroundOverlays.
// They report to the person through the AppState's Host and status text, never to the caller.
void MakeKml1024(AppState& app);
void MakeKml2048(AppState& app);
void MakeKml4096(AppState& app);

// The operation of a size class; nothing for none.
void MakeKml(AppState& app, SizeClass sizeClass);

// The message shown when a tile has no world file.
std::string missingWorldFileMessage(const std::string& worldFilePath);

inline constexpr const char* kGeneratingKmlStatus = "Generating kml files...";
inline constexpr const char* kProjectionMessage =
    "There are images not using 'WGS84 Datum Projection'. Google Earth requires a raster in "
    "TIFF, JPEG, or PNG format with a WGS84 Lat/Lon Coordinate Reference System (WGS84 "
    "Geographic). If you are using some projection other than Lat/Lon Google Earth will not be "
    "able to display your image correctly!";
inline constexpr const char* kProjectionStatus =
    "Transformatiom was not complete due to Error is Image Projection...";

}  // namespace orvanta
