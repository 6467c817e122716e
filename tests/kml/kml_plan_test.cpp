#include "kml/kml_plan.h"

#include <gtest/gtest.h>

#include "imagery/world_file.h"
#include "platform/os_services.h"

namespace orvanta {
namespace {

// Names, links, pictures and hrefs of whole trees are checked against the golden trees of the
// tree tests, which pin the fade and Lod lines of 1024 LOW, 2048 HIGH and 4096 HIGH; these
// cases cover what those do not show: the order of the files, 1024 HIGH and 4096 LOW.

std::vector<KmlFile> treeOf(SizeClass sizeClass, DisplayOrder order) {
    const KmlTreeOptions options{&kmlTreeLayout(sizeClass), "R", "", order, "JPG", "img"};
    const KmlTile tile{"a", TileBounds(parseWorldFile("0.001\n0\n0\n-0.001\n10\n20\n"), 1024)};
    return tileKmlFiles(options, tile, [](const std::string&, const std::string&) { return ""; });
}

std::string native(std::string path) {
    for (char& c : path)
        c = c == '/' ? kPathSeparator : c;
    return path;
}

bool has(const KmlFile& file, const std::string& part) {
    return file.text.find(part) != std::string::npos;
}

TEST(KmlTreePlan, FilesComeLevelByLevelInPathOrder) {
    EXPECT_EQ(treeOf(SizeClass::S1024, DisplayOrder::Low).size(), 21u);
    EXPECT_EQ(treeOf(SizeClass::S2048, DisplayOrder::Low).size(), 85u);
    const auto files = treeOf(SizeClass::S4096, DisplayOrder::Low);
    ASSERT_EQ(files.size(), 341u);
    const std::vector<std::pair<std::size_t, std::string>> firstOfLevel = {
        {0, "R/Tgroup2/kml/a.kml"},
        {1, "R/Tgroup2/kml/a_1.kml"},
        {4, "R/Tgroup2/kml/a_4.kml"},
        {5, "R/Tgroup1/kml/a_1_1.kml"},
        {6, "R/Tgroup1/kml/a_1_2.kml"},
        {21, "R/Tgroup1/Sgroup1/kml/a_1_1_1.kml"},
        {85, "R/Tgroup1/Sgroup2/kml/a_1_1_1_1.kml"},
        {340, "R/Tgroup1/Sgroup2/kml/a_4_4_4_4.kml"},
    };
    for (const auto& [index, path] : firstOfLevel)
        EXPECT_EQ(files[index].path, native(path));
}

TEST(KmlTreePlan, FadeAndLodByLevelAndDisplayOrder) {
    const std::string highFade = "<minFadeExtent>384</minFadeExtent>";
    const std::string highTop = "\n            <minLodPixels>384</minLodPixels>";
    // 1024: the fixed pair everywhere, even with HIGH; the tile's own Lod follows the order.
    const auto f1024 = treeOf(SizeClass::S1024, DisplayOrder::High);
    for (const KmlFile& file : f1024)
        EXPECT_FALSE(has(file, highFade)) << file.path;
    EXPECT_TRUE(has(f1024[0], highTop));
    // LOW: the fixed pair and minLodPixels 0 for the tile.
    const auto low = treeOf(SizeClass::S4096, DisplayOrder::Low);
    for (const KmlFile& file : low)
        EXPECT_FALSE(has(file, highFade)) << file.path;
    EXPECT_TRUE(has(low[0], "\n       <minLodPixels>0</minLodPixels>"));
}

}  // namespace
}  // namespace orvanta
