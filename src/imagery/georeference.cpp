#include "imagery/georeference.h"

#include "imagery/number_text.h"
#include "platform/file_lookup.h"
#include "platform/path_names.h"
#include "platform/run_error.h"

namespace orvanta {

std::optional<WorldFile> embeddedWorldFile(const std::string& image) {
    std::optional<GeoTransform> t;
    try {
        t = readRasterFacts(image).transform;
    } catch (const RunError&) {
        return std::nullopt;
    }
    if (!t)
        return std::nullopt;
    const GeoTransform& g = *t;
    WorldFile world;
    world.A = FormatNumber(g[1]);
    world.D = FormatNumber(g[4]);
    world.B = FormatNumber(g[2]);
    world.E = FormatNumber(g[5]);
    world.C = FormatNumber(g[0] + g[1] / 2 + g[2] / 2);
    world.F = FormatNumber(g[3] + g[4] / 2 + g[5] / 2);
    world.lineCount = 6;
    return world;
}

std::optional<Georeference> readGeoreference(const std::string& image,
                                             const std::string& worldFilePath) {
    Georeference found;
    found.worldFilePath = findFileLoosely(worldFilePath);
    if (!found.worldFilePath.empty()) {
        found.world = readWorldFile(found.worldFilePath);
    } else if (std::optional<WorldFile> own = embeddedWorldFile(image)) {
        found.world = *own;
    } else {
        return std::nullopt;
    }
    const std::string prj = findFileLoosely(joinPath(folderOf(image), baseNameOf(image)) + ".prj");
    if (!prj.empty())
        found.coordinateSystem = readPrjFile(prj);
    if (found.coordinateSystem.empty()) {
        try {
            found.coordinateSystem = readRasterFacts(image).coordinateSystem;
        } catch (const RunError&) {
            // An image the library cannot read names no system.
        }
    }
    return found;
}

std::optional<GeoTransform> transformOf(const WorldFile& world) {
    const auto a = WorldFile::number(world.A), d = WorldFile::number(world.D),
               b = WorldFile::number(world.B), e = WorldFile::number(world.E),
               c = WorldFile::number(world.C), f = WorldFile::number(world.F);
    if (!a || !d || !b || !e || !c || !f)
        return std::nullopt;
    return GeoTransform{*c - *a / 2 - *b / 2, *a, *b, *f - *d / 2 - *e / 2, *d, *e};
}

}  // namespace orvanta
