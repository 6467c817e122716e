#include "tiling/grid_splitter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/error_policy.h"
#include "app/paths.h"
#include "imagery/world_file.h"
#include "platform/file_list.h"
#include "support/test_images.h"
#include "tiling/tile_set.h"
#include "tiling/tiling_rig.h"

namespace orvanta {
namespace {

using testing::countFiles;
using testing::FakeConvert;
using testing::TilingRig;

bool has(const ConvertCall& call, const std::string& arg) {
    return std::find(call.args.begin(), call.args.end(), arg) != call.args.end();
}

// A folder run of the 2048 class over a folder of the given images.
void prepareFolderRun(TilingRig& rig, SizeClass sizeClass, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        testing::writeFile(rig.path(name), "image");
        const std::string world = getworldfile(GetFileExtension(name));
        if (!world.empty()) {
            testing::writeWorldFile(rig.path(imageBaseName(name) + "." + world), 0.001, -0.001, 10,
                                    20);
        }
    }
    rig.app.run.sizeClass = sizeClass;
    rig.app.settings.tilesFolder = rig.dir.path().string();
    rig.app.run.root1024 = rig.app.run.root2048 = rig.app.run.root4096 = rig.dir.path().string();
}

TEST(GridSplitter, FolderRunTilesEveryImageUnderOneRoot) {
    TilingRig rig;
    FakeConvert convert;
    prepareFolderRun(rig, SizeClass::S2048, {"b.JPG", "a.jpg", "notes.txt", "c.d.png"});
    EXPECT_TRUE(Split2048(rig.app, convert.runner()));

    std::vector<std::string> sources;
    for (const ConvertCall& call : convert.calls) {
        if (has(call, "1024x1024"))
            sources.push_back(call.input());
    }
    EXPECT_EQ(sources, (std::vector<std::string>{rig.path("a.jpg"), rig.path("b.JPG"),
                                                 rig.path("c.d.png")}));
    const TileSet tiles{rig.dir.path().string()};
    EXPECT_TRUE(std::filesystem::exists(joinPath(tiles.tgroup1(), "c.d.JPG")));
    EXPECT_EQ(countFiles(tiles.sgroup2(), ".JPG"), 3 * 64);
    EXPECT_EQ(testing::readFile(tiles.formatMarker()), "JPG\r\n");
    EXPECT_EQ(testing::readFile(joinPath(tiles.sgroup2(), "Sgroup2.txt")), " \r\n");
    EXPECT_EQ(rig.host.statuses,
              (std::vector<std::string>{"Building Files... ", "Generating kml files...",
                                        "KML files were written successfully..."}));
    EXPECT_EQ(rig.app.run.root1024, tiles.tgroup1());
    EXPECT_EQ(rig.app.run.Sgroup2Slash, slashForm(tiles.sgroup2()));
    EXPECT_EQ(rig.host.messageTexts(), std::vector<std::string>{});
    EXPECT_EQ(rig.host.progressReports.back(), std::make_pair(3, 3));
}

TEST(GridSplitter, SingleImageRunTilesOnlyTheProjectImage) {
    TilingRig rig;
    FakeConvert convert;
    prepareFolderRun(rig, SizeClass::S1024, {"a.jpg", "img.jpg", "z.jpg"});
    rig.app.settings.tilesFolder.clear();
    rig.app.settings.projectImage = rig.path("img.jpg");
    rig.app.settings.imageFolder = rig.dir.path().string();
    rig.app.settings.imageName = "img";
    rig.app.run.singleImage = true;
    rig.app.run.root1024 = rig.path("img");
    EXPECT_TRUE(Split1024(rig.app, convert.runner()));

    for (const ConvertCall& call : convert.calls) {
        EXPECT_EQ(call.input().find(rig.path("a.jpg")), std::string::npos);
        EXPECT_EQ(call.input().find(rig.path("z.jpg")), std::string::npos);
    }
    const std::string s1 = TileSet{rig.path("img")}.sgroup1();
    EXPECT_EQ(countFiles(s1, ".JPG"), 21);
    EXPECT_TRUE(listFiles(joinPath(s1, "kml"), kImagePattern).empty());
    EXPECT_EQ(rig.app.run.Sgroup1Path, s1);
    EXPECT_EQ(rig.app.run.Sgroup2Path, s1);
}

TEST(GridSplitter, EdgeImagesOfAPaddedLargeImageGetTransparentPngTilesForThemselvesOnly) {
    TilingRig rig;
    FakeConvert convert;
    prepareFolderRun(rig, SizeClass::S4096, {"big_0.jpg", "big_1.jpg", "big_2.jpg"});
    rig.app.run.paddedPieces = true;
    rig.app.paddedPieceNames = {"big_1"};
    for (int q = 0; q < 4; ++q) {
        for (int s = 0; s < 4; ++s) {
            rig.app.paddedPieceNames.push_back("BIG_1_" + std::to_string(q) + "_" + std::to_string(s));
        }
    }
    rig.app.settings.transparentColourText = "RGB(9, 9, 9)";
    EXPECT_TRUE(Split4096(rig.app, convert.runner()));

    const TileSet tiles{rig.dir.path().string()};
    int limited = 0;
    for (const ConvertCall& call : convert.calls) {
        limited += has(call, "512MiB");
        if (call.input().find("big_1") == std::string::npos) {
            EXPECT_FALSE(has(call, "-transparent")) << call.output();
        } else if (call.output().ends_with(".PNG")) {
            EXPECT_TRUE(has(call, "-fuzz") && has(call, "RGB(255, 0, 255)")) << call.output();
        } else {  // a JPEG piece for the next step
            EXPECT_FALSE(has(call, "-transparent")) << call.output();
        }
    }
    EXPECT_EQ(limited, 3 * 10);
    EXPECT_EQ(countFiles(tiles.tgroup2(), ".JPG"), 10);
    EXPECT_EQ(countFiles(tiles.tgroup1(), ".JPG"), 48);
    // The other images stay JPEG at every level (the edge image's own tiles are counted by the
    // real split). The 1024 stage: each whole piece and its quarters, then the full resolution.
    EXPECT_EQ(countFiles(tiles.sgroup1(), ".JPG"), 2 * (16 + 64));
    EXPECT_EQ(countFiles(tiles.sgroup2(), ".JPG"), 512);
    // The person's own switches are back.
    EXPECT_EQ(rig.app.settings.transparent, 0);
    EXPECT_EQ(rig.app.settings.outputFormat, "JPG");
    EXPECT_EQ(rig.app.settings.transparentColourText, "RGB(9, 9, 9)");
    EXPECT_EQ(rig.app.run.root2048, tiles.tgroup2());
    EXPECT_EQ(rig.app.run.root1024, tiles.tgroup1());
}

TEST(GridSplitter, OwnTransparentColourIsMatchedExactlyInEveryTile) {
    TilingRig rig;
    FakeConvert convert;
    prepareFolderRun(rig, SizeClass::S1024, {"a.jpg"});
    rig.app.settings.transparent = true;
    rig.app.settings.outputFormat = "JPG";
    rig.app.settings.transparentColourText = "RGB(0, 0, 0)";
    EXPECT_TRUE(Split1024(rig.app, convert.runner()));
    EXPECT_EQ(testing::readFile(TileSet{rig.dir.path().string()}.formatMarker()), "PNG\r\n");
    int transparentTiles = 0;
    for (const ConvertCall& call : convert.calls) {
        EXPECT_FALSE(has(call, "-fuzz"));
        // Only the tiles: the JPEG pieces the later steps read stay as they are.
        if (call.output().ends_with(".PNG"))
            transparentTiles += has(call, "-transparent");
        else
            EXPECT_FALSE(has(call, "-transparent")) << call.output();
    }
    EXPECT_EQ(transparentTiles, 1 + 4 + 4);
}

TEST(GridSplitter, SingleImageOf4096ClassGetsItsOwnRootAndMarker) {
    TilingRig rig;
    FakeConvert convert;
    testing::writeFile(rig.path("one.jpg"), "image");
    testing::writeFile(rig.path("other.jpg"), "image");
    rig.app.run.sizeClass = SizeClass::S4096;
    rig.app.settings.imageFolder = rig.dir.path().string();
    rig.app.settings.imageName = "one";
    rig.app.settings.projectImage = rig.path("one.jpg");
    EXPECT_TRUE(Split4096(rig.app, convert.runner()));
    EXPECT_EQ(rig.app.run.root4096, rig.path("one"));
    EXPECT_EQ(testing::readFile(joinPath(rig.path("one"), "one.txt")), " \r\n");
    EXPECT_TRUE(std::none_of(convert.calls.begin(), convert.calls.end(), [&](const auto& call) {
        return call.input() == rig.path("other.jpg");
    }));
    const TileSet tiles{rig.path("one")};
    EXPECT_EQ(testing::readFile(tiles.formatMarker()), "JPG\r\n");
    EXPECT_EQ(testing::readFile(joinPath(tiles.tgroup2(), "Tgroup2.txt")), " \r\n");
    EXPECT_EQ(countFiles(tiles.sgroup2(), ".JPG"), 256);
}

TEST(GridSplitter, UnwritableOutputFolderEndsWithOneClearMessage) {
    TilingRig rig;
    FakeConvert convert;
    prepareFolderRun(rig, SizeClass::S2048, {"a.jpg"});
    testing::ReadOnlyFolder readOnly(rig.dir.path().string());
    if (!readOnly.effective())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    EXPECT_FALSE(Split2048(rig.app, convert.runner()));
    EXPECT_TRUE(convert.calls.empty());
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_TRUE(rig.host.messages[0].text.starts_with(
        "The tiles cannot be written into the folder " + rig.dir.path().string() + ". "))
        << rig.host.messages[0].text;
    EXPECT_EQ(rig.host.messages[0].title, kAppTitle);
}

TEST(GridSplitter, NoRootNoTiles) {
    TilingRig rig;
    FakeConvert convert;
    rig.app.run.sizeClass = SizeClass::S2048;
    EXPECT_FALSE(Split2048(rig.app, convert.runner()));
    EXPECT_EQ(rig.host.messageTexts(),
              (std::vector<std::string>{"There is no folder to write the tiles into."}));
    EXPECT_TRUE(convert.calls.empty());
}

}  // namespace
}  // namespace orvanta
