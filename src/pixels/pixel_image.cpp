#include "pixels/pixel_image.h"

#include <vips/vips8>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/run_error.h"
#include "platform/scratch_files.h"

namespace orvanta {

struct PixelData {
    vips::VImage image;
};

namespace {

using vips::VImage;

// Runs one engine operation; its errors throw as failures of the image tool.
template <typename Operation>
auto engineCall(Operation operation) {
    try {
        return operation();
    } catch (const vips::VError& error) {
        vips_error_clear();
        throw RunError(errors::ImageTool, error.what());
    }
}

std::vector<double> channels(Rgb colour) {
    return {static_cast<double>(colour.red), static_cast<double>(colour.green),
            static_cast<double>(colour.blue)};
}

// Any source as 8-bit sRGB, with its alpha when it has one. CMYK goes through the plain
// conversion (each of red, green, blue is what its ink and the black leave of white) that the
// other engine uses, not through a colour profile, so that both give the same tiles. The pixels
// stay in the order the source stores them and lose its orientation, which a writer would copy
// onto the tiles and viewers would then turn them by.
VImage asRgb(const VImage& in) {
    VImage rgb;
    if (in.interpretation() == VIPS_INTERPRETATION_CMYK && in.bands() >= 4) {
        const VImage cmyk =
            in.cast(VIPS_FORMAT_FLOAT) / (in.format() == VIPS_FORMAT_USHORT ? 257 : 1);
        const VImage ink = cmyk.extract_band(0, VImage::option()->set("n", 3));
        rgb = ((255 - ink) * (255 - cmyk.extract_band(3)) / 255 + 0.5).cast(VIPS_FORMAT_UCHAR);
        if (in.bands() > 4)
            rgb = rgb.bandjoin(cmyk.extract_band(4).cast(VIPS_FORMAT_UCHAR));
        rgb = rgb.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    } else {
        rgb = in.colourspace(VIPS_INTERPRETATION_sRGB);
    }
    if (rgb.format() != VIPS_FORMAT_UCHAR)
        rgb = rgb.cast(VIPS_FORMAT_UCHAR);
    if (rgb.bands() > 4)
        rgb = rgb.extract_band(0, VImage::option()->set("n", 4));
    rgb = rgb.copy();
    rgb.remove(VIPS_META_ORIENTATION);
    return rgb;
}

// An image file as RGB, read once from top to bottom: whatever keeps its pixels receives them
// straight from the decoder, with no whole-image buffer of the reader's own in between. A
// truncated or corrupt file fails, and so does one the decoder only warns about (data that
// ends early, then a marker): its missing part would come out as a flat grey.
VImage readInOrder(const std::string& path) {
    return asRgb(VImage::new_from_file(path.c_str(), VImage::option()
                                                         ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                                         ->set("fail_on", VIPS_FAIL_ON_WARNING)));
}

VImage flattenedOn(const VImage& image, Rgb background) {
    if (!image.has_alpha())
        return image;
    return image.flatten(VImage::option()->set("background", channels(background)))
        .cast(VIPS_FORMAT_UCHAR);
}

// Writes through the descriptor of a file made for the purpose, never by a name.
void save(const VImage& image, int descriptor, PictureFormat format, int quality) {
    const vips::VTarget target = vips::VTarget::new_to_descriptor(descriptor);
    switch (format) {
        case PictureFormat::Jpg: {
            // A JPEG holds no alpha: what is transparent shows the background, at every level.
            flattenedOn(image, kFlattenBackground)
                .jpegsave_target(target, VImage::option()->set("Q", quality)->set("strip", true));
            break;
        }
        case PictureFormat::Png:
            // Fast zlib with every row filter: smaller and quicker than the default level alone.
            image.pngsave_target(target, VImage::option()
                                             ->set("strip", true)
                                             ->set("compression", 3)
                                             ->set("filter", VIPS_FOREIGN_PNG_FILTER_ALL));
            break;
        case PictureFormat::Gif:
            image.gifsave_target(target, VImage::option()->set("strip", true));
            break;
        case PictureFormat::Tif:
            image.tiffsave_target(target,
                                  VImage::option()
                                      ->set("strip", true)
                                      ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE));
            break;
    }
}

}  // namespace

PixelImage::PixelImage(std::shared_ptr<const PixelData> data) : data_(std::move(data)) {}

void startPixels() {
    static std::once_flag started;
    std::call_once(started, [] {
        if (VIPS_INIT("orvanta") != 0)
            throw RunError(errors::ImageTool, "The pixel engine cannot start.");
        vips_cache_set_max(0);
    });
}

