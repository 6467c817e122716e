#include "kml/tree_inputs.h"

#include <chrono>
#include <filesystem>

#include "imagery/geo_image.h"
#include "imagery/geotiff.h"
#include "platform/file_lookup.h"
#include "platform/host.h"
#include "platform/os_services.h"
#include "platform/path_names.h"
#include "platform/process.h"
#include "platform/text_case.h"
#include "platform/text_file.h"

namespace orvanta {

std::string locateWorldFile(Host& host, const TileSource& tile) {
    std::string found =
        findWorldFile(folderOf(tile.imagePath), tile.name, GetFileExtension(tile.imagePath));
    if (found.empty())
        found = findFileLoosely(tile.worldFilePath);
    if (found.empty() && tile.worldFileExtension == "tfw") {
        convertGeoTiffInto(host, tile.imagePath, tile.worldFilePath);
        found = findFileLoosely(tile.worldFilePath);
    }
    return found;
}

std::string readPictureExtension(const std::string& root) {
    const std::string spelled = root + kPathSeparator + "Tgroup1.txt";
    const std::string found = findFileLoosely(spelled);
    const std::vector<std::string> lines = readTextLines(found.empty() ? spelled : found, 1);
    return lines.empty() ? std::string{} : trimBlanks(lines.front());
}

std::string PictureFinder::operator()(const std::string& folder, const std::string& fileName) {
    namespace fs = std::filesystem;
    auto [entry, isNew] = spellings_.try_emplace(folder);
    if (isNew) {
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            std::error_code typeError;
            if (!it->is_regular_file(typeError))
                continue;
            const std::string name = it->path().filename().string();
            entry->second[lowerCase(name)].insert(name);
        }
    }
    const auto found = entry->second.find(lowerCase(fileName));
    if (found == entry->second.end())
        return {};
    // Several spellings: the first in byte order, whatever order the folder lists them in.
    const std::set<std::string>& names = found->second;
    return names.contains(fileName) ? fileName : *names.begin();
}

}  // namespace orvanta
