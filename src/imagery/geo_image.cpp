#include "imagery/geo_image.h"

#include "imagery/number_text.h"
#include "platform/file_lookup.h"
#include "platform/os_services.h"
#include "platform/path_names.h"

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

std::string worldFileRefusal(const std::string& path, std::uint32_t width, std::uint32_t height,
                             const std::string& notWgs84Message) {
    return georeferenceRefusal(path, readWorldFile(path), width, height, notWgs84Message);
}

std::string georeferenceRefusal(const std::string& path, const WorldFile& world,
                                std::uint32_t width, std::uint32_t height,
                                const std::string& notWgs84Message) {
    if (std::string fault = worldFileFault(path, world, width, height); !fault.empty())
        return fault;
    if (isWgs84(world))
        return {};
    // Every line is a number here: worldFileFault found none that is not.
    // A georeference held in the image itself (the path is the image's) has no lines.
    const bool heldInImage = !getworldfile(GetFileExtension(path)).empty();
    return (heldInImage ? "The georeference held in '" : "Lines 5 and 6 of the world file '") +
           path + "' place the upper-left pixel at longitude " +
           FormatNumber(*WorldFile::number(world.C)) + ", latitude " +
           FormatNumber(*WorldFile::number(world.F)) + ", outside the globe. " + notWgs84Message +
           kReprojectHint;
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
