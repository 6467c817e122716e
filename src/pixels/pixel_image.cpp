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

// Any source as 8-bit sRGB, with its alpha when it has one. The pixels stay in the order the
// source stores them and lose its orientation, which a writer would copy onto the tiles and
// viewers would then turn them by.
VImage asRgb(const VImage& in) {
    VImage rgb = in.colourspace(VIPS_INTERPRETATION_sRGB);
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
// truncated or corrupt file fails.
VImage readInOrder(const std::string& path) {
    return asRgb(VImage::new_from_file(path.c_str(), VImage::option()
                                                         ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                                         ->set("fail_on", VIPS_FAIL_ON_ERROR)));
}

// The engine's callbacks of an image made on demand: each thread that computes its pixels
// starts a filler of its own, fills regions with it and stops it.
void* startFiller(VipsImage*, void* factory, void*) {
    try {
        return (*static_cast<PixelFillerFactory*>(factory))().release();
    } catch (const std::exception& error) {
        vips_error("orvanta", "%s", error.what());
        return nullptr;
    }
}

int fillRegion(VipsRegion* region, void* filler, void*, void*, gboolean*) {
    const VipsRect& r = region->valid;
    try {
        static_cast<PixelFiller*>(filler)->fill(
            r.left, r.top, r.width, r.height,
            reinterpret_cast<std::uint8_t*>(VIPS_REGION_ADDR(region, r.left, r.top)),
            VIPS_REGION_LSKIP(region));
        return 0;
    } catch (const std::exception& error) {
        vips_error("orvanta", "%s", error.what());
        return -1;
    }
}

int stopFiller(void* filler, void*, void*) {
    delete static_cast<PixelFiller*>(filler);
    return 0;
}

void save(const VImage& image, const std::string& path, PictureFormat format, int quality) {
    const char* file = path.c_str();
    switch (format) {
        case PictureFormat::Jpg: {
            const VImage rgb =
                image.has_alpha() ? image.extract_band(0, VImage::option()->set("n", 3)) : image;
            rgb.jpegsave(file, VImage::option()->set("Q", quality)->set("strip", true));
            break;
        }
        case PictureFormat::Png:
            // Fast zlib with every row filter: smaller and quicker than the default level alone.
            image.pngsave(file, VImage::option()
                                    ->set("strip", true)
                                    ->set("compression", 3)
                                    ->set("filter", VIPS_FOREIGN_PNG_FILTER_ALL));
            break;
        case PictureFormat::Gif:
            image.gifsave(file, VImage::option()->set("strip", true));
            break;
        case PictureFormat::Tif:
            image.tiffsave(file, VImage::option()
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
    forEachBand(open(path), lines, each);
}

void PixelImage::forEachBand(const PixelImage& image, int lines,
                             const std::function<void(const PixelImage& band, int top)>& each) {
    engineCall([&] {
        const VImage& rgb = image.data_->image;
        for (int top = 0; top < rgb.height(); top += lines) {
            const int height = std::min(lines, rgb.height() - top);
            each(PixelImage(std::make_shared<PixelData>(
                     PixelData{rgb.crop(0, top, rgb.width(), height).copy_memory()})),
                 top);
        }
    });
}

PixelImage PixelImage::open(const std::string& path) {
    startPixels();
    return engineCall(
        [&] { return PixelImage(std::make_shared<PixelData>(PixelData{readInOrder(path)})); });
}

PixelImage PixelImage::generated(int width, int height, int channels,
                                 PixelFillerFactory makeFiller) {
    startPixels();
    VipsImage* image = vips_image_new();
    vips_image_init_fields(image, width, height, channels, VIPS_FORMAT_UCHAR, VIPS_CODING_NONE,
                           VIPS_INTERPRETATION_sRGB, 1.0, 1.0);
    // The image owns the factory: it goes when the image goes.
    auto* factory = new PixelFillerFactory(std::move(makeFiller));
    g_object_set_data_full(G_OBJECT(image), "orvanta-fillers", factory,
                           [](void* owned) { delete static_cast<PixelFillerFactory*>(owned); });
    // Small tiles: each asks its filler for a compact rectangle.
    if (vips_image_pipelinev(image, VIPS_DEMAND_STYLE_SMALLTILE, nullptr) != 0 ||
        vips_image_generate(image, startFiller, fillRegion, stopFiller, factory, nullptr) != 0) {
        g_object_unref(image);
        throw RunError(errors::ImageTool, "The pixel engine cannot make an image on demand.");
    }
    return PixelImage(std::make_shared<PixelData>(PixelData{VImage(image, vips::STEAL)}));
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
    const std::string scratch = scratchPathFor(path);
    try {
        engineCall([&] { save(data_->image, scratch, format, quality); });
    } catch (...) {
        discardScratch(scratch);
        throw;
    }
    commitScratch(scratch, path);
}

}  // namespace orvanta
