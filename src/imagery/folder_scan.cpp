#include "imagery/folder_scan.h"

#include "app/paths.h"
#include "app/run_error.h"
#include "imagery/geo_image.h"
#include "imagery/geotiff.h"
#include "imagery/image_header.h"
#include "imagery/world_file.h"
#include "platform/file_list.h"
#include "platform/os_services.h"

namespace orvanta {
namespace {

struct ScanCounts {
    int referenced = 0;
    int missing = 0;
    int mismatched = 0;
    std::uint32_t width = 0;  // reference size: the first image's
    std::uint32_t height = 0;
};

// A world file that cannot be read fails the WGS84 test like one without numbers.
bool worldFileIsWgs84(const std::string& path) {
    try {
        return isWgs84(readWorldFile(path));
    } catch (const RunError&) {
        return false;
    }
}

// Steps of one image; false when its world file is not in WGS84 and the scan must end.
bool scanImage(AppState& app, const std::string& folder, const std::string& name, bool first,
               ScanCounts& counts) {
    const std::string path = folder + kPathSeparator + name;
    Loadf(app, path);
    GetProjDir(path, app.settings);
    const std::string imageExtension = GetFileExtension(name);
    const std::string found = findWorldFile(folder, app.settings.imagename, imageExtension);
    if (!found.empty()) {
        ++counts.referenced;
        if (!worldFileIsWgs84(found)) {
            app.host().messageBox(kFolderNotWgs84Message, kAppTitle);
            return false;
        }
    } else if (getworldfile(imageExtension) == "tfw") {
        convertGeoTiff(app.host(), folder, name);
        // A world file written now is neither counted nor tested.
        if (findWorldFile(folder, app.settings.imagename, imageExtension).empty()) {
            ++counts.missing;
        }
    } else {
        ++counts.missing;
    }
    const ImageHeaderInfo& info = app.imageHeader;
    if (first) {
        counts.width = info.width;
        counts.height = info.height;
    } else if (info.width != counts.width || info.height != counts.height) {
        ++counts.mismatched;
    }
    return true;
}

}  // namespace

std::string differentSizesMessage(const std::string& folder) {
    return "This folder '" + folder +
           "' contains images of different sizes (Width x Height), OVT can not proceed unless "
           "all images are in the same size (Width x Height). Please remove the unmatched "
           "images!";
}

std::string noWorldFilesMessage(const std::string& folder) {
    return "This folder '" + folder +
           "' does not contain any reference 'world file', OVT will not proceced unless all "
           "images have their associated reference 'world file'";
}

std::string someWorldFilesMissingMessage(const std::string& folder, int missing) {
    return "This folder '" + folder + "' contains " + std::to_string(missing) +
           " image(s) with no reference 'world file', OVT will not process these files. Do you "
           "want to continue?";
}

std::string noTileSizeMessage(const std::string& folder) {
    return "This folder '" + folder +
           "' does not contain images of acceptable tile sizes. The images must be 4096x4096 "
           "or 2048x2048 , 1024x1024 to be sliced!";
}

float getdirinfo(AppState& app, const std::string& folder) {
    const std::vector<std::string> images = listFiles(folder, kImagePattern);
    if (images.empty())
        return 0;
    ScanCounts counts;
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (!scanImage(app, folder, images[i], i == 0, counts))
            return 0;
    }
    app.settings.imagename.clear();
    Host& host = app.host();
    float result = 1;
    if (counts.mismatched != 0) {
        host.messageBox(differentSizesMessage(folder), kAppTitle);
        result = 0;
    }
    if (counts.referenced == 0 && counts.missing != 0) {
        host.messageBox(noWorldFilesMessage(folder), kAppTitle);
        result = 0;
    } else if (counts.referenced != 0 && counts.missing != 0) {
        const bool yes = host.askYesNo(someWorldFilesMissingMessage(folder, counts.missing),
                                       kMissingWorldFilesTitle, MessageIcon::Exclamation);
        if (!yes)
            result = 0;
    }
    if (const std::optional<SizeClass> sizeClass = tileSizeClass(counts.width, counts.height)) {
        app.run.sizeClass = *sizeClass;
    } else {
        host.messageBox(noTileSizeMessage(folder), kAppTitle);
        result = 0;
    }
    return result;
}

}  // namespace orvanta
