#include "imagery/world_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "imagery/number_text.h"
#include "platform/path_names.h"
#include "platform/run_error.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

WorldFile fromLines(std::vector<std::string> lines) {
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (!lines.empty() && lines.front().starts_with(byteOrderMark))
        lines.front().erase(0, byteOrderMark.size());
    WorldFile world;
    std::array<std::string*, 6> fields = {&world.A, &world.D, &world.B,
                                          &world.E, &world.C, &world.F};
    for (std::size_t i = 0; i < lines.size() && i < fields.size(); ++i)
        *fields[i] = lines[i];
    world.lineCount = static_cast<int>(std::min<std::size_t>(lines.size(), fields.size()));
    return world;
}

// One line of a world file, as its messages name it.
struct WorldLine {
    int number;
    const char* meaning;
    const std::string WorldFile::*text;
};

constexpr std::array<WorldLine, 6> kWorldLines = {{
    {1, "the pixel width A", &WorldFile::A},
    {2, "the rotation term D", &WorldFile::D},
    {3, "the rotation term B", &WorldFile::B},
    {4, "the pixel height E", &WorldFile::E},
    {5, "the longitude C of the upper-left pixel", &WorldFile::C},
    {6, "the latitude F of the upper-left pixel", &WorldFile::F},
}};

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool heldInImage(const std::string& path) {
    return !getworldfile(GetFileExtension(path)).empty();
}

// Where a value comes from: `lines` ("Line 2") of the world file at `path`, or, when `path` is
// an image that holds its own georeference, that georeference.
std::string whereFrom(const std::string& path, const std::string& lines) {
    return heldInImage(path) ? "The georeference held in '" + path + "'"
                             : lines + " of the world file '" + path + "'";
}

std::string lineFault(const std::string& path, const WorldLine& line, const WorldFile& world,
                      const std::string& why) {
    return whereFrom(path, "Line " + std::to_string(line.number)) + ", " + line.meaning +
           ", reads '" + trimmed(world.*line.text) + "': " + why;
}

// The first of the six lines that is missing or not a number.
std::string numberFault(const std::string& path, const WorldFile& world) {
    for (const WorldLine& line : kWorldLines) {
        if (line.number > world.lineCount) {
            return whereFrom(path, "Line " + std::to_string(line.number)) + ", " + line.meaning +
                   ", is missing: a world file holds six lines, one number each.";
        }
        if (!WorldFile::number(world.*line.text)) {
            return lineFault(path, line, world,
                             "that is not a finite number. Each line holds one decimal number "
                             "written with a point, such as 0.0001.");
        }
    }
    return {};
}

double valueOf(const WorldFile& world, const WorldLine& line) {
    return *WorldFile::number(world.*line.text);
}

// How far, in pixels, leaving the rotation term out moves the far corner of the image: B shifts
// each row by B along x, D each column by D along y.
double cornerShift(double rotation, double pixelsAlong, double pixelSize) {
    return std::abs(rotation * pixelsAlong / pixelSize);
}

// The rotation term whose shift of the far corner is a tenth of a pixel or more.
std::string rotationFault(const std::string& path, const WorldFile& world, std::uint32_t width,
                          std::uint32_t height) {
    const auto& [lineA, lineD, lineB, lineE, lineC, lineF] = kWorldLines;
    const double a = valueOf(world, lineA), e = valueOf(world, lineE);
    const double byB = cornerShift(valueOf(world, lineB), height, a);
    const double byD = cornerShift(valueOf(world, lineD), width, e);
    if (std::hypot(byB, byD) < 0.1)
        return {};
    return lineFault(path, byB >= byD ? lineB : lineD, world,
                     "the image is rotated or sheared, which moves its far corner by " +
                         FormatNumber(std::hypot(byB, byD)) +
                         " pixels; only north-up images can be tiled (rotation terms that move "
                         "no corner by a tenth of a pixel are taken as 0).");
}

}  // namespace

