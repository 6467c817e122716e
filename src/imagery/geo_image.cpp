#include "imagery/geo_image.h"

#include "platform/file_lookup.h"
#include "platform/os_services.h"

namespace orvanta {

std::optional<GeoBounds> blockBounds(const WorldFile& world, double width, double height) {
    const std::optional<double> a = WorldFile::number(world.A);
    const std::optional<double> e = WorldFile::number(world.E);
    const std::optional<double> c = WorldFile::number(world.C);
    const std::optional<double> f = WorldFile::number(world.F);
    if (!a || !e || !c || !f)
        return std::nullopt;
    return GeoBounds{*f, *f + height * *e, *c + width * *a, *c};
}

std::string findWorldFile(const std::string& folder, const std::string& baseName,
                          const std::string& imageExtension) {
    const std::string extension = getworldfile(imageExtension);
    if (extension.empty())
        return {};
    return findFileLoosely(folder + kPathSeparator + baseName + "." + extension);
}

std::string imageWithoutWorldFileMessage(const std::string& imageName,
                                         const std::string& worldExtension,
                                         const std::string& imageFolder) {
    return "There are no reference 'world file' associated with this image. OVT cannot process "
           "unreferenced images. A World file named: '" +
           imageName + "." + worldExtension + "' has to exists in the folder '" + imageFolder +
           kPathSeparator + "'";
}

}  // namespace orvanta
