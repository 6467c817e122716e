#include "kml/kml_layout.h"

#include <algorithm>

#include "imagery/world_file.h"
#include "kml/web_text.h"
#include "platform/os_services.h"
#include "platform/path_names.h"
#include "platform/text_case.h"

namespace orvanta {
namespace {

using F = TreeFolder;

const KmlTreeLayout kLayout1024{
    .size = 1024,
    .depth = 3,
    .kmlFolder = {F::R, F::R, F::S1, F::S1, F::S1},
    .pictureFolder = {F::S1, F::S1, F::S1, F::S1, F::S1},
    .settingFadeFrom = 99,
    .rootLodFollowsOrder = false,
    .successStatus = "KML files was written successfully...",
};

const KmlTreeLayout kLayout2048{
    .size = 2048,
    .depth = 4,
    .kmlFolder = {F::R, F::R, F::S1, F::S2, F::S2},
    .pictureFolder = {F::T1, F::T1, F::S1, F::S2, F::S2},
    .settingFadeFrom = 3,
    .rootLodFollowsOrder = false,
    .successStatus = "KML files were written successfully...",
};

const KmlTreeLayout kLayout4096{
    .size = 4096,
    .depth = 5,
    .kmlFolder = {F::T2, F::T2, F::T1, F::S1, F::S2},
    .pictureFolder = {F::T2, F::T2, F::S1, F::S1, F::S2},
    .settingFadeFrom = 1,
    .rootLodFollowsOrder = true,
    .successStatus = "KML files were written successfully...",
};

std::string join(const std::string& folder, const std::string& name) {
    return folder + kPathSeparator + name;
}

// The folder names under R, written with "/".
const char* relativeHref(TreeFolder folder) {
    switch (folder) {
        case F::R:
            return "";
        case F::T1:
            return "Tgroup1";
        case F::T2:
            return "Tgroup2";
        case F::S1:
            return "Tgroup1/Sgroup1";
        case F::S2:
            return "Tgroup1/Sgroup2";
    }
    return "";
}

TileSource tileOf(const std::string& folder, const std::string& name, const std::string& extension,
                  const std::string& imagePath) {
    const std::string worldExtension = getworldfile(extension);
    return TileSource{
        .name = name,
        .imagePath = imagePath,
        .worldFilePath = join(folder, name + "." + worldExtension),
        .worldFileExtension = worldExtension,
    };
}

}  // namespace

const KmlTreeLayout& kmlTreeLayout(SizeClass sizeClass) {
    switch (sizeClass) {
        case SizeClass::S2048:
            return kLayout2048;
        case SizeClass::S4096:
            return kLayout4096;
        case SizeClass::S1024:
        case SizeClass::None:
            break;
    }
    return kLayout1024;
}

std::string treeFolderPath(const std::string& root, TreeFolder folder) {
    if (folder == F::R)
        return root;
    std::string path = root;
    path += kPathSeparator;
    for (const char* c = relativeHref(folder); *c != 0; ++c) {
        path += *c == '/' ? kPathSeparator : *c;
    }
    return path;
}

std::vector<std::string> treeFolderPaths(const std::string& root) {
    std::vector<std::string> paths;
    for (const TreeFolder folder : {F::R, F::T1, F::T2, F::S1, F::S2}) {
        paths.push_back(treeFolderPath(root, folder));
        paths.push_back(join(paths.back(), "kml"));
    }
    return paths;
}

std::string treeHref(const std::string& root, TreeFolder folder, const std::string& url,
                     const std::string& linksFrom, const std::string& name) {
    if (url.empty() && !linksFrom.empty())
        return hrefPath(relativeLink(treeFolderPath(root, folder) + "/" + name, linksFrom));
    if (url.empty())
        return hrefPath(hrefPrefix(root, folder, url) + "/" + name);
    return hrefPrefix(root, folder, url) + "/" + hrefPath(name);
}

std::string hrefPrefix(const std::string& root, TreeFolder folder, const std::string& url) {
    if (url.empty()) {
        std::string path = treeFolderPath(root, folder);
        std::replace(path.begin(), path.end(), kPathSeparator, '/');
        return path;
    }
    if (folder == F::R)
        return url;
    return url + (url.back() == '/' ? "" : "/") + relativeHref(folder);
}

int cellMinLodPixels(int level) {
    switch (level) {
        case 2:
            return 102;
        case 3:
            return 134;
        case 4:
            return 198;
        default:
            return 316;
    }
}

TileSource folderTile(const std::string& root, const std::string& entry) {
    const std::string extension = lowerCase(GetFileExtension(entry));
    const std::size_t cut = lowerCase(entry).find("." + extension);
    return tileOf(root, entry.substr(0, cut), extension, join(root, entry));
}

TileSource singleImageTile(const std::string& imageFolder, const std::string& imageName,
                           const std::string& projectImage) {
    return tileOf(imageFolder, imageName, lowerCase(GetFileExtension(projectImage)), projectImage);
}

}  // namespace orvanta