std::optional<double> WorldFile::number(const std::string& text) {
    const std::string plain = trimmed(text);
    if (plain.empty())
        return std::nullopt;
    // Only plain decimal numbers: no hexadecimal, no infinities, no NaN.
    for (char c : plain) {
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.' &&
            c != 'e' && c != 'E') {
            return std::nullopt;
        }
    }
    char* end = nullptr;
    const double value = std::strtod(plain.c_str(), &end);
    if (end != plain.c_str() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<Placement> placementOf(const WorldFile& world) {
    const std::optional<double> a = WorldFile::number(world.A), e = WorldFile::number(world.E);
    const std::optional<double> c = WorldFile::number(world.C), f = WorldFile::number(world.F);
    if (!a || !e || !c || !f)
        return std::nullopt;
    return Placement{*a, *e, *c, *f};
}

std::string getworldfile(const std::string& imageExtension) {
    const std::string ext = lowerCase(imageExtension);
    if (ext == "jpg" || ext == "jpeg")
        return "jgw";
    if (ext == "tif" || ext == "tiff")
        return "tfw";
    if (ext == "gif")
        return "gfw";
    if (ext == "png")
        return "pgw";
    if (ext == "jp2")
        return "j2w";
    if (ext == "bmp")
        return "bpw";
    return {};
}

WorldFile parseWorldFile(const std::string& text) {
    return fromLines(splitLines(text));
}

WorldFile readWorldFile(const std::string& path) {
    return fromLines(readTextLines(path, 6));
}

std::vector<std::string> worldFileNames(const std::string& baseName,
                                        const std::string& imageExtension) {
    std::vector<std::string> names;
    if (const std::string own = getworldfile(imageExtension); !own.empty())
        names.push_back(baseName + "." + own);
    if (!imageExtension.empty())
        names.push_back(baseName + "." + lowerCase(imageExtension) + "w");
    names.push_back(baseName + ".wld");
    return names;
}

std::string worldFileDetail(const std::string& path, const WorldFile& world, std::uint32_t width,
                            std::uint32_t height) {
    if (std::string fault = numberFault(path, world); !fault.empty())
        return fault;
    const auto& [lineA, lineD, lineB, lineE, lineC, lineF] = kWorldLines;
    if (!isWgs84(world))
        return notGeographicDetail(path, valueOf(world, lineC), valueOf(world, lineF));
    const double a = valueOf(world, lineA), e = valueOf(world, lineE);
    for (const WorldLine* size : {&lineA, &lineE}) {
        if (valueOf(world, *size) == 0)
            return lineFault(path, *size, world, "a pixel of size 0 covers no ground.");
    }
    if (a < 0) {
        return lineFault(path, lineA, world,
                         "the image is mirrored (its columns run east to west); only images "
                         "whose columns run west to east, with A above 0, can be tiled.");
    }
    if (e > 0) {
        return lineFault(path, lineE, world,
                         "the image is upside down (its rows run south to north); only "
                         "north-up images, with E below 0, can be tiled.");
    }
    return rotationFault(path, world, width, height);
}

std::string notGeographicDetail(const std::string& path, double c, double f) {
    return whereFrom(path, "Lines 5 and 6") + (heldInImage(path) ? " places" : " place") +
           " the upper-left pixel at " + FormatNumber(c) + ", " + FormatNumber(f) +
           ", beyond longitude -180 to 180 and latitude -90 to 90: an image in a projected "
           "coordinate system must first be warped to WGS84 latitude/longitude." +
           kReprojectHint;
}

bool isWgs84(const WorldFile& worldFile) {
    const std::optional<double> c = WorldFile::number(worldFile.C);
    const std::optional<double> f = WorldFile::number(worldFile.F);
    if (!c || !f)
        return false;
    return *c >= -180 && *c <= 180 && *f >= -90 && *f <= 90;
}

int Searchlist(const std::vector<std::string>& transplist, const std::string& name) {
    const std::string wanted = lowerCase(name);
    for (std::size_t i = 0; i < transplist.size(); ++i) {
        if (lowerCase(transplist[i]) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace orvanta
