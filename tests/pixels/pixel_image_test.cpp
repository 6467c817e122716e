#include "pixels/pixel_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "magick/commands.h"
#include "platform/run_error.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

// A tall image is read top to bottom in bands, and the engine's own accounting never holds
// much more than one band: memory grows with the width, not the height.
TEST(PixelImage, BandsComeTopToBottomWithinTheMemoryOfOneBand) {
    testing::ScratchDir dir;
    runConvert({"convert", "-size", "5000x9000", "xc:#406080", dir / "tall.jpg"});
    std::vector<int> tops;
    PixelImage::forEachBand(dir / "tall.jpg", 4096, [&](const PixelImage& band, int top) {
        tops.push_back(top);
        EXPECT_EQ(band.width(), 5000);
        EXPECT_EQ(band.height(), std::min(4096, 9000 - top));
    });
    EXPECT_EQ(tops, (std::vector<int>{0, 4096, 8192}));
    const std::uint64_t oneBand = 5000ull * 4096 * 3;
    EXPECT_GE(pixelsMemoryPeak(), oneBand);
    EXPECT_LT(pixelsMemoryPeak(), oneBand + oneBand / 4);
}

// A JPEG cut short fails as a whole, read whole or in bands: it never gives grey pixels.
TEST(PixelImage, TruncatedJpegFailsInsteadOfGivingGrey) {
    testing::ScratchDir dir;
    runConvert({"convert", "-size", "600x500", "plasma:", dir / "whole.jpg"});
    const auto size = std::filesystem::file_size(dir / "whole.jpg");
    std::filesystem::copy_file(dir / "whole.jpg", dir / "cut.jpg");
    std::filesystem::resize_file(dir / "cut.jpg", size / 2);
    EXPECT_THROW(PixelImage::decode(dir / "cut.jpg"), RunError);
    EXPECT_THROW(PixelImage::forEachBand(dir / "cut.jpg", 100, [](const PixelImage&, int) {}),
                 RunError);
    EXPECT_EQ(PixelImage::decode(dir / "whole.jpg").width(), 600);
}

}  // namespace
}  // namespace orvanta
