#include "imagery/geo_image.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "imagery/number_text.h"
#include "platform/file_lookup.h"
#include "platform/os_services.h"
#include "platform/path_names.h"
#include "platform/run_error.h"

namespace orvanta {

std::optional<GeoBounds> blockBounds(const WorldFile& world, double width, double height) {
    const std::optional<Placement> p = placementOf(world);
    if (!p)
        return std::nullopt;
    return GeoBounds{p->f, p->f + height * p->e, p->c + width * p->a, p->c};
}

namespace {

// Why a file that exists cannot be read, in the words of the system.
std::string unreadableReason(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::strerror(errno);
    char byte = 0;
    errno = 0;
    const bool read = std::fread(&byte, 1, 1, file) == 1 || std::feof(file) != 0;
    const int cause = errno;
    std::fclose(file);
    return read || cause == 0 ? "reading it failed" : std::strerror(cause);
}

}  // namespace

std::string worldFileRefusal(const std::string& path, std::uint32_t width, std::uint32_t height,
                             const std::string& partMessage, const std::string& unreadableMessage) {
    WorldFile world;
    try {
        world = readWorldFile(path);
    } catch (const RunError&) {
        const std::string reason = unreadableReason(path);
        return (unreadableMessage.empty() ? "" : unreadableMessage + " ") + "The world file '" +
               path + "' cannot be read: " + reason + ".";
    }
    return georeferenceRefusal(path, world, width, height, partMessage);
}

std::string georeferenceRefusal(const std::string& path, const WorldFile& world,
                                std::uint32_t width, std::uint32_t height,
                                const std::string& partMessage) {
    const std::string detail = worldFileDetail(path, world, width, height);
    return detail.empty() ? std::string() : partMessage + " " + detail;
}

std::string findWorldFile(const std::string& folder, const std::string& baseName,
                          const std::string& imageExtension) {
    for (const std::string& name : worldFileNames(baseName, imageExtension)) {
        if (std::string found = findFileLoosely(folder + kPathSeparator + name); !found.empty())
            return found;
    }
    return {};
}

std::string worldFileNamesTried(const std::string& imagePath) {
    const std::vector<std::string> names =
        worldFileNames(baseNameOf(imagePath), GetFileExtension(imagePath));
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        list += (i == 0 ? "'" : i + 1 == names.size() ? " and '" : ", '") + names[i] + "'";
    }
    return "No world file was found beside the image '" + imagePath + "': looked for " + list + ".";
}

std::string unreferencedImageText(const std::string& imagePath) {
    return "There are no reference 'world file' associated with this image. OVT cannot process "
           "unreferenced images. A World file named: '" +
           baseNameOf(imagePath) + "." + getworldfile(GetFileExtension(imagePath)) +
           "' has to exists in the folder '" + folderOf(imagePath) + kPathSeparator + "'";
}

std::string imageWithoutWorldFileMessage(const std::string& imagePath) {
    return unreferencedImageText(imagePath) + " " + worldFileNamesTried(imagePath);
}

}  // namespace orvanta
