#include "magick/commands.h"

#include <gtest/gtest.h>
#include <wand/MagickWand.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/run_error.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

using testing::ScratchDir;

std::string pixelAt(const std::string& path, int x, int y) {
    return runIdentify({"identify", "-format",
                        "%[pixel:p{" + std::to_string(x) + "," + std::to_string(y) + "}]", path});
}

TEST(Magick, SlicesAnImageWiderThanTheSystemCaps) {
    ScratchDir dir;
    // 20000 pixels wide: refused by the system's 16K cap unless the program's policy lifts it.
    runConvert({"convert", "-limit", "memory", "512MiB", "-limit", "map", "4096MiB", "-size",
                "20000x16", "xc:white", "-crop", "4096x16", dir / "piece_%d.png"});
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pingImageSize(dir / ("piece_" + std::to_string(i) + ".png")),
                  (PixelSize{4096, 16}));
    }
    EXPECT_EQ(pingImageSize(dir / "piece_4.png"), (PixelSize{20000 - 4 * 4096, 16}));
    EXPECT_FALSE(std::filesystem::exists(dir / "piece_5.png"));
}

TEST(Magick, ErrorsCarryTheLibraryReason) {
    ScratchDir dir;
    try {
        runConvert({"convert", dir / "missing.png", dir / "out.png"});
        FAIL() << "a missing input must fail";
    } catch (const RunError& error) {
        EXPECT_EQ(error.number(), errors::ImageTool);
        EXPECT_NE(error.description().find("missing.png"), std::string::npos)
            << error.description();
    }
    EXPECT_THROW(runConvert({"convert", "-size", "4x4", "xc:red", "-resize"}), RunError);
    EXPECT_THROW(runIdentify({"identify", dir / "missing.png"}), RunError);
    EXPECT_THROW(runConvert({}), RunError);
}

// A crop of a JPEG whose data ends early fails and leaves no piece and no scratch file.
TEST(Magick, FailedCropLeavesNoPieceAndNoScratch) {
    ScratchDir dir;
    runConvert({"convert", "-size", "600x500", "plasma:", dir / "whole.jpg"});
    const std::string bytes = testing::readFile(dir / "whole.jpg");
    testing::writeFile(dir / "ended.jpg", bytes.substr(0, bytes.size() / 2) + "\xFF\xD9");
    EXPECT_THROW(runConvert({"convert", dir / "ended.jpg", "-crop", "256x256", dir / "p_%d.jpg"}),
                 RunError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(Magick, IdentifyFormatAndCompositeGeometry) {
    ScratchDir dir;
    runConvert({"convert", "-size", "8x6", "xc:blue", dir / "base.png"});
    runConvert({"convert", "-size", "2x2", "xc:red", dir / "dot.png"});
    EXPECT_EQ(runIdentify({"identify", "-format", "%w,%h", dir / "base.png"}), "8,6");
    runComposite(
        {"composite", "-geometry", "+4+3", dir / "dot.png", dir / "base.png", dir / "out.png"});
    EXPECT_EQ(pixelAt(dir / "out.png", 5, 4), "srgb(255,0,0)");
    EXPECT_EQ(pixelAt(dir / "out.png", 3, 3), "srgb(0,0,255)");
}

// Two runs over the same source write the same bytes: PNG files carry no dates.
TEST(Magick, PngOutputCarriesNoDates) {
    ScratchDir dir;
    runConvert({"convert", "-size", "8x8", "xc:red", dir / "a.png"});
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    runConvert({"convert", "-size", "8x8", "xc:red", dir / "b.png"});
    EXPECT_EQ(testing::readFile(dir / "a.png"), testing::readFile(dir / "b.png"));
}

TEST(Magick, PingReadsSizesWithoutPixelsAndRefusesNonImages) {
    ScratchDir dir;
    runConvert({"convert", "-size", "300x200", "xc:gray", "-interlace", "JPEG", dir / "p.jpg"});
    EXPECT_EQ(pingImageSize(dir / "p.jpg"), (PixelSize{300, 200}));
    testing::writeFile(dir / "text.png", "not an image at all");
    EXPECT_EQ(pingImageSize(dir / "text.png"), std::nullopt);
    EXPECT_EQ(pingImageSize(dir / "absent.png"), std::nullopt);
    std::filesystem::create_directory(dir / "folder.png");
    EXPECT_EQ(pingImageSize(dir / "folder.png"), std::nullopt);
}

TEST(Magick, ThreadLimitAndConcurrentCommands) {
    setMagickThreads(1);
    EXPECT_EQ(GetMagickResourceLimit(ThreadResource), 1u);
    setMagickThreads(0);
    EXPECT_EQ(GetMagickResourceLimit(ThreadResource), 1u);

    ScratchDir dir;
    runConvert({"convert", "-size", "8x8", "xc:red", dir / "kept.png"});
    // A decoded image comes and goes meanwhile, and the commands use the library's registry too:
    // a pixel cache that spills to disk looks a name up there, "-write" drops one.
    std::atomic<bool> stop{false};
    std::thread keeper([&] {
        while (!stop) {
            keepDecoded("churn", dir / "kept.png");
            forgetDecoded("churn");
        }
    });
    std::vector<std::thread> workers;
    for (int i = 0; i < 4; ++i) {
        workers.emplace_back([&dir, i] {
            const std::string out = dir / ("t" + std::to_string(i) + ".png");
            for (int run = 0; run < 25; ++run) {
                runConvert({"convert", "-limit", "memory", "0", "-limit", "map", "0", "-size",
                            "64x64", "xc:green", "-write", out, "-resize", "32x32", out});
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    stop = true;
    keeper.join();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pingImageSize(dir / ("t" + std::to_string(i) + ".png")), (PixelSize{32, 32}));
    }
}

TEST(MagickLimits, ALimitOnOneCommandDoesNotOutliveIt) {
    testing::ScratchDir dir;
    startMagick();
    const MagickSizeType memory = GetMagickResourceLimit(MemoryResource);
    const MagickSizeType map = GetMagickResourceLimit(MapResource);
    runConvert({"convert", "-limit", "memory", "64MiB", "-limit", "map", "128MiB", "-size", "8x8",
                "xc:red", dir / "a.png"});
    EXPECT_EQ(GetMagickResourceLimit(MemoryResource), memory);
    EXPECT_EQ(GetMagickResourceLimit(MapResource), map);
    EXPECT_GT(memory, MagickSizeType{64} << 20);
}

}  // namespace
}  // namespace orvanta
