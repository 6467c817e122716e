#include "tiling/tile_manifest.h"

#include <gtest/gtest.h>

#include "platform/text_file.h"
#include "tiling/tile_set.h"

namespace orvanta {
namespace {

// Any file name survives the manifest's lines; a file that is not a manifest keeps nothing.
TEST(TileManifest, NamesOfAnyKindSurviveAndForeignTextKeepsNothing) {
    TileManifest manifest;
    manifest.images = {{"a", "source 1:x; tiles JPG/q100"}, {"50%d\tb\r\nc", "r2"}};
    manifest.pieces = {{"big", "source 9:y"}};
    const std::string text = manifestText(manifest);
    const std::vector<std::string> lines = splitLines(text);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_EQ(parseManifest(lines), manifest);
    EXPECT_EQ(parseManifest({"image\ta\tr"}), TileManifest{});
}

// The files a tree names after an image: its pictures and KML files and their numbered cells,
// and nothing of an image whose name only starts the same.
TEST(TileManifest, LeftoversAreThoseNamedAfterTheRunsImages) {
    const std::vector<std::tuple<std::string, bool, bool>> cases = {
        {"a.JPG", true, true},       {"a_0_3.png", true, true},
        {"a_12_0.kml", false, true}, {"a_1_.JPG", true, false},
        {"ab_0.JPG", true, false},   {"a_x.JPG", true, false},
        {"a_0.jgw", true, false},    {"a_0.JPG", false, false},
        {"a.tif", true, true},       {".orvanta-part-1-a.JPG", true, false},
    };
    for (const auto& [file, pictures, named] : cases)
        EXPECT_EQ(namedAfter(file, "a", pictures), named) << file;
}

}  // namespace
}  // namespace orvanta
