#include "imagery/world_file.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/run_error.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

WorldFile fromLines(const std::vector<std::string>& lines) {
    WorldFile world;
    std::array<std::string*, 6> fields = {&world.A, &world.D, &world.B,
                                          &world.E, &world.C, &world.F};
    for (std::size_t i = 0; i < lines.size() && i < fields.size(); ++i)
        *fields[i] = lines[i];
    world.lineCount = static_cast<int>(std::min<std::size_t>(lines.size(), fields.size()));
    return world;
}

}  // namespace

std::optional<double> WorldFile::number(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    const std::size_t last = text.find_last_not_of(" \t");
    const std::string trimmed = text.substr(first, last - first + 1);
    // Only plain decimal numbers: no hexadecimal, no infinities, no NaN.
    for (char c : trimmed) {
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.' &&
            c != 'e' && c != 'E') {
            return std::nullopt;
        }
    }
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size())
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
