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

// The world-file extension of an image extension, compared without regard to case:
// jpg→jgw, tif→tfw, gif→gfw, png→pgw, jp2→j2w, bmp→bpw, anything else empty.
std::string getworldfile(const std::string& imageExtension);

// Reads the first six lines of a world file; a UTF-8 byte-order mark before the first line is no
// part of it. Throws RunError 53 when it does not exist.
WorldFile readWorldFile(const std::string& path);
// The same from the text of a world file.
WorldFile parseWorldFile(const std::string& text);

// Why the world file at `path` cannot place an image of `width` x `height` pixels, as a message
// naming the file, the line and its value; empty when it can. Checked line by line: every
// line a number, the pixel width A above 0 and the pixel height E below 0 (a north-up image),
// the rotation terms D and B 0, then the image's far edges within the globe (C and F give the
// centre of the upper-left pixel). A corner (C, F) outside the globe is left to isWgs84, whose
// message tells of projected coordinates; a width or height of 0 (not known) skips the far corner.
std::string worldFileFault(const std::string& path, const WorldFile& world, std::uint32_t width,
                           std::uint32_t height);

// WGS84 plausibility: C within -180..180 and F within -90..90, limits included. A C or F that is
// missing or not a number fails.
bool isWgs84(const WorldFile& worldFile);

// Index of the first entry equal to `name` without regard to case, or -1.
int Searchlist(const std::vector<std::string>& transplist, const std::string& name);

}  // namespace orvanta
