#include "kml/kml_plan.h"

#include <gtest/gtest.h>

#include <set>

#include "imagery/world_file.h"
#include "platform/os_services.h"

namespace orvanta {
namespace {

// A path written with "/" in the platform's spelling.
std::string native(std::string path) {
    for (char& c : path)
        c = c == '/' ? kPathSeparator : c;
    return path;
}

KmlTreeSpec spec(SizeClass sizeClass, const std::string& url = "",
                 DisplayOrder order = DisplayOrder::Low) {
    return KmlTreeSpec{&kmlTreeLayout(sizeClass), "R", url, order, "JPG", "img"};
}

KmlTile tileA() {
    return {"a",
            TileBounds(parseWorldFile("0.001\n0\n0\n-0.001\n-122.50000000\n47.25000000\n"), 1024)};
}

// Pictures present on "disk": folder + separator + name.
PictureLookup pictures(const std::set<std::string>& written) {
    std::set<std::string> present;
    for (const std::string& path : written)
        present.insert(native(path));
    return [present](const std::string& folder, const std::string& name) {
        return present.contains(folder + kPathSeparator + name) ? name : std::string{};
    };
}

const KmlFile& fileNamed(const std::vector<KmlFile>& files, const std::string& path) {
    for (const KmlFile& file : files) {
        if (file.path == path)
            return file;
    }
    throw std::runtime_error("no file " + path);
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(KmlTreePlan, FileCountsNamesAndLevelOrder) {
    const auto files1024 = tileKmlFiles(spec(SizeClass::S1024), tileA(), pictures({}));
    ASSERT_EQ(files1024.size(), 21u);
    EXPECT_EQ(files1024[0].path, native("R/kml/a.kml"));
    EXPECT_EQ(files1024[1].path, native("R/kml/a_1.kml"));
    EXPECT_EQ(files1024[5].path, native("R/Tgroup1/Sgroup1/kml/a_1_1.kml"));
    EXPECT_EQ(files1024[20].path, native("R/Tgroup1/Sgroup1/kml/a_4_4.kml"));

    const auto files2048 = tileKmlFiles(spec(SizeClass::S2048), tileA(), pictures({}));
    ASSERT_EQ(files2048.size(), 85u);
    EXPECT_EQ(files2048[4].path, native("R/kml/a_4.kml"));
    EXPECT_EQ(files2048[5].path, native("R/Tgroup1/Sgroup1/kml/a_1_1.kml"));
    EXPECT_EQ(files2048[21].path, native("R/Tgroup1/Sgroup2/kml/a_1_1_1.kml"));
    EXPECT_EQ(files2048[84].path, native("R/Tgroup1/Sgroup2/kml/a_4_4_4.kml"));

    const auto files4096 = tileKmlFiles(spec(SizeClass::S4096), tileA(), pictures({}));
    ASSERT_EQ(files4096.size(), 341u);
    EXPECT_EQ(files4096[0].path, native("R/Tgroup2/kml/a.kml"));
    EXPECT_EQ(files4096[1].path, native("R/Tgroup2/kml/a_1.kml"));
    EXPECT_EQ(files4096[5].path, native("R/Tgroup1/kml/a_1_1.kml"));
    EXPECT_EQ(files4096[21].path, native("R/Tgroup1/Sgroup1/kml/a_1_1_1.kml"));
    EXPECT_EQ(files4096[85].path, native("R/Tgroup1/Sgroup2/kml/a_1_1_1_1.kml"));
    EXPECT_EQ(files4096[340].path, native("R/Tgroup1/Sgroup2/kml/a_4_4_4_4.kml"));
    // The deepest files link nowhere; the others link to four quarters.
    EXPECT_FALSE(has(files4096[340].text, "<NetworkLink>"));
    EXPECT_TRUE(has(files4096[21].text, "<href>R/Tgroup1/Sgroup2/kml/a_1_1_1_4.kml</href>"));
}

TEST(KmlTreePlan, HrefPrefixesWithAndWithoutHosting) {
    EXPECT_EQ(hrefPrefix("R", TreeFolder::R, "http://h/Tilesproject/"), "http://h/Tilesproject/");
    EXPECT_EQ(hrefPrefix("R", TreeFolder::S1, "http://h/Tilesproject/"),
              "http://h/Tilesproject/Tgroup1/Sgroup1");
    EXPECT_EQ(hrefPrefix("R", TreeFolder::S2, "http://h/Tilesproject"),
              "http://h/Tilesproject/Tgroup1/Sgroup2");
    EXPECT_EQ(hrefPrefix("R", TreeFolder::T2, ""), "R/Tgroup2");

    const std::string url = "http://h/Tilesproject/";
    const std::set<std::string> jpg = {"R/Tgroup1/Sgroup1/a.JPG"};
    const std::string root = rootKmlText(spec(SizeClass::S1024, url), tileA().bounds, {tileA()});
    EXPECT_TRUE(has(root, "<href>http://h/Tilesproject//kml/a.kml</href>"));
    const auto hosted = tileKmlFiles(spec(SizeClass::S1024, url), tileA(), pictures(jpg));
    EXPECT_TRUE(has(hosted[0].text, "<href>http://h/Tilesproject/Tgroup1/Sgroup1/a.JPG</href>"));

    const std::string oneSlash = "http://h/Tilesproject";
    EXPECT_TRUE(has(rootKmlText(spec(SizeClass::S1024, oneSlash), tileA().bounds, {tileA()}),
                    "<href>http://h/Tilesproject/kml/a.kml</href>"));
    const auto local = tileKmlFiles(spec(SizeClass::S1024), tileA(), pictures(jpg));
    EXPECT_TRUE(has(local[0].text, "<href>R/Tgroup1/Sgroup1/a.JPG</href>"));
    EXPECT_TRUE(has(local[1].text, "<href>R/Tgroup1/Sgroup1/kml/a_1_1.kml</href>"));
}

TEST(KmlTreePlan, PicturesPngFirstAndOnlyWhereTheyExist) {
    const auto files =
        tileKmlFiles(spec(SizeClass::S1024), tileA(),
                     pictures({"R/Tgroup1/Sgroup1/a_0.png", "R/Tgroup1/Sgroup1/a_0.JPG",
                               "R/Tgroup1/Sgroup1/a_1.JPG", "R/Tgroup1/Sgroup1/a_1_3.JPG"}));
    EXPECT_TRUE(
        has(fileNamed(files, native("R/kml/a_1.kml")).text, "<href>R/Tgroup1/Sgroup1/a_0.png"));
    EXPECT_TRUE(
        has(fileNamed(files, native("R/kml/a_2.kml")).text, "<href>R/Tgroup1/Sgroup1/a_1.JPG"));
    EXPECT_TRUE(has(fileNamed(files, native("R/Tgroup1/Sgroup1/kml/a_2_4.kml")).text,
                    "<href>R/Tgroup1/Sgroup1/a_1_3.JPG</href>"));
    // No picture, no overlay; the file and its links are written all the same.
    const std::string& bare = fileNamed(files, native("R/kml/a_3.kml")).text;
    EXPECT_FALSE(has(bare, "<GroundOverlay>"));
    EXPECT_TRUE(has(bare, "<name>a_3_4</name>"));
    EXPECT_TRUE(has(bare, "<name>a_2</name>"));
    EXPECT_FALSE(has(fileNamed(files, native("R/kml/a.kml")).text, "<GroundOverlay>"));
}

TEST(KmlTreePlan, FadeAndLodByLevelAndDisplayOrder) {
    const std::string high = "<minFadeExtent>384</minFadeExtent>";
    const auto fileHasHighFade = [&](const std::vector<KmlFile>& files, std::size_t i) {
        return has(files[i].text, high);
    };
    const auto f1024 =
        tileKmlFiles(spec(SizeClass::S1024, "", DisplayOrder::High), tileA(), pictures({}));
    for (std::size_t i = 0; i < f1024.size(); ++i)
        EXPECT_FALSE(fileHasHighFade(f1024, i)) << i;
    EXPECT_TRUE(has(f1024[0].text, "\n            <minLodPixels>384</minLodPixels>"));

    const auto f2048 =
        tileKmlFiles(spec(SizeClass::S2048, "", DisplayOrder::High), tileA(), pictures({}));
    EXPECT_FALSE(fileHasHighFade(f2048, 0));  // level 1
    EXPECT_FALSE(fileHasHighFade(f2048, 4));  // level 2, links to level 3 included
    EXPECT_TRUE(fileHasHighFade(f2048, 5));   // level 3
    EXPECT_TRUE(fileHasHighFade(f2048, 84));  // level 4
    EXPECT_TRUE(has(f2048[5].text, "\n               <minLodPixels>198</minLodPixels>"));
    EXPECT_TRUE(has(f2048[84].text, "\n     <minLodPixels>198</minLodPixels>"));

    const auto f4096 =
        tileKmlFiles(spec(SizeClass::S4096, "", DisplayOrder::High), tileA(), pictures({}));
    for (std::size_t i = 0; i < f4096.size(); ++i)
        EXPECT_TRUE(fileHasHighFade(f4096, i)) << i;
    EXPECT_TRUE(has(f4096[21].text, "\n               <minLodPixels>316</minLodPixels>"));
    EXPECT_TRUE(has(f4096[340].text, "\n     <minLodPixels>316</minLodPixels>"));

    const auto low = tileKmlFiles(spec(SizeClass::S4096), tileA(), pictures({}));
    for (std::size_t i = 0; i < low.size(); ++i)
        EXPECT_FALSE(fileHasHighFade(low, i)) << i;
    EXPECT_TRUE(has(low[0].text, "\n       <minLodPixels>0</minLodPixels>"));
}

TEST(KmlTreePlan, WorldFileTextKeptUntilTheCellEdgeFunctionsTakeOver) {
    const auto files = tileKmlFiles(spec(SizeClass::S2048), tileA(), pictures({}));
    // Level 1: the tile's own north and west as written in the world file.
    EXPECT_TRUE(has(files[0].text, "\r\n<north>47.25000000</north>\r\n"));
    EXPECT_TRUE(has(files[0].text, "\r\n<west>-122.50000000</west>\r\n"));
    // Links of a level-2 file: one quadrant step, so the text survives.
    EXPECT_TRUE(has(files[1].text, "\r\n<north>47.25000000</north>\r\n"));
    // Level 3: the cell-edge functions give numbers, in the indented style.
    EXPECT_TRUE(has(files[5].text, "\r\n           <north>47.25</north>\r\n"));
    EXPECT_FALSE(has(files[5].text, "47.25000000"));
}

TEST(KmlTreePlan, RootOfAnEmptyListHasStartingBoundsAndNoLinks) {
    const std::string root = rootKmlText(spec(SizeClass::S2048), EmptyRootBounds(), {});
    EXPECT_TRUE(has(root, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_TRUE(has(root,
                    "            <north>-90</north>\r\n        <south>90</south>\r\n"
                    "        <east>-180</east>\r\n        <west>180</west>\r\n"));
    EXPECT_FALSE(has(root, "<NetworkLink>"));
    // Two tiles: links named by the image name and the index.
    const std::string two = rootKmlText(spec(SizeClass::S4096), EmptyRootBounds(),
                                        {tileA(), KmlTile{"b", tileA().bounds}});
    EXPECT_TRUE(has(two, "<name>img0</name>"));
    EXPECT_TRUE(has(two, "<name>img1</name>\r\n"));
    EXPECT_TRUE(has(two, "<href>R/Tgroup2/kml/b.kml</href>"));
}

}  // namespace
}  // namespace orvanta
