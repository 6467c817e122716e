#include "ui/picture_image.h"

namespace orvanta {

QImage toQImage(const Picture& picture) {
    QImage image(picture.width(), picture.height(), QImage::Format_RGB888);
    const std::uint8_t* bytes = picture.bytes().data();
    const int rowBytes = picture.width() * 3;
    for (int y = 0; y < picture.height(); ++y) {
        // Rows are kept from the bottom up, each pixel as blue, green, red.
        const std::uint8_t* source =
            bytes + static_cast<std::size_t>(picture.height() - 1 - y) * rowBytes;
        std::uint8_t* target = image.scanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            target[3 * x] = source[3 * x + 2];
            target[3 * x + 1] = source[3 * x + 1];
            target[3 * x + 2] = source[3 * x];
        }
    }
    return image;
}

}  // namespace orvanta
