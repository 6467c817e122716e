#include "imagery/image_header.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/paths.h"
#include "imagery/header_readers.h"
#include "imagery/world_file.h"
#include "magick/commands.h"

namespace orvanta {
namespace {

void clearLabels(AppState& app) {
    app.settings.Label1.clear();
    app.settings.Label2.clear();
    app.settings.Label3.clear();
    app.settings.Label4.clear();
    app.Label5.clear();
}

// The leading decimal number of a label; 0 when it starts with none.
std::uint32_t labelNumber(const std::string& text) {
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    return value > UINT32_MAX ? 0 : static_cast<std::uint32_t>(value);
}

// Shows the "width,height,depth" text of identify for a GIF, whose stored size then follows
// the labels. False when identify could not read the file.
bool showGifLabels(AppState& app, const std::string& path) {
    std::string text;
    try {
        // The first frame only: identify lists every frame of an animation.
        text = runIdentify({"identify", "-format", "%w,%h,%q", path + "[0]"});
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
    app.settings.Label1 = text.substr(0, p1);
    app.settings.Label2 = text.substr(p1 + 1, p2 - p1 - 1);
    app.settings.Label3 = depth;
    app.settings.Label4.clear();
    app.Label5.clear();
    app.imageHeader.width = labelNumber(app.settings.Label1);
    app.imageHeader.height = labelNumber(app.settings.Label2);
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

std::optional<SizeClass> tileSizeClass(std::uint32_t width, std::uint32_t height) {
    if (width != height)
        return std::nullopt;
    for (SizeClass sizeClass : {SizeClass::S4096, SizeClass::S2048, SizeClass::S1024}) {
        if (width == static_cast<std::uint32_t>(edgePixels(sizeClass)))
            return sizeClass;
    }
    return std::nullopt;
}

void showHeaderLabels(AppState& app) {
    const ImageHeaderInfo& info = app.imageHeader;
    app.settings.Label1 = std::to_string(info.width);
    app.settings.Label2 = std::to_string(info.height);
    app.settings.Label3 = std::to_string(info.bitDepth);
    app.settings.Label4 = std::to_string(info.resolution);
    app.Label5 = info.greyscale ? "True" : "False";
}

bool Loadf(AppState& app, const std::string& path) {
    app.imageHeader = {};
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        clearLabels(app);
        return false;
    }
    const bool gif = lowerCase(GetFileExtension(path)) == "gif";
    const bool gifShown = gif && showGifLabels(app, path);
    bool recognised = false;
    try {
        recognised = readBinaryHeader(path, app.imageHeader);
    } catch (const std::exception&) {
        // A failing read leaves the fields read so far.
    }
    if (recognised)
        showHeaderLabels(app);
    if (app.imageHeader.width != 0 && app.imageHeader.height != 0)
        return true;
    if (const std::optional<PixelSize> size = pingImageSize(path)) {
        app.imageHeader.width = size->width;
        app.imageHeader.height = size->height;
        if (!gifShown)
            showHeaderLabels(app);
        return true;
    }
    if (!recognised && !gifShown)
        clearLabels(app);
    return recognised;
}

float GetImageInfo(AppState& app, const std::string& path) {
    Loadf(app, path);
    const std::uint32_t w = labelNumber(app.settings.Label1);
    const std::uint32_t h = labelNumber(app.settings.Label2);
    if (const std::optional<SizeClass> sizeClass = tileSizeClass(w, h)) {
        app.run.sizeClass = *sizeClass;
    } else if (!app.run.LargeImageMode) {
        app.host().messageBox(kNotTileSizeMessage, kAppTitle);
        return 1;
    } else {
        app.run.sizeClass = SizeClass::None;
    }
    return 0;
}

}  // namespace orvanta
