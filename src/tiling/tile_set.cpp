#include "tiling/tile_set.h"

#include <algorithm>
#include <cctype>

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

}  // namespace orvanta
