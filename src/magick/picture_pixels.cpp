#include "magick/picture_pixels.h"

#include <wand/MagickWand.h>

#include <algorithm>
#include <memory>

#include "magick/commands.h"
#include "platform/run_error.h"
#include "platform/scratch_files.h"

namespace orvanta {
namespace {

struct WandDeleter {
    void operator()(MagickWand* wand) const { DestroyMagickWand(wand); }
    void operator()(PixelWand* wand) const { DestroyPixelWand(wand); }
};
using WandPtr = std::unique_ptr<MagickWand, WandDeleter>;
using PixelWandPtr = std::unique_ptr<PixelWand, WandDeleter>;

[[noreturn]] void fail(MagickWand* wand, const std::string& what) {
    ExceptionType severity = UndefinedException;
    char* reason = MagickGetException(wand, &severity);
    std::string text = reason && *reason ? std::string(reason) : what;
    if (reason)
        MagickRelinquishMemory(reason);
    throw RunError(errors::ImageTool, text);
}

PixelWandPtr colourWand(std::uint32_t colour) {
    PixelWandPtr pixel(NewPixelWand());
    const std::string text = "rgb(" + std::to_string(colour & 0xFF) + "," +
                             std::to_string((colour >> 8) & 0xFF) + "," +
                             std::to_string((colour >> 16) & 0xFF) + ")";
    PixelSetColor(pixel.get(), text.c_str());
    return pixel;
}

// The first frame of the file, in sRGB. A wanted size (width and height above 0) lets JPEG
// decoding skip detail that size does not need.
WandPtr readFirstFrame(const std::string& path, int width, int height) {
    WandPtr file(NewMagickWand());
    if (width > 0 && height > 0) {
        const std::string hint = std::to_string(width) + "x" + std::to_string(height);
        MagickSetOption(file.get(), "jpeg:size", hint.c_str());
    }
    // "[0]" keeps the library from decoding every frame of an animation or a multi-page file.
    // A truncated or damaged file only warns; its missing rows would become flat grey.
    if (MagickReadImage(file.get(), (path + "[0]").c_str()) == MagickFalse ||
        MagickGetExceptionType(file.get()) == CorruptImageWarning) {
        fail(file.get(), path);
    }
    MagickSetFirstIterator(file.get());
    WandPtr frame(MagickGetImage(file.get()));
    if (!frame)
        fail(file.get(), path);
    MagickTransformImageColorspace(frame.get(), sRGBColorspace);
    return frame;
}

}  // namespace

std::string magickWriterFor(const std::string& extension) {
    startMagick();
    if (extension.empty() || extension.size() > 32)
        return {};
    ImageInfo* info = AcquireImageInfo();
    ExceptionInfo* exception = AcquireExceptionInfo();
    // The library's own rule for a file name: the format it would write "x.EXTENSION" in. The
    // name lies below a file, so no file of that name can be found and looked into.
    const std::string name = "/dev/null/x." + extension;
    CopyMagickString(info->filename, name.c_str(), MaxTextExtent);
    SetImageInfo(info, 0, exception);
    const MagickInfo* format = GetMagickInfo(info->magick, exception);
    std::string writer;
    if (format && GetImageEncoder(format) != nullptr)
        writer = format->name;
    DestroyExceptionInfo(exception);
    DestroyImageInfo(info);
    return writer;
}

PixelRows readPixelRows(const std::string& path, int width, int height, std::uint32_t background) {
    startMagick();
    WandPtr frame = readFirstFrame(path, width, height);
    PixelRows pixels;
    const bool ownSize = width <= 0 || height <= 0;
    pixels.width = ownSize ? static_cast<int>(MagickGetImageWidth(frame.get())) : width;
    pixels.height = ownSize ? static_cast<int>(MagickGetImageHeight(frame.get())) : height;
    if (!ownSize && MagickResizeImage(frame.get(), pixels.width, pixels.height, CatromFilter,
                                      1.0) == MagickFalse) {
        fail(frame.get(), path);
    }
    WandPtr canvas(NewMagickWand());
    PixelWandPtr fill = colourWand(background);
    if (MagickNewImage(canvas.get(), pixels.width, pixels.height, fill.get()) == MagickFalse ||
        MagickCompositeImage(canvas.get(), frame.get(), OverCompositeOp, 0, 0) == MagickFalse) {
        fail(canvas.get(), path);
    }
    pixels.bgr.resize(3 * static_cast<std::size_t>(pixels.width) * pixels.height);
    if (MagickExportImagePixels(canvas.get(), 0, 0, pixels.width, pixels.height, "BGR", CharPixel,
                                pixels.bgr.data()) == MagickFalse) {
        fail(canvas.get(), path);
    }
    return pixels;
}

void writePixelRows(const PixelRows& pixels, const std::string& path, const std::string& format,
                    std::optional<int> quality) {
    startMagick();
    WandPtr image(NewMagickWand());
    if (MagickConstituteImage(image.get(), pixels.width, pixels.height, "BGR", CharPixel,
                              pixels.bgr.data()) == MagickFalse) {
        fail(image.get(), path);
    }
    MagickSetImageDepth(image.get(), 8);
    if (quality)
        MagickSetImageCompressionQuality(image.get(), std::clamp(*quality, 1, 100));
    // The format named wins over whatever the extension suggests. The bytes go through a file
    // made for them under a scratch name, renamed when complete.
    std::size_t length = 0;
    unsigned char* blob = MagickSetImageFormat(image.get(), format.c_str()) == MagickFalse
                              ? nullptr
                              : MagickGetImageBlob(image.get(), &length);
    if (!blob)
        fail(image.get(), path);
    const std::string bytes(reinterpret_cast<const char*>(blob), length);
    MagickRelinquishMemory(blob);
    ScratchFile file(path);
    file.write(bytes);
    file.commit();
}

}  // namespace orvanta
