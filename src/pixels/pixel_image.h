#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/colour.h"
#include "platform/picture_format.h"

// The only interface to libvips: the pixel work of the default engine.
namespace orvanta {

struct PixelData;
class PictureStream;

// Computes the pixels of rectangles of an image made on demand. Each thread that computes
// pixels has its own, so it needs no lock.
class PixelFiller {
  public:
    virtual ~PixelFiller() = default;
    // Fills the rectangle at x, y: one byte a channel, `lineBytes` bytes a line.
    virtual void fill(int x, int y, int width, int height, std::uint8_t* pixels,
                      std::size_t lineBytes) = 0;
};
using PixelFillerFactory = std::function<std::unique_ptr<PixelFiller>()>;

// An image of 8-bit RGB (and alpha when it has one) that the engine holds in memory or
// computes on demand from one it holds. Copies share the pixels. Every failure of the engine
// throws RunError(errors::ImageTool, the engine's reason).
class PixelImage {
  public:
    // Decodes an image file whole into memory. A truncated or corrupt file fails; it never
    // gives an image of grey.
    static PixelImage decode(const std::string& path);
    // Opens an image file to be read once from top to bottom: its pixels are decoded as
    // regions of it are taken in that order (inMemory), and never held whole. Fails when the
    // file is no picture.
    static PixelImage open(const std::string& path);
    // A width x height picture of the colour, with an opaque alpha band when `alpha`.
    static PixelImage filled(int width, int height, Rgb colour, bool alpha);
    // Reads an image file once from top to bottom in bands of `lines` lines (the last may be
    // shorter), each decoded into memory and handed to `each` with the line it starts at. Only
    // one band is held at a time, so memory grows with the width, never the height.
    static void forEachBand(const std::string& path, int lines,
                            const std::function<void(const PixelImage& band, int top)>& each);
    // The same over an image opened already: an image file read in order (`open`) or one made
    // on demand (`generated`).
    static void forEachBand(const PixelImage& image, int lines,
                            const std::function<void(const PixelImage& band, int top)>& each);
    // An image of width x height pixels of `channels` 8-bit channels (3 for RGB, 4 for RGBA)
    // whose pixels `makeFiller`'s fillers compute when they are used, a rectangle at a time,
    // on the engine's threads. Nothing is kept: pixels used twice are computed twice. A filler
    // that throws fails whatever used its pixels.
    static PixelImage generated(int width, int height, int channels, PixelFillerFactory makeFiller);

    int width() const;
    int height() const;
    bool hasAlpha() const;

    // The pixels of the rectangle at x, y (a view; nothing is copied).
    PixelImage region(int x, int y, int width, int height) const;
    // The pixels computed now and held in memory; for an opened image, the next rows decoded.
    PixelImage inMemory() const;
    // This image with `lower` (of the same width and bands) laid below it, in memory.
    PixelImage above(const PixelImage& lower) const;
    // The pixels row by row, three bytes a pixel, or four with alpha.
    std::vector<std::uint8_t> bytes() const;
    // Hands the pixels to `stream` from the top down, a few rows at a time.
    void appendTo(PictureStream& stream) const;
    // Reduced to width x height with Lanczos 3 (alpha weighted), held in memory.
    PixelImage reduced(int width, int height) const;
    // With an alpha band that is clear where the colour lies within `tolerance` of `colour`
    // (the distance in red, green, blue of 0 to 255; 0 for exactly the colour) and keeps the
    // image's own alpha elsewhere.
    PixelImage withTransparent(Rgb colour, double tolerance) const;
    // Laid on the colour where it is transparent, without alpha; itself when it has none.
    PixelImage flattened(Rgb background) const;
    // Laid at the upper left of a width x height picture of the colour.
    PixelImage padded(int width, int height, Rgb colour) const;

    // Writes the image as `format` (JPEG at `quality`, flattened on kFlattenBackground) under a
    // scratch name beside `path` (see ScratchFile), renamed to `path` when complete; a failed
    // write leaves nothing.
    void write(const std::string& path, PictureFormat format, int quality) const;

  private:
    explicit PixelImage(std::shared_ptr<const PixelData> data);
    std::shared_ptr<const PixelData> data_;
};

// Starts the engine once per process (later calls do nothing) and keeps no cache of results:
// every image is used once. Every function here starts it itself.
void startPixels();

// The most memory the engine has held for pixels at once since it started, in bytes, by its
// own accounting.
std::uint64_t pixelsMemoryPeak();

// The engine's version text.
std::string pixelsVersion();

}  // namespace orvanta
