#include "imagery/world_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "imagery/number_text.h"
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

std::string lineFault(const std::string& path, const WorldLine& line, const WorldFile& world,
                      const std::string& why) {
    return "Line " + std::to_string(line.number) + " of the world file '" + path + "', " +
           line.meaning + ", reads '" + trimmed(world.*line.text) + "': " + why;
}

// The first of the six lines that is missing or not a number.
std::string numberFault(const std::string& path, const WorldFile& world) {
    for (const WorldLine& line : kWorldLines) {
        if (line.number > world.lineCount) {
            return "Line " + std::to_string(line.number) + " of the world file '" + path + "', " +
                   line.meaning + ", is missing: a world file holds six lines, one number each.";
        }
        if (!WorldFile::number(world.*line.text)) {
            return lineFault(path, line, world,
                             "that is not a number. Each line holds one finite decimal number "
                             "written with a point, such as 0.0001.");
        }
    }
    return {};
}

double valueOf(const WorldFile& world, const WorldLine& line) {
    return *WorldFile::number(world.*line.text);
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

std::string getworldfile(const std::string& imageExtension) {
    const std::string ext = lowerCase(imageExtension);
    if (ext == "jpg")
        return "jgw";
    if (ext == "tif")
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

std::string worldFileFault(const std::string& path, const WorldFile& world, std::uint32_t width,
                           std::uint32_t height) {
    if (std::string fault = numberFault(path, world); !fault.empty())
        return fault;
    const auto& [lineA, lineD, lineB, lineE, lineC, lineF] = kWorldLines;
    const double a = valueOf(world, lineA), e = valueOf(world, lineE);
    if (a <= 0)
        return lineFault(path, lineA, world, "it must be above 0 (columns run west to east).");
    for (const WorldLine& rotation : {lineD, lineB}) {
        if (valueOf(world, rotation) != 0) {
            return lineFault(path, rotation, world,
                             "the image is rotated, and only images with rotation terms of 0 "
                             "(north up) can be tiled.");
        }
    }
    if (e >= 0)
        return lineFault(path, lineE, world, "it must be below 0 (rows run north to south).");
    if (!isWgs84(world) || width == 0 || height == 0)
        return {};
    // C and F give the centre of the upper-left pixel: the far edges lie half a pixel short of
    // width x A and height x E from it. A whole-earth image reaches 180 and -90 exactly, give or
    // take the rounding of its numbers.
    constexpr double rounding = 1e-9;
    const double east = valueOf(world, lineC) + (width - 0.5) * a;
    const double south = valueOf(world, lineF) + (height - 0.5) * e;
    if (!(east <= 180 + rounding)) {
        return lineFault(path, lineA, world,
                         "the east edge of the " + std::to_string(width) +
                             " pixels wide image would lie at longitude " + FormatNumber(east) +
                             ", beyond 180.");
    }
    if (!(south >= -90 - rounding)) {
        return lineFault(path, lineE, world,
                         "the south edge of the " + std::to_string(height) +
                             " pixels high image would lie at latitude " + FormatNumber(south) +
                             ", beyond -90.");
    }
    return {};
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
