#include "pixels/pixel_image.h"

#include <malloc.h>
#include <vips/vips8>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "pixels/picture_codecs.h"
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

// GIF and TIF go through the engine's own writers, to the descriptor of a file made for the
// purpose and never by a name; JPEG and PNG through picture_codecs.
void save(const VImage& image, int descriptor, PictureFormat format) {
    const vips::VTarget target = vips::VTarget::new_to_descriptor(descriptor);
    if (format == PictureFormat::Gif) {
        image.gifsave_target(target, VImage::option()->set("strip", true));
        return;
    }
    image.tiffsave_target(target, VImage::option()
                                      ->set("strip", true)
                                      ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE));
}

// Hands the pixels of the image to `take` in blocks of rows, computed on this thread (no pool
// of the engine's own for pictures this small) and never copied whole.
void forEachRows(const VImage& image, const std::function<void(const PixelRows&)>& take) {
    engineCall([&] {
        constexpr int kBlockRows = 64;
        const vips::VRegion region = vips::VRegion::new_from_image(image);
        for (int top = 0; top < image.height(); top += kBlockRows) {
            const int rows = std::min(kBlockRows, image.height() - top);
            region.prepare(0, top, image.width(), rows);
            VipsRegion* pixels = region.get_region();
            take({reinterpret_cast<const std::uint8_t*>(VIPS_REGION_ADDR(pixels, 0, top)),
                  image.width(), rows, image.bands(),
                  static_cast<std::size_t>(VIPS_REGION_LSKIP(pixels))});
        }
    });
}

}  // namespace

PixelImage::PixelImage(std::shared_ptr<const PixelData> data) : data_(std::move(data)) {}

void startPixels() {
    static std::once_flag started;
    std::call_once(started, [] {
        if (VIPS_INIT("orvanta") != 0)
            throw RunError(errors::ImageTool, "The pixel engine cannot start.");
        // Buffers of megabytes are made on one thread and freed on another; with a heap per
        // thread, those freed stay resident in heaps that rarely shrink. Two heaps keep the
        // peak near what is in use (measured: a third less on a large image, at no cost).
        mallopt(M_ARENA_MAX, 2);
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

PixelImage PixelImage::open(const std::string& path) {
    startPixels();
    return engineCall(
        [&] { return PixelImage(std::make_shared<PixelData>(PixelData{readInOrder(path)})); });
}

PixelImage PixelImage::filled(int width, int height, Rgb colour, bool alpha) {
    startPixels();
    return engineCall([&] {
        std::vector<double> value = channels(colour);
        if (alpha)
            value.push_back(255);
        const VImage black = VImage::black(width, height, VImage::option()->set("bands", 1));
        VImage picture = (black + value).cast(VIPS_FORMAT_UCHAR);
        picture = picture.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        return PixelImage(std::make_shared<PixelData>(PixelData{picture.copy_memory()}));
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

PixelImage PixelImage::inMemory() const {
    return engineCall([&] {
        return PixelImage(std::make_shared<PixelData>(PixelData{data_->image.copy_memory()}));
    });
}

PixelImage PixelImage::above(const PixelImage& lower) const {
    return engineCall([&] {
        return PixelImage(std::make_shared<PixelData>(PixelData{
            data_->image.join(lower.data_->image, VIPS_DIRECTION_VERTICAL).copy_memory()}));
    });
}

std::vector<std::uint8_t> PixelImage::bytes() const {
    std::vector<std::uint8_t> pixels;
    forEachRows(data_->image, [&](const PixelRows& rows) {
        const std::size_t bytes = static_cast<std::size_t>(rows.width) * rows.channels;
        if (pixels.empty())
            pixels.reserve(bytes * height());
        for (int y = 0; y < rows.rows; ++y)
            pixels.insert(pixels.end(), rows.data + rows.stride * y,
                          rows.data + rows.stride * y + bytes);
    });
    return pixels;
}

void PixelImage::appendTo(PictureStream& stream) const {
    forEachRows(data_->image, [&](const PixelRows& rows) { stream.append(rows); });
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
    // In whole numbers, pixel by pixel: several times quicker than the engine's chain of
    // floating-point operations, with the same result.
    const std::vector<std::uint8_t> in = bytes();
    const int channels = hasAlpha() ? 4 : 3;
    const std::size_t pixels = in.size() / channels;
    auto* out = static_cast<std::uint8_t*>(g_malloc(pixels * 4));  // the new image's own
    const double limit = tolerance * tolerance;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* p = &in[i * channels];
        std::uint8_t* q = &out[i * 4];
        const int r = p[0] - colour.red, g = p[1] - colour.green, b = p[2] - colour.blue;
        const bool clear = r * r + g * g + b * b <= limit;
        q[0] = p[0];
        q[1] = p[1];
        q[2] = p[2];
        q[3] = clear ? 0 : (channels == 4 ? p[3] : 255);
    }
    return engineCall([&] {
        const VImage image =
            VImage::new_from_memory_steal(out, pixels * 4, width(), height(), 4, VIPS_FORMAT_UCHAR);
        return PixelImage(std::make_shared<PixelData>(PixelData{
            image.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))}));
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
    if (format == PictureFormat::Jpg || format == PictureFormat::Png) {
        // A JPEG holds no alpha: what is transparent shows the background, at every level.
        const PixelImage picture =
            format == PictureFormat::Jpg && hasAlpha() ? flattened(kFlattenBackground) : *this;
        const std::vector<std::uint8_t> pixels = picture.bytes();
        const PixelRows rows{pixels.data(), picture.width(), picture.height(),
                             picture.hasAlpha() ? 4 : 3};
        const std::vector<std::uint8_t> encoded =
            format == PictureFormat::Jpg ? encodeJpeg(rows, quality) : encodePng(rows);
        file.write({reinterpret_cast<const char*>(encoded.data()), encoded.size()});
    } else {
        engineCall([&] { save(data_->image, file.descriptor(), format); });
    }
    file.commit();
}

}  // namespace orvanta
