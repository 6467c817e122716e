#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/host.h"

namespace orvanta {

// How long the GeoTIFF listing program may take to write a world file.
inline constexpr std::chrono::seconds kListgeoLimit{30};

// The GeoTIFF listing program: beside this program first, then on the PATH; the bare name
// "listgeo" when neither has it.
std::string findListgeo();

// The argument vector that writes the "tfw" world file of a GeoTIFF beside it.
std::vector<std::string> listgeoCommand(const std::string& listgeo, const std::string& imagePath);

// Writes the world file of a GeoTIFF that has none: runs the listing program and waits for it
// to end (at most kListgeoLimit), letting window events run before and after. The caller then
// looks for the world file again; a program that is missing (not started then) or fails
// leaves none, and the image's own georeference is read instead (embeddedWorldFile).
void convertGeoTiff(Host& host, const std::string& folder, const std::string& fileName);

// The same, but the world file goes to `worldFile`. The image's folder is only read: the
// listing program works on a link to the image in a scratch folder of this process beside
// `worldFile`, so it never writes through a link someone planted, and what it writes is moved
// into place.
void convertGeoTiffInto(Host& host, const std::string& image, const std::string& worldFile);

}  // namespace orvanta
