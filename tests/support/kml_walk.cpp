#include "support/kml_walk.h"

#include <filesystem>
#include <set>

#include "support/scratch_dir.h"

namespace orvanta::testing {

KmlTreeWalk walkKmlTree(const std::string& rootKml) {
    namespace fs = std::filesystem;
    KmlTreeWalk walk;
    std::set<std::string> seen;
    std::vector<std::string> pending = {rootKml};
    while (!pending.empty()) {
        const std::string path = pending.back();
        pending.pop_back();
        if (!seen.insert(path).second)
            continue;
        ++walk.files;
        walk.kmlFiles.push_back(path);
        const std::string text = readFile(path);
        for (std::size_t at = text.find("<GroundOverlay>"); at != std::string::npos;
             at = text.find("<GroundOverlay>", at + 1)) {
            ++walk.overlays;
        }
        for (std::size_t at = text.find("<href>"); at != std::string::npos;
             at = text.find("<href>", at + 1)) {
            const std::size_t start = at + 6;
            std::string href = text.substr(start, text.find("</href>", start) - start);
            for (std::size_t amp = href.find("&amp;"); amp != std::string::npos;
                 amp = href.find("&amp;", amp + 1)) {
                href.erase(amp + 1, 4);
            }
            const fs::path target =
                fs::path(href).is_absolute() ? fs::path(href) : fs::path(path).parent_path() / href;
            ++walk.hrefs;
            if (!fs::is_regular_file(target)) {
                walk.missing.push_back(href);
            } else if (target.extension() == ".kml") {
                pending.push_back(target.string());
            }
        }
    }
    return walk;
}

}  // namespace orvanta::testing
