#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvanta {

// 8-bit pixels row by row: `channels` bytes a pixel (3 RGB, 4 RGBA).
struct PixelRows {
    const std::uint8_t* data = nullptr;
    int width = 0, rows = 0, channels = 3;
    std::size_t stride = 0;  // bytes from one row to the next; 0 for width x channels
};

// A JPEG of the pixels at `quality` (alpha dropped): baseline, standard Huffman tables, the
// accurate DCT, and no chroma subsampling from quality 90 up (4:2:0 below).
std::vector<std::uint8_t> encodeJpeg(const PixelRows& pixels, int quality);

// A PNG of the pixels (RGB or RGBA, 8 bits): every row filtered with its difference from the
// row above, compressed with fast deflate. On tiles of photographs this is both smaller and
// several times quicker than trying every filter at a higher level.
std::vector<std::uint8_t> encodePng(const PixelRows& pixels);

// A JPEG or PNG of known size written to its file as its rows come, top to bottom, so that
// neither the picture nor its compressed bytes are ever held whole.
class PictureStream {
  public:
    // Writes to the open file `descriptor` (of a file made for the purpose, which the caller
    // closes and names), `path` naming it in messages; `png` false: JPEG at `quality`.
    // Throws RunError 75 when the file cannot be written.
    PictureStream(int descriptor, const std::string& path, int width, int height, int channels,
                  bool png, int quality);
    ~PictureStream();
    PictureStream(const PictureStream&) = delete;
    PictureStream& operator=(const PictureStream&) = delete;

    // Takes the next rows (of the width and channels given).
    void append(const PixelRows& rows);
    // Completes and closes the file, once every row was taken.
    void finish();

    struct Coder;

  private:
    std::unique_ptr<Coder> coder_;
};

}  // namespace orvanta
