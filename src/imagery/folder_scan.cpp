#include "imagery/folder_scan.h"

#include <map>

#include "imagery/geo_image.h"
#include "imagery/geotiff.h"
#include "imagery/image_header.h"
#include "imagery/world_file.h"
#include "platform/file_list.h"
#include "platform/os_services.h"
#include "platform/path_names.h"
#include "platform/text_case.h"

namespace orvanta {
namespace {

struct ScanCounts {
    int referenced = 0;
    std::vector<std::string> missing;  // images without a world file
    int mismatched = 0;
    std::uint32_t width = 0;  // reference size: the first image's
    std::uint32_t height = 0;
};

// Steps of one image; false when its world file cannot place it and the scan must end.
bool scanImage(Host& host, const std::string& folder, const std::string& madeWorldFiles,
               const std::string& name, bool first, ScanCounts& counts, FolderScan& scan) {
    const std::string image = folder + kPathSeparator + name;
    scan.lastFacts = readImageFacts(image);
    const std::string baseName = baseNameOf(name);
    const std::string imageExtension = GetFileExtension(name);
    const std::string made = madeWorldFiles.empty() ? folder : madeWorldFiles;
    const auto worldFile = [&] {
        const std::string beside = findWorldFile(folder, baseName, imageExtension);
        return beside.empty() ? findWorldFile(made, baseName, imageExtension) : beside;
    };
    const std::string found = worldFile();
    if (!found.empty()) {
        ++counts.referenced;
        const ImageHeaderInfo& header = scan.lastFacts.header;
        if (const std::string refusal =
                worldFileRefusal(found, header.width, header.height, kFolderNotWgs84Message);
            !refusal.empty()) {
            host.messageBox(refusal, kAppTitle);
            return false;
        }
    } else if (getworldfile(imageExtension) == "tfw") {
        convertGeoTiffInto(host, image, made + kPathSeparator + baseName + ".tfw");
        // A world file written now is neither counted nor tested.
        if (worldFile().empty())
            counts.missing.push_back(name);
    } else {
        counts.missing.push_back(name);
    }
    const ImageHeaderInfo& info = scan.lastFacts.header;
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

std::string sameStemMessage(const std::string& first, const std::string& second) {
    return "The images '" + first + "' and '" + second +
           "' would write the same tiles. Please rename one of them.";
}

FolderScan scanFolder(Host& host, const std::string& folder, const std::string& madeWorldFiles) {
    FolderScan scan;
    const std::vector<std::string> images = listFiles(folder, kImagePattern);
    if (images.empty())
        return scan;
    scan.scannedImages = true;
    std::map<std::string, std::string> byStem;
    for (const std::string& name : images) {
        const auto [taken, isNew] = byStem.try_emplace(lowerCase(baseNameOf(name)), name);
        if (!isNew) {
            host.messageBox(
                sameStemMessage(joinPath(folder, taken->second), joinPath(folder, name)),
                kAppTitle);
            return scan;
        }
    }
    ScanCounts counts;
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (!scanImage(host, folder, madeWorldFiles, images[i], i == 0, counts, scan))
            return scan;
    }
    const int missing = static_cast<int>(counts.missing.size());
    scan.usable = true;
    if (counts.mismatched != 0) {
        host.messageBox(differentSizesMessage(folder), kAppTitle);
        scan.usable = false;
    }
    if (counts.referenced == 0 && missing != 0) {
        host.messageBox(noWorldFilesMessage(folder), kAppTitle);
        scan.usable = false;
    } else if (counts.referenced != 0 && missing != 0) {
        if (host.askYesNo(someWorldFilesMissingMessage(folder, missing), kMissingWorldFilesTitle,
                          MessageIcon::Exclamation)) {
            scan.imagesLeftOut = counts.missing;
        } else {
            scan.usable = false;
        }
    }
    scan.sizeClass = tileSizeClass(counts.width, counts.height);
    if (!scan.sizeClass) {
        host.messageBox(noTileSizeMessage(folder), kAppTitle);
        scan.usable = false;
    }
    return scan;
}

}  // namespace orvanta
