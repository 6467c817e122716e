#include "support/test_images.h"

#include <cstdio>

#include "magick/commands.h"
#include "support/scratch_dir.h"

namespace orvanta::testing {

void makeImage(const std::string& path, int width, int height) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    runConvert({"convert", "-size", size, "gradient:#204080-#c0a040", path});
}

void makeQuadrantImage(const std::string& path, int size,
                       const std::array<std::string, 4>& colours) {
    const std::string half = std::to_string(size / 2) + "x" + std::to_string(size / 2);
    runConvert({"convert", "(", "-size", half, "xc:" + colours[0], "xc:" + colours[1], "+append",
                ")", "(", "-size", half, "xc:" + colours[2], "xc:" + colours[3], "+append", ")",
                "-append", path});
}

void writeWorldFile(const std::string& path, double a, double e, double c, double f) {
    char text[256];
    std::snprintf(text, sizeof text, "%.15G\r\n0\r\n0\r\n%.15G\r\n%.15G\r\n%.15G\r\n", a, e, c, f);
    writeFile(path, text);
}

std::string pixelColour(const std::string& path, int x, int y) {
    const std::string format =
        "%[fx:int(255*p{" + std::to_string(x) + "," + std::to_string(y) + "}.r+0.5)]," +
        "%[fx:int(255*p{" + std::to_string(x) + "," + std::to_string(y) + "}.g+0.5)]," +
        "%[fx:int(255*p{" + std::to_string(x) + "," + std::to_string(y) + "}.b+0.5)]," +
        "%[fx:int(255*p{" + std::to_string(x) + "," + std::to_string(y) + "}.a+0.5)]";
    return runIdentify({"identify", "-format", format, path});
}

}  // namespace orvanta::testing
