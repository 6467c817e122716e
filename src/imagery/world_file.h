#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_case.h"

namespace orvanta {

// The six lines of a world file, kept as text: A (pixel size along x), D and B (rotation, never
// used), E (pixel size along y, negative for north-up), C and F (longitude and latitude of the
// centre of the upper-left pixel). Missing lines stay empty.
struct WorldFile {
    std::string A, D, B, E, C, F;
    // How many lines the file had, at most six.
    int lineCount = 0;

    // The value of a line as a number; nothing when the text is not a plain, finite decimal
    // number (no infinity, NaN, hexadecimal or decimal comma, nothing beyond a double's range).
    static std::optional<double> number(const std::string& text);
};

// The numbers that place the pixels: A, E, C and F of a world file.
struct Placement {
    double a = 0, e = 0, c = 0, f = 0;
};
// Nothing when one of them is not a number.
std::optional<Placement> placementOf(const WorldFile& world);

// The world-file extension of an image extension, compared without regard to case:
// jpg and jpeg→jgw, tif and tiff→tfw, gif→gfw, png→pgw, jp2→j2w, bmp→bpw, anything else empty.
std::string getworldfile(const std::string& imageExtension);

// The names a world file of the image `baseName`.`imageExtension` may have, in the order they
// are looked for: the program's own (getworldfile), then the forms GIS tools write: the image
// extension followed by "w" (a.jpgw, a.tiffw), then "wld".
std::vector<std::string> worldFileNames(const std::string& baseName,
                                        const std::string& imageExtension);

// Reads the first six lines of a world file; a UTF-8 byte-order mark before the first line is no
// part of it. Throws RunError 53 when it does not exist.
WorldFile readWorldFile(const std::string& path);
// The same from the text of a world file.
WorldFile parseWorldFile(const std::string& text);

// Why the world file at `path` cannot place an image of `width` x `height` pixels, as one
// sentence naming the file, the line and its value; empty when it can. In this order: every
// line a finite number; the WGS84 test; a pixel size other than 0; columns running west to east
// and rows north to south; rotation terms that move no corner of the image by a tenth of a
// pixel or more (smaller ones are taken as 0; a size of 0 leaves them unmeasured).
std::string worldFileDetail(const std::string& path, const WorldFile& world, std::uint32_t width,
                            std::uint32_t height);

// The sentence that tells why C and F (line 5 and 6 of the world file at `path`) are not
// degrees, and what to do about it.
std::string notGeographicDetail(const std::string& path, double c, double f);
// The end of that sentence: how to have the image warped instead.
inline constexpr const char* kReprojectHint =
    " To have it warped, give --reproject (in the window: \"Warp images in other coordinate "
    "systems to WGS84\" in the options).";

// WGS84 plausibility: C within -180..180 and F within -90..90, limits included; the extent of
// the image is not tested. A C or F that is missing or not a number fails.
bool isWgs84(const WorldFile& worldFile);

// Index of the first entry equal to `name` without regard to case, or -1.
int Searchlist(const std::vector<std::string>& transplist, const std::string& name);

}  // namespace orvanta
