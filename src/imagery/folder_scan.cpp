#include "imagery/folder_scan.h"

#include <algorithm>
#include <map>

#include "imagery/geo_image.h"
#include "imagery/georeference.h"
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
    std::uint32_t width = 0;           // reference size: the first image's
    std::uint32_t height = 0;
    std::vector<ImagesOfOneSize> sizes;  // the images that could be read, by size
    std::vector<std::string> unreadable;
};

// "a.png, b.png and 3 more": at most five names.
std::string someNames(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 5;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i)
        text += (i == 0 ? "" : ", ") + names[i];
    if (names.size() > kShown)
        text += " and " + std::to_string(names.size() - kShown) + " more";
    return text;
}

std::string sizeText(std::uint32_t width, std::uint32_t height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// Files the image under its size, or as unreadable when it has none.
void noteSize(ScanCounts& counts, const std::string& name, const ImageHeaderInfo& info) {
    if (info.width == 0 || info.height == 0) {
        counts.unreadable.push_back(name);
        return;
    }
    const auto same = std::find_if(counts.sizes.begin(), counts.sizes.end(), [&](const auto& s) {
        return s.width == info.width && s.height == info.height;
    });
    if (same == counts.sizes.end())
        counts.sizes.push_back({info.width, info.height, {name}});
    else
        same->names.push_back(name);
}

// Steps of one image; false when its world file cannot place it and the scan must end.
bool scanImage(Host& host, const std::string& folder, const std::string& madeWorldFiles,
               bool makeWorldFiles, const std::string& name, bool first, ScanCounts& counts,
               FolderScan& scan) {
    const std::string image = folder + kPathSeparator + name;
    scan.lastFacts = readImageFacts(image);
    const std::string baseName = baseNameOf(name);
    const std::string imageExtension = GetFileExtension(name);
    const std::string made = madeWorldFiles.empty() ? folder : madeWorldFiles;
    const auto worldFile = [&] {
        const std::string beside = findWorldFile(folder, baseName, imageExtension);
        return beside.empty() ? findWorldFile(made, baseName, imageExtension) : beside;
    };
    const auto listingWrote = [&] {
        convertGeoTiffInto(host, image, made + kPathSeparator + baseName + ".tfw");
        return !worldFile().empty();
    };
    const std::string found = worldFile();
    // A world file the listing program writes now is neither counted nor tested.
    const bool written =
        found.empty() && makeWorldFiles && getworldfile(imageExtension) == "tfw" && listingWrote();
    // Without one, the georeference the image holds itself, read in memory.
    const std::optional<WorldFile> own =
        found.empty() && !written ? embeddedWorldFile(image) : std::nullopt;
    if (!found.empty() || own) {
        ++counts.referenced;
        const ImageHeaderInfo& header = scan.lastFacts.header;
        if (const std::string refusal =
                own ? georeferenceRefusal(image, *own, header.width, header.height,
                                          kFolderNotWgs84Message)
                    : worldFileRefusal(found, header.width, header.height, kFolderNotWgs84Message);
            !refusal.empty()) {
            host.messageBox(refusal, kAppTitle);
            return false;
        }
    } else if (!written) {
        counts.missing.push_back(name);
    }
    const ImageHeaderInfo& info = scan.lastFacts.header;
    if (first) {
        counts.width = info.width;
        counts.height = info.height;
    }
    noteSize(counts, name, info);
    return true;
}

}  // namespace

std::string differentSizesMessage(const std::string& folder,
                                  const std::vector<ImagesOfOneSize>& sizes) {
    std::string found;
    for (const ImagesOfOneSize& size : sizes) {
        found += std::string(found.empty() ? "" : "; ") + sizeText(size.width, size.height) + ": " +
                 someNames(size.names);
    }
    return "This folder '" + folder +
           "' contains images of different sizes (Width x Height), OVT can not proceed unless "
           "all images are in the same size (Width x Height). Please remove the unmatched "
           "images! Sizes found: " +
           found + ".";
}

std::string unreadableImagesMessage(const std::string& folder,
                                    const std::vector<std::string>& names) {
    return "This folder '" + folder + "' contains " + std::to_string(names.size()) +
           " image(s) that cannot be read (damaged, empty or not an image): " + someNames(names) +
           ". Please replace or remove them.";
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

std::string noTileSizeMessage(const std::string& folder, std::uint32_t width,
                              std::uint32_t height) {
    return "This folder '" + folder +
           "' does not contain images of acceptable tile sizes. The images must be 4096x4096 "
           "or 2048x2048 , 1024x1024 to be sliced! Its images are " +
           sizeText(width, height) + ".";
}

std::string sameStemMessage(const std::string& first, const std::string& second) {
    return "The images '" + first + "' and '" + second +
           "' would write the same tiles. Please rename one of them.";
}

FolderScan scanFolder(Host& host, const std::string& folder, const std::string& madeWorldFiles,
                      bool makeWorldFiles) {
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
        if (!scanImage(host, folder, madeWorldFiles, makeWorldFiles, images[i], i == 0, counts,
                       scan))
            return scan;
    }
    const int missing = static_cast<int>(counts.missing.size());
    scan.sizeClass = tileSizeClass(counts.width, counts.height);
    // One message for a refused folder: the first reason found.
    std::string refusal;
    if (!counts.unreadable.empty())
        refusal = unreadableImagesMessage(folder, counts.unreadable);
    else if (counts.sizes.size() > 1)
        refusal = differentSizesMessage(folder, counts.sizes);
    else if (counts.referenced == 0 && missing != 0)
        refusal = noWorldFilesMessage(folder);
    else if (!scan.sizeClass)
        refusal = noTileSizeMessage(folder, counts.width, counts.height);
    if (!refusal.empty()) {
        host.messageBox(refusal, kAppTitle);
        return scan;
    }
    scan.usable = true;
    if (missing != 0) {
        if (host.askYesNo(someWorldFilesMissingMessage(folder, missing), kMissingWorldFilesTitle,
                          MessageIcon::Exclamation)) {
            scan.imagesLeftOut = counts.missing;
        } else {
            scan.usable = false;
        }
    }
    return scan;
}

}  // namespace orvanta
