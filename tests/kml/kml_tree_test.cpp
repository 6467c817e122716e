#include "kml/kml_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "imagery/world_file.h"
#include "kml/fragments.h"
#include "kml/kml_layout.h"
#include "kml/kml_plan.h"
#include "kml/preview_page.h"
#include "kml/web_text.h"
#include "platform/file_list.h"
#include "platform/process.h"
#include "support/fake_host.h"
#include "support/kml_walk.h"
#include "support/scratch_dir.h"
#include "support/test_policy.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

// Every KML file under a folder, by its path relative to the folder.
std::map<std::string, std::string> kmlFilesUnder(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".kml") {
            files[fs::relative(entry.path(), folder).generic_string()] =
                readFile(entry.path().string());
        }
    }
    return files;
}

// The pictures the splitter leaves for one source image, by size class: the folder under the
// tile root of the pictures with 0, 1, 2... quadrant digits.
const std::map<SizeClass, std::vector<std::string>> kPyramid = {
    {SizeClass::S1024, {"Tgroup1/Sgroup1", "Tgroup1/Sgroup1", "Tgroup1/Sgroup1"}},
    {SizeClass::S2048, {"Tgroup1", "Tgroup1", "Tgroup1/Sgroup1", "Tgroup1/Sgroup2"}},
    {SizeClass::S4096,
     {"Tgroup2", "Tgroup2", "Tgroup1/Sgroup1", "Tgroup1/Sgroup1", "Tgroup1/Sgroup2"}},
};

// A tile root on disk: its kml folders and the splitter's marker file.
std::string makeTileRoot(const std::string& root) {
    for (const char* folder :
         {"kml", "Tgroup1/kml", "Tgroup2/kml", "Tgroup1/Sgroup1/kml", "Tgroup1/Sgroup2/kml"}) {
        fs::create_directories(fs::path(root) / folder);
    }
    writeFile(root + "/Tgroup1.txt", " JPG \r\n");
    return root;
}

// The placeholder pictures of one source image in a tile root; only their existence matters.
void writePyramid(const std::string& root, SizeClass sizeClass, const std::string& name) {
    const std::vector<std::string>& folders = kPyramid.at(sizeClass);
    for (int digits = 0; digits < static_cast<int>(folders.size()); ++digits) {
        for (int n = 0; n < (1 << (2 * digits)); ++n) {
            std::string picture = name;
            for (int d = digits - 1; d >= 0; --d)
                picture += "_" + std::to_string(n >> (2 * d) & 3);
            writeFile(root + "/" + folders[digits] + "/" + picture + ".JPG", "x");
        }
    }
}

struct KmlTreeTest : ::testing::Test {
    testing::ScratchDir scratch;
    testing::FakeHost host;
    testing::TestPolicy policy{host};
    const std::string root = makeTileRoot(scratch / "tiles");
    const std::string rootFile = path("Area.kml");

    std::string path(const std::string& relative) const {
        return fs::path(root + "/" + relative).make_preferred().string();
    }
    // A source image whose upper-left pixel is at (west, north), 0.001 degrees a pixel.
    void image(const std::string& file, const std::string& worldFile, const std::string& west,
               const std::string& north) const {
        writeFile(path(file), "x");
        if (!worldFile.empty())
            writeFile(path(worldFile), "0.001\r\n0\r\n0\r\n-0.001\r\n" + west + "\r\n" + north);
    }
    // The tree over every image of the tile root, as a folder run writes it.
    KmlTreeRequest folderRequest(SizeClass sizeClass) const {
        KmlTreeRequest request{sizeClass, root, rootFile, {}, "", "", DisplayOrder::Low};
        for (const std::string& entry : listFiles(root, kImagePattern))
            request.sources.push_back(folderTile(root, entry));
        return request;
    }
    std::optional<LatLonBounds> write(const KmlTreeRequest& request) {
        const std::optional<TreeIndex> tree = writeKmlTree(host, policy, request);
        return tree ? std::optional(tree->bounds) : std::nullopt;
    }
    std::map<std::string, std::string> kmlFiles() const { return kmlFilesUnder(root); }
};

