#include "imagery/image_header.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "imagery/header_readers.h"
#include "magick/commands.h"
#include "platform/path_names.h"
#include "platform/text_case.h"

namespace orvanta {
namespace {

// The leading decimal number of a text; 0 when it starts with none.
std::uint32_t textNumber(const std::string& text) {
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    return value > UINT32_MAX ? 0 : static_cast<std::uint32_t>(value);
}

void showHeader(ImageFacts& facts) {
    const ImageHeaderInfo& info = facts.header;
    facts.widthText = std::to_string(info.width);
    facts.heightText = std::to_string(info.height);
    facts.bitDepthText = std::to_string(info.bitDepth);
    facts.resolutionText = std::to_string(info.resolution);
    facts.greyscaleText = info.greyscale ? "True" : "False";
}

// Shows the "width,height,depth" text of identify for a GIF, whose size then follows the
// texts. False when identify could not read the file.
bool showGifFacts(ImageFacts& facts, const std::string& path) {
    std::string text;
    try {
        // The first frame only: identify lists every frame of an animation.
        text = runIdentify({"identify", "-format", "%w,%h,%q", commandFileName(path) + "[0]"});
    } catch (const std::exception&) {
        return false;
    }
    const std::size_t p1 = text.find(',');
    if (p1 == std::string::npos || p1 == 0)
        return false;
    const std::size_t p2 = text.find(',', p1 + 1);
    if (p2 == std::string::npos)
        return false;
    std::string depth = text.substr(p2 + 1, 3);
    depth.erase(depth.find_last_not_of(" \t\r\n") + 1);
    facts.widthText = text.substr(0, p1);
    facts.heightText = text.substr(p1 + 1, p2 - p1 - 1);
    facts.bitDepthText = depth;
    facts.header.width = textNumber(facts.widthText);
    facts.header.height = textNumber(facts.heightText);
    return true;
}

// Dispatches on the first two bytes to the binary readers; true when one recognised the file.
bool readBinaryHeader(const std::string& path, ImageHeaderInfo& info) {
    std::ifstream in(path, std::ios::binary);
    std::array<unsigned char, 2> b{};
    if (!in.read(reinterpret_cast<char*>(b.data()), 2))
        return false;
    bool recognised = false;
    if (b[0] == 73 && b[1] == 73)
        recognised = GetHeaderTIF(in, info);
    if (b[0] == 255 && b[1] == 216)
        recognised = GetHeaderJPG(in, info);
    if (b[0] == 137 && b[1] == 80)
        recognised = GetHeaderPNG(in, info);
    return recognised;
}

}  // namespace

ImageFacts readImageFacts(const std::string& path) {
    ImageFacts facts;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return facts;
    const bool gifShown = lowerCase(GetFileExtension(path)) == "gif" && showGifFacts(facts, path);
    bool recognised = false;
    try {
        recognised = readBinaryHeader(path, facts.header);
    } catch (const std::exception&) {
        // A failing read leaves the fields read so far.
    }
    if (recognised)
        showHeader(facts);
    if (facts.header.width != 0 && facts.header.height != 0) {
        facts.readable = true;
        return facts;
    }
    if (const std::optional<PixelSize> size = pingImageSize(path)) {
        facts.header.width = size->width;
        facts.header.height = size->height;
        if (!gifShown)
            showHeader(facts);
        facts.readable = true;
        return facts;
    }
    if (!recognised && !gifShown)
        return ImageFacts{};
    facts.readable = recognised;
    return facts;
}

std::string notTileSizeRefusal(const std::string& path, const ImageFacts& facts,
                               const std::string& largeImageCommand) {
    const ImageHeaderInfo& size = facts.header;
    if (size.width == 0 || size.height == 0) {
        return "The image '" + path +
               "' cannot be read: it is damaged, empty or not an image. Please open another one.";
    }
    return std::string(kNotTileSizeMessage) + " It is " + std::to_string(size.width) + "x" +
           std::to_string(size.height) + " pixels. An image of any other size is tiled with " +
           largeImageCommand + ", which cuts it into 4096 pieces first.";
}

std::optional<SizeClass> sizeClassOf(const ImageFacts& facts) {
    return tileSizeClass(textNumber(facts.widthText), textNumber(facts.heightText));
}

}  // namespace orvanta