std::uint64_t pixelsMemoryPeak() {
    return static_cast<std::uint64_t>(vips_tracked_get_mem_highwater());
}

std::string pixelsVersion() {
    return std::string("libvips ") + vips_version_string();
}

PixelImage PixelImage::decode(const std::string& path) {
    startPixels();
    return engineCall([&] {
        return PixelImage(std::make_shared<PixelData>(PixelData{readInOrder(path).copy_memory()}));
    });
}

void PixelImage::forEachBand(const std::string& path, int lines,
                             const std::function<void(const PixelImage& band, int top)>& each) {
    startPixels();
    engineCall([&] {
        const VImage rgb = readInOrder(path);
        for (int top = 0; top < rgb.height(); top += lines) {
            const int height = std::min(lines, rgb.height() - top);
            each(PixelImage(std::make_shared<PixelData>(
                     PixelData{rgb.crop(0, top, rgb.width(), height).copy_memory()})),
                 top);
        }
    });
}

int PixelImage::width() const {
    return data_->image.width();
}

int PixelImage::height() const {
    return data_->image.height();
}

bool PixelImage::hasAlpha() const {
    return data_->image.has_alpha();
}

PixelImage PixelImage::region(int x, int y, int width, int height) const {
    return engineCall([&] {
        return PixelImage(
            std::make_shared<PixelData>(PixelData{data_->image.crop(x, y, width, height)}));
    });
}

PixelImage PixelImage::reduced(int width, int height) const {
    return engineCall([&] {
        const VImage& in = data_->image;
        auto options = VImage::option()
                           ->set("vscale", static_cast<double>(height) / in.height())
                           ->set("kernel", VIPS_KERNEL_LANCZOS3);
        const double scale = static_cast<double>(width) / in.width();
        if (!in.has_alpha()) {
            return PixelImage(
                std::make_shared<PixelData>(PixelData{in.resize(scale, options).copy_memory()}));
        }
        // Colour alpha weighted (premultiplied, exact in 8 bits for clear-or-opaque alpha, so
        // the fast 8-bit resampler does the work). Alpha is the share of each pixel the image
        // covers (a box average): it has no ringing and softens only the pixel on the edge,
        // in a cascade of reductions as from full resolution.
        const VImage colour = in.premultiply()
                                  .cast(VIPS_FORMAT_UCHAR)
                                  .resize(scale, options)
                                  .unpremultiply()
                                  .cast(VIPS_FORMAT_UCHAR)
                                  .extract_band(0, VImage::option()->set("n", 3));
        const VImage cover = in.extract_band(3).shrink(static_cast<double>(in.width()) / width,
                                                       static_cast<double>(in.height()) / height);
        return PixelImage(std::make_shared<PixelData>(
            PixelData{colour.bandjoin(cover.cast(VIPS_FORMAT_UCHAR)).copy_memory()}));
    });
}

PixelImage PixelImage::withTransparent(Rgb colour, double tolerance) const {
    return engineCall([&] {
        const VImage& in = data_->image;
        const VImage rgb = in.extract_band(0, VImage::option()->set("n", 3));
        const VImage difference = rgb.cast(VIPS_FORMAT_FLOAT) - channels(colour);
        const VImage distanceSquared = (difference * difference).bandmean() * 3.0;
        VImage alpha = distanceSquared > tolerance * tolerance;
        if (in.has_alpha())
            alpha = alpha & in.extract_band(3);
        return PixelImage(
            std::make_shared<PixelData>(PixelData{rgb.bandjoin(alpha).copy_memory()}));
    });
}

PixelImage PixelImage::flattened(Rgb background) const {
    return engineCall([&] {
        return PixelImage(
            std::make_shared<PixelData>(PixelData{flattenedOn(data_->image, background)}));
    });
}

PixelImage PixelImage::padded(int width, int height, Rgb colour) const {
    return engineCall([&] {
        const VImage& in = data_->image;
        std::vector<double> background = channels(colour);
        if (in.has_alpha())
            background.push_back(255);
        return PixelImage(std::make_shared<PixelData>(
            PixelData{in.embed(0, 0, width, height,
                               VImage::option()
                                   ->set("extend", VIPS_EXTEND_BACKGROUND)
                                   ->set("background", background))}));
    });
}

void PixelImage::write(const std::string& path, PictureFormat format, int quality) const {
    ScratchFile file(path);
    engineCall([&] { save(data_->image, file.descriptor(), format, quality); });
    file.commit();
}

}  // namespace orvanta