// Checks every KML file against the golden tree of the case, the root path written as @ROOT@.
// ORVANTA_UPDATE_GOLDEN=1 writes the golden tree instead.
void expectGolden(const std::string& root, const std::string& name) {
    const fs::path golden = fs::path(ORVANTA_SOURCE_DIR) / "tests" / "data" / name;
    std::map<std::string, std::string> actual;
    for (auto [path, text] : kmlFilesUnder(root)) {
        for (std::size_t at; (at = text.find(root)) != std::string::npos;)
            text.replace(at, root.size(), "@ROOT@");
        actual[path] = text;
    }
    if (std::getenv("ORVANTA_UPDATE_GOLDEN")) {
        for (const auto& [path, text] : actual) {
            fs::create_directories((golden / path).parent_path());
            writeFile((golden / path).string(), text);
        }
    }
    const std::map<std::string, std::string> expected = kmlFilesUnder(golden);
    ASSERT_EQ(actual.size(), expected.size());
    for (const auto& [path, text] : expected)
        EXPECT_EQ(actual[path], text) << path;
}

TEST_F(KmlTreeTest, GoldenFolderOf1024TilesNotAligned) {
    image("a.jpg", "a.jgw", "10.0", "20.0");
    image("b.JPG", "b.jgw", "10.512", "20.25");
    writePyramid(root, SizeClass::S1024, "a");
    writePyramid(root, SizeClass::S1024, "b");
    EXPECT_EQ(FormatCoord(write(folderRequest(SizeClass::S1024)).value().west), "10.0");
    EXPECT_TRUE(host.messages.empty());
    // The golden root holds north from b and west from a as its world file writes it.
    expectGolden(root, "kml_1024_folder");
}

TEST_F(KmlTreeTest, GoldenHosted2048WithPngAndMissingPictures) {
    image("a.jpg", "a.jgw", "-122.50000000", "47.25000000");
    writePyramid(root, SizeClass::S2048, "a");
    writeFile(path("Tgroup1/a_0.png"), "x");
    fs::remove(path("Tgroup1/Sgroup2/a_3_3_3.JPG"));
    KmlTreeRequest request = folderRequest(SizeClass::S2048);
    request.url = "http://example.com/Tilesproject/";
    request.order = DisplayOrder::High;
    ASSERT_TRUE(write(request));
    expectGolden(root, "kml_2048_hosted");
}

TEST_F(KmlTreeTest, GoldenSingle4096HighOrder) {
    image("img.jpg", "img.jgw", "5", "-1");
    writePyramid(makeTileRoot(path("img")), SizeClass::S4096, "img");
    KmlTreeRequest request{SizeClass::S4096,       path("img"),       path("img.kml"), {}, "img",
                           "http://example.com/t", DisplayOrder::High};
    request.sources = {singleImageTile(root, "img", path("img.jpg"))};
    ASSERT_TRUE(write(request));
    expectGolden(root, "kml_4096_single");
}

// With exact edges, the tile's edges are the corners of its pixels, half a pixel beyond the
// centre of the upper-left one.
TEST_F(KmlTreeTest, GoldenSingle1024WithExactEdges) {
    image("img.jpg", "img.jgw", "5.0005", "-0.9995");
    writePyramid(makeTileRoot(path("img")), SizeClass::S1024, "img");
    KmlTreeRequest request{SizeClass::S1024, path("img"), path("img.kml"), {}, "img", "",
                           DisplayOrder::Low};
    request.sources = {singleImageTile(root, "img", path("img.jpg"))};
    request.exactEdges = true;
    ASSERT_TRUE(write(request));
    expectGolden(root, "kml_1024_exact");
}

