// The same photograph-like images cut by both pixel engines: the same files, the same sizes
// and formats, and tiles that differ only by resampling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "pixels/pixel_image.h"
#include "tiling/image_tiling.h"
#include "tiling/tiling_rig.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::SplitRig;

// Smooth fractal gradients with detail at every scale, grain on top: hard on a resampler.
// In CMYK for a name starting "cmyk"; for "clear", alpha fading out from top to bottom.
void makePhotograph(const std::string& path, int size, int seed) {
    const std::string edge = std::to_string(size) + "x" + std::to_string(size);
    std::vector<std::string> argv = {"convert", "-seed", std::to_string(seed), "-size", edge};
    argv.insert(argv.end(), {"plasma:fractal", "-attenuate", "0.3", "+noise", "Gaussian"});
    const std::string name = fs::path(path).filename().string();
    if (name.starts_with("cmyk"))
        argv.insert(argv.end(), {"-colorspace", "CMYK"});
    if (name.starts_with("clear"))
        argv.insert(argv.end(),
                    {"-size", edge, "gradient:", "-compose", "CopyOpacity", "-composite"});
    argv.insert(argv.end(), {"-quality", "95", path});
    runConvert(argv);
}

// Every file below a folder, relative to it, in order.
std::vector<std::string> filesBelow(const std::string& root) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), root).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Peak signal to noise ratio in dB of the red, green and blue of two RGBA pictures.
double psnr(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i % 4 != 3)
            squares += (a[i] - b[i]) * (a[i] - b[i]);
    }
    const double meanSquare = squares / static_cast<double>(a.size() / 4 * 3);
    return meanSquare == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / meanSquare);
}

// Cuts the images (name, seed) of one size class with each engine and compares the trees.
void expectEnginesAgree(SizeClass sizeClass,
                        const std::vector<std::pair<std::string, int>>& images) {
    SplitRig magick, vips;
    for (const auto& [name, seed] : images) {
        makePhotograph(magick.path(name), edgePixels(sizeClass), seed);
        fs::copy_file(magick.path(name), vips.path(name));
    }
    ASSERT_TRUE(magick.split(magick.folderRun(sizeClass)));
    SplitRequest request = vips.folderRun(sizeClass);
    request.engine = PixelEngine::Vips;
    request.jobs = 2;
    ASSERT_TRUE(vips.split(request));

    const std::vector<std::string> files = filesBelow(magick.root());
    ASSERT_EQ(filesBelow(vips.root()), files);
    testing::ScratchDir pixels;
    int tiles = 0;
    for (const std::string& file : files) {
        const std::string one = magick.path(file), other = vips.path(file);
        const std::string head = testing::readFile(one).substr(0, 3);
        EXPECT_EQ(testing::readFile(other).substr(0, 3), head) << file;
        if (file.ends_with(".txt"))
            continue;
        EXPECT_EQ(pingImageSize(one), pingImageSize(other)) << file;
        const double decibels =
            psnr(testing::rgbaPixels(one, pixels), testing::rgbaPixels(other, pixels));
        EXPECT_GE(decibels, 40) << file;
        ++tiles;
    }
    const int perImage = sizeClass == SizeClass::S1024 ? 21 : 85;
    EXPECT_EQ(tiles, static_cast<int>(images.size()) * (perImage + 1));
}

TEST(EngineEquivalence, FolderOf1024ImagesGivesTheSameTilesUnderBothEngines) {
    expectEnginesAgree(SizeClass::S1024, {{"north.jpg", 3}, {"South.JPG", 5}});
}

TEST(EngineEquivalence, Image2048GivesTheSameTilesUnderBothEngines) {
    expectEnginesAgree(SizeClass::S2048, {{"area.jpg", 7}});
}

// The vips engine reads an image in strips of 1024 rows and reduces each level as its rows
// come: every tile equals the same square of the whole level reduced at once, across the
// strips' seams, with and without a transparent colour (the alpha-weighted reduction).
TEST(EngineEquivalence, LevelsMadeAsRowsComeEqualReductionsOfWholeLevels) {
    testing::ScratchDir dir;
    makePhotograph(dir / "area.jpg", 2048, 11);
    const PixelImage source = PixelImage::decode(dir / "area.jpg");
    for (const bool transparent : {false, true}) {
        SCOPED_TRACE(transparent);
        ImageTiling image;
        image.sizeClass = SizeClass::S2048;
        image.source = dir / "area.jpg";
        image.name = "area";
        image.tiles = TileSet{dir / "t"};
        image.withWholeImage = true;
        image.switches.format = "PNG";
        image.switches.transparent = transparent;
        image.switches.colour = Rgb{128, 128, 128};
        const std::vector<TileOutput> outputs = tileOutputs(image);
        for (const TileOutput& output : outputs)
            fs::create_directories(fs::path(output.path).parent_path());
        tileWithPixels(image, 2, false);

        PixelImage level = transparent ? source.withTransparent(image.switches.colour, 0) : source;
        for (int size = 256; size <= 2048; size *= 2) {
            const int scale = size / 256;
            for (const TileOutput& output : outputs) {
                if (output.size != size)
                    continue;
                EXPECT_EQ(PixelImage::decode(output.path).bytes(),
                          level.region(output.x / scale, output.y / scale, 256, 256).bytes())
                    << output.path;
            }
            level = level.reduced(level.width() / 2, level.height() / 2);
        }
    }
}

// CMYK converted alike, transparent parts on the same background at every level of JPG tiles.
TEST(EngineEquivalence, CmykAndTransparentSourcesGiveTheSameTilesUnderBothEngines) {
    expectEnginesAgree(SizeClass::S1024, {{"cmyk.jpg", 11}, {"clear.png", 13}});
}

}  // namespace
}  // namespace orvanta
