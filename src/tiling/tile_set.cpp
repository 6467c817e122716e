#include "tiling/tile_set.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/os_services.h"
#include "platform/path_names.h"
#include "platform/text_case.h"

namespace orvanta {

std::string imageBaseName(const std::string& fileName) {
    const std::string extension = lowerCase(GetFileExtension(fileName));
    if (extension.empty())
        return fileName;
    const std::size_t cut = lowerCase(fileName).find("." + extension);
    return fileName.substr(0, cut);
}

std::string groupMarker(const std::string& groupFolder) {
    const std::size_t separator = groupFolder.rfind(kPathSeparator);
    const std::string name =
        separator == std::string::npos ? groupFolder : groupFolder.substr(separator + 1);
    return joinPath(groupFolder, name + ".txt");
}

bool namedAfter(const std::string& fileName, const std::string& name, bool pictures) {
    if (fileName.compare(0, name.size(), name) != 0)
        return false;
    std::size_t at = name.size();
    while (at < fileName.size() && fileName[at] == '_') {
        const std::size_t digits = at + 1;
        at = digits;
        while (at < fileName.size() && std::isdigit(static_cast<unsigned char>(fileName[at])))
            ++at;
        if (at == digits)
            return false;
    }
    const std::string extension = lowerCase(fileName.substr(at));
    if (extension == ".kml")
        return true;
    return pictures && (extension == ".jpg" || extension == ".png" || extension == ".gif" ||
                        extension == ".tif");
}

int removeLeftovers(const TileSet& tiles, const std::vector<std::string>& names,
                    const std::set<std::string>& keep, bool pictures) {
    namespace fs = std::filesystem;
    std::vector<std::string> folders = {tiles.kml()};
    for (const std::string& group :
         {tiles.tgroup1(), tiles.tgroup2(), tiles.sgroup1(), tiles.sgroup2()}) {
        folders.push_back(group);
        folders.push_back(joinPath(group, "kml"));
    }
    int removed = 0;
    for (const std::string& folder : folders) {
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            const std::string file = it->path().filename().string();
            std::error_code typeError;
            const bool ours = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
                return namedAfter(file, name, pictures);
            });
            if (!ours || keep.contains(it->path().string()) || !it->is_regular_file(typeError))
                continue;
            std::error_code ignored;
            removed += fs::remove(it->path(), ignored) ? 1 : 0;
        }
    }
    return removed;
}

}  // namespace orvanta