// Two 2048 tiles with world files and their pyramids: 2 x 85 tile files and the root, all
// well-formed even with "&" in the name, and every link and picture href names an existing file.
TEST_F(KmlTreeTest, FolderOfTwo2048TilesLinksOnlyExistingFiles) {
    image("north.jpg", "north.jgw", "30", "60");
    image("south.jpg", "south.jgw", "30", "57.952");
    writePyramid(root, SizeClass::S2048, "north");
    writePyramid(root, SizeClass::S2048, "south");
    KmlTreeRequest request = folderRequest(SizeClass::S2048);
    request.imageName = "fields&roads";
    ASSERT_TRUE(write(request));
    EXPECT_NE(readFile(rootFile).find("<name>fields&amp;roads</name>"), std::string::npos);
    const testing::KmlTreeWalk walk = testing::walkKmlTree(rootFile);
    EXPECT_EQ(walk.files, 2 * 85 + 1);
    EXPECT_EQ(walk.overlays, 2 * 85);
    EXPECT_EQ(walk.missing, std::vector<std::string>{});
    std::vector<std::string> argv{"xmllint", "--noout"};
    for (const auto& entry : kmlFiles())
        argv.push_back(path(entry.first));
    EXPECT_EQ(runProgramAndWait(argv, std::chrono::seconds(60)), 0);
}

// A tile without a world file ends the run with no file written, the earlier root file kept;
// only a GeoTIFF asks the converter for one, once.
TEST_F(KmlTreeTest, MissingWorldFileEndsTheRunAndKeepsTheEarlierRoot) {
    writeFile(rootFile, "old text");
    image("a.jpg", "a.jgw", "10", "20");
    image("b.jpg", "", "10", "20");
    EXPECT_FALSE(write(folderRequest(SizeClass::S1024)));
    EXPECT_EQ(host.statuses.back(), "Generating kml files...");
    EXPECT_EQ(kmlFiles(), (std::map<std::string, std::string>{{"Area.kml", "old text"}}));
    EXPECT_TRUE(host.ran.empty());

    fs::remove(path("b.jpg"));
    image("g.tif", "", "10", "20");
    image("h.tif", "", "10", "20");
    // The converter writes beside the link it is given; none for h.tif.
    host.onRun = [&](const std::vector<std::string>& argv) {
        fs::path world(argv.back());
        if (world.stem() == "g")
            writeFile(world.replace_extension(".tfw").string(), "0.001\n0\n0\n-0.001\n10\n20\n");
        return std::optional<int>(0);
    };
    EXPECT_FALSE(write(folderRequest(SizeClass::S1024)));
    ASSERT_EQ(host.ran.size(), 2u);
    EXPECT_EQ(fs::path(host.ran[0].back()).filename(), "g.tif");
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{missingWorldFileMessage(folderTile(root, "b.jpg")),
                                        missingWorldFileMessage(folderTile(root, "h.tif"))}));
}

// Every tile must lie in degrees: a longitude or a latitude out of range ends the run.
TEST_F(KmlTreeTest, TileOutsideGeographicRangeEndsWithProjectionMessage) {
    image("a.jpg", "a.jgw", "10", "20");
    for (const auto& [west, north] : {std::pair{"500000", "20"}, std::pair{"10", "4000000"}}) {
        host.messages.clear();
        image("b.jpg", "b.jgw", west, north);
        EXPECT_FALSE(write(folderRequest(SizeClass::S1024))) << west;
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text.find(std::string(kProjectionMessage) + " Lines 5 and 6 of"),
                  0u);
        EXPECT_EQ(host.statuses.back(),
                  "Transformatiom was not complete due to Error is Image Projection...");
        EXPECT_TRUE(kmlFiles().empty());
    }
}

