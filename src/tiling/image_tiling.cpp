#include "tiling/image_tiling.h"

#include <filesystem>
#include <span>

namespace orvanta {
namespace {

std::string numbered(const std::string& name, int digit) {
    return name + "_" + std::to_string(digit);
}

// The files of a square and of its quarters, level by level: the square's 256 picture into
// the first folder, each quarter's levels into the folders after it. Quarters are numbered
// row by row from the top left, as a crop numbers them.
void addLevels(std::vector<TileOutput>& outputs, int x, int y, int size, const std::string& name,
               std::span<const std::string> folders, const TileSwitches& switches) {
    outputs.push_back({x, y, size,
                       joinPath(folders.front(), name + "." + formatName(switches.format)),
                       switches, false});
    if (folders.size() == 1)
        return;
    const int half = size / 2;
    for (int q = 0; q < 4; ++q) {
        addLevels(outputs, x + q % 2 * half, y + q / 2 * half, half, numbered(name, q),
                  folders.subspan(1), switches);
    }
}

// The files of a 2048 image: the whole image's picture when asked for, then its quarters.
void add2048(std::vector<TileOutput>& outputs, const ImageTiling& image) {
    const TileSet& t = image.tiles;
    const std::string folders[] = {t.tgroup1(), t.tgroup1(), t.sgroup1(), t.sgroup2()};
    if (image.withWholeImage) {
        addLevels(outputs, 0, 0, 2048, image.name, folders, image.switches);
        return;
    }
    for (int q = 0; q < 4; ++q) {
        addLevels(outputs, q % 2 * 1024, q / 2 * 1024, 1024, numbered(image.name, q),
                  std::span(folders).subspan(1), image.switches);
    }
}

// The files of a 4096 image: its two top levels in Tgroup2, then each 1024 piece as a JPEG in
// Tgroup1 with the levels of a 1024 image of its own in Sgroup1 and Sgroup2.
void add4096(std::vector<TileOutput>& outputs, const ImageTiling& image) {
    const TileSet& t = image.tiles;
    const std::string top[] = {t.tgroup2(), t.tgroup2()};
    addLevels(outputs, 0, 0, 4096, image.name, top, image.switches);
    const std::string pieceFolders[] = {t.sgroup1(), t.sgroup1(), t.sgroup2()};
    for (int q = 0; q < 4; ++q) {
        for (int s = 0; s < 4; ++s) {
            const std::string piece = numbered(numbered(image.name, q), s);
            const int x = q % 2 * 2048 + s % 2 * 1024, y = q / 2 * 2048 + s / 2 * 1024;
            outputs.push_back(
                {x, y, 1024, joinPath(t.tgroup1(), piece + ".JPG"), image.switches, true});
            addLevels(outputs, x, y, 1024, piece, pieceFolders, image.pieceSwitches(piece));
        }
    }
}

// The steps of the image with every file it gives.
TilePlan wholePlan(const ImageTiling& image) {
    const TileSet& t = image.tiles;
    switch (image.sizeClass) {
        case SizeClass::S1024:
            return image1024Plan(image.source, image.name, t.sgroup1(),
                                 image.pieceOf4096 ? t.sgroup2() : t.sgroup1(), image.switches);
        case SizeClass::S2048:
            return image2048Plan(image.source, image.name, t, image.withWholeImage, image.switches);
        case SizeClass::S4096:
            return image4096Plan(image.source, image.name, t, image.switches);
        case SizeClass::None:
            break;
    }
    return {};
}

}  // namespace

TilePlan magickPlan(const ImageTiling& image) {
    return wholePlan(image).without(paddingFiles(image));
}

std::vector<TileOutput> tileOutputs(const ImageTiling& image) {
    std::vector<TileOutput> outputs;
    const TileSet& t = image.tiles;
    switch (image.sizeClass) {
        case SizeClass::S1024: {
            const std::string folders[] = {t.sgroup1(), t.sgroup1(),
                                           image.pieceOf4096 ? t.sgroup2() : t.sgroup1()};
            addLevels(outputs, 0, 0, 1024, image.name, folders, image.switches);
            break;
        }
        case SizeClass::S2048:
            add2048(outputs, image);
            break;
        case SizeClass::S4096:
            add4096(outputs, image);
            break;
        case SizeClass::None:
            break;
    }
    return outputs;
}

bool inPadding(const ImageTiling& image, const TileOutput& output) {
    return (image.imageArea &&
            (output.x >= image.imageArea->width || output.y >= image.imageArea->height)) ||
           !globeCut(image.globe, output.x, output.y, output.size);
}

std::vector<std::string> paddingFiles(const ImageTiling& image) {
    std::vector<std::string> files;
    for (const TileOutput& output : tileOutputs(image)) {
        if (inPadding(image, output))
            files.push_back(output.path);
    }
    return files;
}

std::vector<TileOutput> missingOutputs(const ImageTiling& image) {
    std::vector<TileOutput> missing;
    for (const TileOutput& output : tileOutputs(image)) {
        std::error_code ignored;
        if (!inPadding(image, output) && !std::filesystem::exists(output.path, ignored))
            missing.push_back(output);
    }
    return missing;
}

}  // namespace orvanta
