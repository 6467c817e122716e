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
    app.imageHeader.width = 2500;
    app.imageHeader.height = 1500;
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

}  // namespace
}  // namespace orvanta