// A file that cannot be written is skipped; the tree is finished.
// The other files are written; the root file, which would link the broken tree, is not.
TEST_F(KmlTreeTest, UnwritableFileIsSkippedAndKeepsTheRootFile) {
    image("a.jpg", "a.jgw", "10", "20");
    fs::create_directories(path("kml/a_2.kml"));  // a folder stands in the file's way
    EXPECT_FALSE(write(folderRequest(SizeClass::S1024)));
    EXPECT_EQ(kmlFiles().size(), 20u);
    EXPECT_FALSE(fs::exists(folderRequest(SizeClass::S1024).rootFile));
    EXPECT_EQ(policy.skippedSteps(), 1);
    EXPECT_TRUE(host.statuses.empty() || host.statuses.back() == kGeneratingKmlStatus);
}

TEST_F(KmlTreeTest, LettersCaseOfDerivedNamesIsLoose) {
    image("a.jpg", "A.JGW", "10", "20");
    writePyramid(root, SizeClass::S1024, "a");
    fs::rename(path("Tgroup1/Sgroup1/a_0.JPG"), path("Tgroup1/Sgroup1/a_0.PNG"));
    fs::rename(path("Tgroup1.txt"), path("TGROUP1.TXT"));
    EXPECT_TRUE(write(folderRequest(SizeClass::S1024)));
    EXPECT_TRUE(host.messages.empty());
    const std::string level2 = readFile(path("kml/a_1.kml"));
    EXPECT_NE(level2.find("/Tgroup1/Sgroup1/a_0.PNG</href>"), std::string::npos);
}

// Names, links, pictures and hrefs of whole trees are checked against the golden trees above, which
// pin the fade and Lod lines of 1024 LOW, 2048 HIGH and 4096 HIGH; these cases cover what those do
// not show: the order of the files, 1024 HIGH and 4096 LOW.

// The files of tile "a"; with `picture`, empty cells are left out and the lookup finds that
// picture only.
std::vector<KmlFile> treeOf(SizeClass sizeClass, DisplayOrder order,
                            const std::string& picture = "") {
    const KmlTreeOptions options{&kmlTreeLayout(sizeClass), "R", "", order, "JPG", "img", false, "",
                                 !picture.empty()};
    const KmlTile tile{"a", TileBounds(parseWorldFile("0.001\n0\n0\n-0.001\n10\n20\n"), 1024)};
    const auto lookup = [&](const std::string&, const std::string& name) {
        return name == picture ? name : "";
    };
    return tileKml(options, tile, lookup).files;
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
        {5, "R/Tgroup1/kml/a_1_1.kml"},
        {21, "R/Tgroup1/Sgroup1/kml/a_1_1_1.kml"},
        {85, "R/Tgroup1/Sgroup2/kml/a_1_1_1_1.kml"},
        {340, "R/Tgroup1/Sgroup2/kml/a_4_4_4_4.kml"}};
    for (const auto& [index, path] : firstOfLevel)
        EXPECT_EQ(files[index].path, fs::path(path).make_preferred().string());
}

// Empty cells left out, a cell whose only picture lies in its fourth quadrant keeps its file and
// its link.
TEST(KmlTreePlan, CellsAboveTheOnlyPictureAreKept) {
    const auto files = treeOf(SizeClass::S1024, DisplayOrder::Low, "a_3_3.JPG");
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[2].path, fs::path("R/Tgroup1/Sgroup1/kml/a_4_4.kml").make_preferred().string());
    EXPECT_TRUE(has(files[0], "/a_4.kml</href>") && has(files[1], "/a_4_4.kml</href>"));
}

TEST(KmlTreePlan, FadeAndLodByLevelAndDisplayOrder) {
    // 1024 HIGH and 4096 LOW: the fixed fade pair everywhere.
    const auto f1024 = treeOf(SizeClass::S1024, DisplayOrder::High);
    const auto low = treeOf(SizeClass::S4096, DisplayOrder::Low);
    for (const auto* files : {&f1024, &low}) {
        for (const KmlFile& file : *files)
            EXPECT_FALSE(has(file, "<minFadeExtent>384</minFadeExtent>")) << file.path;
    }
    // The tile's own Lod follows the order: 384 for HIGH, 0 for LOW.
    EXPECT_TRUE(has(f1024[0], "\n            <minLodPixels>384</minLodPixels>"));
    EXPECT_TRUE(has(low[0], "\n       <minLodPixels>0</minLodPixels>"));
}

