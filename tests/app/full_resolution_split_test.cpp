#include "app/full_resolution_split.h"

#include <gtest/gtest.h>

#include "app/job_fixture.h"
#include "magick/commands.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

using FullResolutionSplitTest = testing::JobTest;

// The tiles' pixels are pinned by the tiling tests; here: where they go, their world files,
// their format, and the refusals.
TEST_F(FullResolutionSplitTest, WritesLocatedTilesOrRefuses) {
    PictureBoxes boxes;
    cGdiPlus saver;
    FullResolutionSplit(app, boxes, saver);
    testing::makeImage(dir / "area.png", 2500, 1500);
    app.settings.projectImage = dir / "area.png";
    app.settings.imageFolder = dir.path().string();
    app.settings.imageName = "area";
    app.settings.widthText = "2500";
    app.settings.heightText = "1500";
    FullResolutionSplit(app, boxes, saver);
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{
                  "No Image was loaded!",
                  "The Reference Worldfile " + (dir / "area.pgw") +
                      " does not exits. OVT cannot continue unless all the tiles have their "
                      "associated worldfiles! Ovt will now stop the conversion!"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "Tiles"));

    host.messages.clear();
    testing::writeWorldFile(dir / "area.pgw", 0.001, -0.002, 10.0005, 50.999);
    app.settings.transparent = true;  // a transparent colour asks for PNG tiles
    FullResolutionSplit(app, boxes, saver);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(app.settings.tilesFolder, dir / "Tiles");
    EXPECT_EQ(app.settings.outputFormat, PictureFormat::Jpg);  // the setting itself stays
    for (int i = 1; i <= 6; ++i) {
        const std::string name = dir / ("Tiles/area_" + std::to_string(i));
        EXPECT_EQ(pingImageSize(name + ".PNG"), (PixelSize{1024, 1024})) << i;
        EXPECT_EQ(readTextLines(name + ".pgw").size(), 6u) << i;
    }
}

// "Scale1024 to 512 and split it" takes the last 1024 image of the project's split, scales it to
// 512 into the scaled picture and saves its quarters, top-left to bottom-right, at quality 85
// beside the split's 512 level tiles: a name a tile has taken is reported and kept.
TEST_F(FullResolutionSplitTest, ScaledQuarterSplitSavesOnlyNewFilesInTheQuartersOrder) {
    PictureBoxes boxes;
    cGdiPlus saver;
    ScaleAndQuarterSplit(app, boxes, saver);  // nothing opened: nothing to scale
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("no 1024 image"), std::string::npos);

    const std::uint32_t colours[2][2] = {{0x0000FF, 0x00FF00}, {0xFF0000, 0xFFFFFF}};
    Picture image(1024, 1024, 0);
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1024; ++x)
            image.setPixel(x, y, colours[y / 512][x / 512]);
    }
    ASSERT_NE(saver.PictureBoxToFile(image, dir / "q.png"), 0);
    app.settings.projectImage = dir / "q.png";
    app.settings.imageFolder = dir.path().string();
    app.settings.imageName = "q";
    app.run.singleImage = true;
    app.run.sizeClass = SizeClass::S1024;
    const std::string level = dir / "q/Tgroup1/Sgroup1";
    std::filesystem::create_directories(level);
    testing::writeFile(level + "/q_2.JPG", "a tile of the split");

    host.messages.clear();
    ScaleAndQuarterSplit(app, boxes, saver);
    EXPECT_EQ(boxes.scaled.width(), 512);
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{
                  "ok", "Not K. " + level + "/q_2.JPG exists already; it was left as it is.", "ok",
                  "ok"}));
    EXPECT_EQ(testing::readFile(level + "/q_2.JPG"), "a tile of the split");
    for (const int i : {1, 3, 4}) {
        const std::string quarter = level + "/q_" + std::to_string(i) + ".JPG";
        EXPECT_EQ(runIdentify({"identify", "-format", "%wx%h %Q", quarter}), "256x256 85");
        int width = -1, height = -1;
        const std::uint32_t shown = LoadPictureResized(quarter, width, height, 0).pixel(128, 128);
        const std::uint32_t wanted = colours[(i - 1) / 2][(i - 1) % 2];
        for (const int shift : {0, 8, 16}) {
            EXPECT_NEAR((shown >> shift) & 0xFF, (wanted >> shift) & 0xFF, 24) << i;
        }
    }
}

}  // namespace
}  // namespace orvanta
