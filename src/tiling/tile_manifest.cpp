#include "tiling/tile_manifest.h"

#include <array>
#include <charconv>
#include <filesystem>

#include "platform/path_names.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

constexpr const char* kManifestHeader = "#Orvanta tile manifest 1";

std::string switchesText(const TileSwitches& s) {
    return formatName(s.format) + "/q" + std::to_string(s.quality) +
           (s.transparent ? "/t" + s.colour.text() : "") + (s.fuzzy ? "/fuzzy" : "") + "/m" +
           std::to_string(s.memoryMb);
}

}  // namespace

std::string manifestText(const TileManifest& manifest) {
    std::vector<std::string> lines = {kManifestHeader};
    for (const auto& [name, recipe] : manifest.pieces)
        lines.push_back("pieces\t" + escapedField(name) + "\t" + recipe);
    for (const auto& [name, recipe] : manifest.images)
        lines.push_back("image\t" + escapedField(name) + "\t" + recipe);
    return joinCrLf(lines);
}

TileManifest parseManifest(const std::vector<std::string>& lines) {
    TileManifest manifest;
    if (lines.empty() || lines.front() != kManifestHeader)
        return manifest;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = recordFields(lines[i]);
        const std::optional<std::string> name =
            fields.size() == 3 ? unescapedField(fields[1]) : std::nullopt;
        if (name && fields[0] == "image")
            manifest.images[*name] = fields[2];
        else if (name && fields[0] == "pieces")
            manifest.pieces[*name] = fields[2];
    }
    return manifest;
}

TileManifest readManifest(const std::string& root) {
    const std::string path = joinPath(root, kManifestFileName);
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored))
        return {};
    try {
        return parseManifest(readTextLines(path, 10000000));
    } catch (const RunError&) {
        return {};  // unreadable: nothing is known to be kept
    }
}

void writeManifest(const std::string& root, const TileManifest& manifest) {
    writeFileAtomically(joinPath(root, kManifestFileName), manifestText(manifest));
}

std::string tilingRecipe(const ImageTiling& image, PixelEngine engine,
                         const std::string& sourceIdentity) {
    std::string recipe =
        "source " + sourceIdentity + "; size " + std::to_string(edgePixels(image.sizeClass)) +
        (image.withWholeImage ? " whole" : "") + (image.pieceOf4096 ? " piece" : "") + "; tiles " +
        switchesText(image.switches) + "; engine " +
        (engine == PixelEngine::Vips ? "vips" : "magick");
    if (image.sizeClass == SizeClass::S4096) {
        recipe += "; pieces";
        for (int q = 0; q < 4; ++q) {
            for (int s = 0; s < 4; ++s) {
                recipe +=
                    " " + switchesText(image.pieceSwitches(image.name + "_" + std::to_string(q) +
                                                           "_" + std::to_string(s)));
            }
        }
    }
    if (image.imageArea) {
        recipe += "; image area " + std::to_string(image.imageArea->width) + "x" +
                  std::to_string(image.imageArea->height);
    }
    // Tiles at the globe's edge are cut to it.
    if (image.globe != GlobeWindow{}) {
        recipe += "; globe";
        for (const double edge :
             {image.globe.left, image.globe.top, image.globe.right, image.globe.bottom}) {
            std::array<char, 32> text{};
            recipe +=
                " " + std::string(text.data(), std::to_chars(text.begin(), text.end(), edge).ptr);
        }
    }
    return recipe;
}

std::string recipePictureFormat(const std::string& recipe) {
    const std::string tiles = "; tiles ";
    const std::size_t at = recipe.find(tiles);
    if (at == std::string::npos)
        return {};
    const std::size_t from = at + tiles.size();
    return recipe.substr(from, recipe.find('/', from) - from);
}

}  // namespace orvanta