// What the golden trees cannot show is how a setting's text maps to the display order.
TEST(KmlDisplayOrder, OnlyExactHighIsHigh) {
    EXPECT_EQ(displayOrderOf("HIGH"), DisplayOrder::High);
    for (const char* text : {"high", "LOW", "", " HIGH"})
        EXPECT_EQ(displayOrderOf(text), DisplayOrder::Low) << text;
}

TEST(Hrefs, EncodedOnlyWhereAUrlReaderWouldReadThemOtherwise) {
    const struct {
        std::string path, href, strict;
    } rows[] = {
        {"/maps/a_0_1.JPG", "/maps/a_0_1.JPG", "/maps/a_0_1.JPG"},
        {"/my maps/#1/50%?.png", "/my%20maps/%231/50%25%3F.png", "/my%20maps/%231/50%25%3F.png"},
        {"a:b/c:d.kml", "a%3Ab/c:d.kml", "a%3Ab/c%3Ad.kml"},
        {"../x:y\\z\t.kml", "../x:y%5Cz%09.kml", "../x%3Ay%5Cz%09.kml"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(hrefPath(row.path), row.href) << row.path;
        EXPECT_EQ(strictUrlPath(row.path), row.strict) << row.path;
        EXPECT_EQ(hrefTarget(row.href), row.path);
    }
    // Paths are encoded, a web server's URL stays as typed.
    EXPECT_EQ(treeHref("/r #1", TreeFolder::S1, "", "", "a%.JPG"),
              "/r%20%231/Tgroup1/Sgroup1/a%25.JPG");
    EXPECT_EQ(treeHref("/r", TreeFolder::S1, "http://h/a%20b", "", "a b.JPG"),
              "http://h/a%20b/Tgroup1/Sgroup1/a%20b.JPG");
    EXPECT_EQ(treeHref("/r", TreeFolder::T1, "", "/r/kml", "kml/x#.kml"),
              "../Tgroup1/kml/x%23.kml");
}

TEST(KmlFragments, HrefsAndNamesAreXmlText) {
    KmlWriter out;
    writeGroundOverlay(out, GroundOverlay{3, "a&b<c>.JPG", {}, BoundsStyle::Plain});
    writeTileLink(out, KmlLink{"n&<", {}, "x.kml"}, FadePair::High);
    EXPECT_NE(out.text().find("<href>a&amp;b&lt;c&gt;.JPG</href>"), std::string::npos);
    EXPECT_NE(out.text().find("<name>n&amp;&lt;</name>"), std::string::npos);
}

// A name holding "</script>" or markup ends neither the page's index nor its title.
TEST(PreviewPage, NamesCannotEndTheIndexTheTitleOrALink) {
    EXPECT_EQ(jsonString("</script>\"\\\n&"), R"("\u003c/script\u003e\"\\\u000a\u0026")");
    const std::string hostile = "</script><b>\"&";
    const TreeCell cell{1, {}, 0, 0, "/maps/" + hostile + " #.JPG", {}, {}};
    const std::string text = previewPageText({"/maps/p.html",
                                              hostile,
                                              {"/maps/" + hostile + ".kml"},
                                              {TreeIndex{"/maps/t.kml", {}, 0, {cell}}}});
    EXPECT_NE(text.find("<title>&lt;/script&gt;&lt;b&gt;&quot;&amp;</title>"), std::string::npos);
    EXPECT_NE(text.find("\"picture\":\"%3C/script%3E%3Cb%3E%22%26%20%23.JPG\""), std::string::npos);
    EXPECT_NE(text.find("<a href=\"%3C/script%3E%3Cb%3E%22%26.kml\">"), std::string::npos);
}

}  // namespace
}  // namespace orvanta
