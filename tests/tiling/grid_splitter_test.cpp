// The grid splitter with a stand-in for the image tool: which images are cut, into which
// folders and formats, and how a run ends.
#include "tiling/grid_splitter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/file_list.h"
#include "tiling/tiling_rig.h"

namespace orvanta {
namespace {

using testing::countFiles;
using testing::SplitRig;

// Stands in for the image tool, one step after another: records each call and writes empty
// files for its outputs. An input that does not exist fails as the image tool would; call
// number `endAt` (from 1) fails with an error that ends the run.
struct FakeConvert {
    std::vector<ConvertCall> calls;
    std::size_t endAt = 0;
    ConvertRunner runner() {
        return [this](const ConvertCall& call) {
            if (!std::filesystem::exists(call.input()))
                throw RunError(errors::ImageTool, "unable to open image `" + call.input() + "'");
            calls.push_back(call);
            if (calls.size() == endAt)
                throw RunError(57, "device I/O error");
            for (const std::string& out : outputFiles(call))
                testing::writeFile(out, "");
        };
    }
};

bool has(const ConvertCall& call, const std::string& arg) {
    return std::find(call.args.begin(), call.args.end(), arg) != call.args.end();
}

void writeImages(const SplitRig& rig, const std::vector<std::string>& names) {
    for (const std::string& name : names)
        testing::writeFile(rig.path(name), "image");
}

TEST(GridSplitter, FolderRunTilesEveryImageInNameOrderUnderOneRoot) {
    SplitRig rig;
    FakeConvert convert;
    writeImages(rig, {"b.JPG", "a.jpg", "notes.txt", "c.d.png", "left.jpg"});
    SplitRequest request = rig.folderRun(SizeClass::S2048);
    request.images = folderImages(rig.root(), {"left.jpg"});
    EXPECT_EQ(request.images, (std::vector<SourceImage>{{rig.path("a.jpg"), "a"},
                                                        {rig.path("b.JPG"), "b"},
                                                        {rig.path("c.d.png"), "c.d"}}));
    EXPECT_TRUE(rig.split(request, convert.runner()));
    const TileSet tiles{rig.root()};
    EXPECT_EQ(countFiles(tiles.sgroup2(), ".JPG"), 3 * 64);
    EXPECT_EQ(testing::readFile(tiles.formatMarker()), "JPG\r\n");
    EXPECT_EQ(testing::readFile(joinPath(tiles.sgroup2(), "Sgroup2.txt")), " \r\n");
    EXPECT_EQ(rig.host.statuses, std::vector<std::string>{"Building Files... "});
    EXPECT_EQ(rig.host.progressReports.back(), std::make_pair(3, 3));
}

// Edge pieces of a padded large image get PNG tiles with their background matched with a
// tolerance; the other images keep the job's own switches, a colour of their own matched
// exactly; the JPEG pieces the later steps read are never made transparent.
TEST(GridSplitter, EachImageGetsTheTransparencyOfItsOwn) {
    for (const bool ownColour : {false, true}) {
        SCOPED_TRACE(ownColour);
        SplitRig rig;
        FakeConvert convert;
        writeImages(rig, {"big_0.jpg", "big_1.jpg", "big_2.jpg"});
        SplitRequest request = rig.folderRun(SizeClass::S4096);
        if (ownColour)
            request.tiles.transparentColour = Rgb{9, 9, 9};
        request.edges = PaddedEdges{{"big_1"}, Rgb{255, 0, 255}, {}};
        for (int q = 0; q < 16; ++q)  // names are matched without regard to case
            request.edges->names.push_back("BIG_1_" + std::to_string(q / 4) + "_" +
                                           std::to_string(q % 4));
        EXPECT_TRUE(rig.split(request, convert.runner()));

        int limited = 0;
        for (const ConvertCall& call : convert.calls) {
            limited += has(call, "512MiB");
            const bool edge = call.input().find("big_1") != std::string::npos;
            if (!call.output().ends_with(".PNG")) {
                EXPECT_FALSE(has(call, "-transparent")) << call.output();
            } else {
                EXPECT_EQ(has(call, "-fuzz"), edge) << call.output();
                EXPECT_TRUE(has(call, edge ? "RGB(255, 0, 255)" : "RGB(9, 9, 9)")) << call.output();
            }
        }
        EXPECT_EQ(limited, 3 * 10);  // every operation on a 4096 image
        const TileSet tiles{rig.root()};
        EXPECT_EQ(testing::readFile(tiles.formatMarker()), ownColour ? "PNG\r\n" : "JPG\r\n");
        EXPECT_EQ(countFiles(tiles.tgroup1(), ".JPG"), 48);
        // The 1024 stage: each whole piece and its quarters, then the full resolution.
        const std::string others = ownColour ? ".PNG" : ".JPG";
        EXPECT_EQ(countFiles(tiles.sgroup1(), others), (ownColour ? 3 : 2) * (16 + 64));
        EXPECT_EQ(countFiles(tiles.sgroup2(), others), (ownColour ? 3 : 2) * 256);
    }
}

// A root that is missing or cannot be written ends the run with one message, before any
// picture work.
TEST(GridSplitter, UnusableRootEndsWithOneClearMessage) {
    SplitRig rig;
    FakeConvert convert;
    writeImages(rig, {"a.jpg"});
    SplitRequest request = rig.folderRun(SizeClass::S2048);
    request.root.clear();
    EXPECT_FALSE(rig.split(request, convert.runner()));
    EXPECT_EQ(rig.host.messageTexts(),
              std::vector<std::string>{"There is no folder to write the tiles into."});

    rig.host.messages.clear();
    testing::ReadOnlyFolder readOnly(rig.root());
    if (!readOnly.effective())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    EXPECT_FALSE(rig.split(rig.folderRun(SizeClass::S2048), convert.runner()));
    EXPECT_TRUE(convert.calls.empty());
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_TRUE(rig.host.messages[0].text.starts_with(
        "The tiles cannot be written into the folder " + rig.root() + ". "))
        << rig.host.messages[0].text;
}

// An error that ends the run (not a skipped one) starts no later step, nor the 1024 stage.
TEST(GridSplitter, EndingStepErrorStopsTheRun) {
    SplitRig rig;
    FakeConvert convert;
    convert.endAt = 2;
    writeImages(rig, {"a.jpg", "b.jpg"});
    EXPECT_FALSE(rig.split(rig.folderRun(SizeClass::S4096), convert.runner()));
    EXPECT_EQ(convert.calls.size(), 2u);
    EXPECT_EQ(rig.host.messageTexts(), std::vector<std::string>{"57 device I/O error"});
    EXPECT_FALSE(std::filesystem::exists(TileSet{rig.root()}.sgroup2()));
}

}  // namespace
}  // namespace orvanta
