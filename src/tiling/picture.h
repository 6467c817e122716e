#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvanta {

// A picture as the picture boxes hold it: 24-bit colour, three bytes per pixel in blue, green,
// red order, rows stored from the bottom row up, no padding between rows. Colours given to and
// taken from it are 24-bit values with red in the low byte.
class Picture {
  public:
    Picture() = default;
    Picture(int width, int height, std::uint32_t fill);
    // A picture of the given buffer, rows bottom first.
    Picture(int width, int height, std::vector<std::uint8_t> bottomUpBytes);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }

    // The pixel at x and y, with y counted from the bottom row as in the buffer.
    std::uint32_t pixelFromBottom(int x, int y) const;
    void setPixelFromBottom(int x, int y, std::uint32_t colour);
    // The pixel at x and y, with y counted from the top row as on screen.
    std::uint32_t pixel(int x, int y) const { return pixelFromBottom(x, height_ - 1 - y); }
    void setPixel(int x, int y, std::uint32_t colour) {
        setPixelFromBottom(x, height_ - 1 - y, colour);
    }

    // The whole buffer, 3 x width x height bytes.
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

  private:
    std::size_t offset(int x, int yFromBottom) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> bytes_;
};

// Loads an image file into a picture of Width x Height pixels, drawn with bicubic
// interpolation over BackColor (so transparent parts show the background). -1 in Width or
// Height means the image's own size; both are then set to it. A file that cannot be read
// raises RunError 999 "Error loading picture " and the path.
Picture LoadPictureResized(const std::string& sFilename, int& Width, int& Height,
                           std::uint32_t BackColor);

// Saves pictures in the format their file name's extension asks for, through the writers of
// the image library.
class cGdiPlus {
  public:
    // Writes the picture to sFilename through the writer of its extension (compared without
    // regard to case); an extension starting with "J" or "j" is written with JPEG quality
    // lQuality (0 to 100). Returns -1 when the file was written, 0 otherwise (no extension, no
    // writer for it, an empty picture or a failed write).
    long PictureBoxToFile(const Picture& Pic, const std::string& sFilename, long lQuality = 0);
};

}  // namespace orvanta
