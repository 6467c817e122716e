#include "kml/kml_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/app_state.h"
#include "platform/os_services.h"
#include "platform/process.h"
#include "support/fake_host.h"
#include "support/kml_walk.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::FakeHost;
using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

std::string native(std::string path) {
    for (char& c : path)
        c = c == '/' ? kPathSeparator : c;
    return path;
}

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
// tile root and the number of quadrant digits of the names in it.
const std::map<SizeClass, std::vector<std::pair<std::string, int>>> kPyramid = {
    {SizeClass::S1024, {{"Tgroup1/Sgroup1", 0}, {"Tgroup1/Sgroup1", 1}, {"Tgroup1/Sgroup1", 2}}},
    {SizeClass::S2048,
     {{"Tgroup1", 0}, {"Tgroup1", 1}, {"Tgroup1/Sgroup1", 2}, {"Tgroup1/Sgroup2", 3}}},
    {SizeClass::S4096,
     {{"Tgroup2", 0},
      {"Tgroup2", 1},
      {"Tgroup1/Sgroup1", 2},
      {"Tgroup1/Sgroup1", 3},
      {"Tgroup1/Sgroup2", 4}}},
};

// A tile root on disk: marker file, kml folders, source images with world files, pyramids of
// placeholder pictures (only their existence matters to the KML).
class TileRoot {
  public:
    explicit TileRoot(std::string root) : root_(std::move(root)) {
        for (const char* folder :
             {"kml", "Tgroup1/kml", "Tgroup2/kml", "Tgroup1/Sgroup1/kml", "Tgroup1/Sgroup2/kml"}) {
            fs::create_directories(path(folder));
        }
        writeFile(path("Tgroup1.txt"), " JPG \r\n");
    }

    std::string path(const std::string& relative) const {
        return root_ + kPathSeparator + native(relative);
    }

    // A source image whose upper-left pixel is at (west, north), 0.001 degrees a pixel.
    void image(const std::string& file, const std::string& worldFile, const std::string& west,
               const std::string& north) const {
        writeFile(path(file), "x");
        if (!worldFile.empty()) {
            writeFile(path(worldFile), "0.001\r\n0\r\n0\r\n-0.001\r\n" + west + "\r\n" + north);
        }
    }

    void pyramid(SizeClass sizeClass, const std::string& name) const {
        for (const auto& [folder, digits] : kPyramid.at(sizeClass)) {
            for (int n = 0; n < (1 << (2 * digits)); ++n) {
                std::string picture = name;
                for (int d = digits - 1; d >= 0; --d)
                    picture += "_" + std::to_string(n >> (2 * d) & 3);
                writeFile(path(folder + "/" + picture + ".JPG"), "x");
            }
        }
    }

    std::map<std::string, std::string> kmlFiles() const { return kmlFilesUnder(root_); }

  private:
    std::string root_;
};

struct KmlTreeTest : ::testing::Test {
    ScratchDir scratch;
    FakeHost host;
    AppState app{host};
    TileRoot root{scratch / "tiles"};

    KmlTreeTest() {
        app.settings.projectName = "Area";
        app.settings.tilesFolder = scratch / "tiles";
        app.settings.openWhenDone = false;
        app.settings.googleEarthProgram = "/opt/earth";
        app.run.root1024 = app.run.root2048 = app.run.root4096 = scratch / "tiles";
    }
    std::string rootFile() const { return root.path("Area.kml"); }
};

// Checks every KML file against the golden tree of the case, the root path written as @ROOT@.
// ORVANTA_UPDATE_GOLDEN=1 writes the golden tree instead.
void expectGolden(const TileRoot& root, const std::string& rootPath, const std::string& name) {
    const fs::path golden = fs::path(ORVANTA_SOURCE_DIR) / "tests" / "data" / name;
    std::map<std::string, std::string> actual;
    for (auto [path, text] : root.kmlFiles()) {
        for (std::size_t at; (at = text.find(rootPath)) != std::string::npos;) {
            text.replace(at, rootPath.size(), "@ROOT@");
        }
        actual[path] = text;
    }
    if (std::getenv("ORVANTA_UPDATE_GOLDEN")) {
        fs::remove_all(golden);
        for (const auto& [path, text] : actual) {
            fs::create_directories((golden / path).parent_path());
            writeFile((golden / path).string(), text);
        }
        writeFile((golden / ".gitattributes").string(), "* -text\n");
    }
    const std::map<std::string, std::string> expected = kmlFilesUnder(golden);
    ASSERT_EQ(actual.size(), expected.size());
    for (const auto& [path, text] : expected) {
        EXPECT_EQ(actual[path], text) << path;
    }
}

TEST_F(KmlTreeTest, GoldenFolderOf1024TilesNotAligned) {
    root.image("a.jpg", "a.jgw", "10.0", "20.0");
    root.image("b.JPG", "b.jgw", "10.512", "20.25");
    root.pyramid(SizeClass::S1024, "a");
    root.pyramid(SizeClass::S1024, "b");
    MakeKml1024(app);
    EXPECT_EQ(host.messages.size(), 0u);
    EXPECT_EQ(app.statusText(), "KML files was written successfully...");
    // The golden root holds north from b and west from a as its world file writes it.
    expectGolden(root, scratch / "tiles", "kml_1024_folder");
}

TEST_F(KmlTreeTest, GoldenHosted2048WithPngAndMissingPictures) {
    app.settings.drawOrder = "HIGH";
    app.settings.hostOnWebServer = true;
    app.settings.webServerUrl = "http://example.com/Tilesproject/";
    root.image("a.jpg", "a.jgw", "-122.50000000", "47.25000000");
    root.pyramid(SizeClass::S2048, "a");
    writeFile(root.path("Tgroup1/a_0.png"), "x");
    fs::remove(root.path("Tgroup1/Sgroup2/a_3_3_3.JPG"));
    MakeKml2048(app);
    EXPECT_EQ(app.statusText(), "KML files were written successfully...");
    expectGolden(root, scratch / "tiles", "kml_2048_hosted");
}

TEST_F(KmlTreeTest, GoldenSingle4096HighOrder) {
    app.settings.tilesFolder.clear();
    app.settings.imageFolder = scratch / "tiles";
    app.settings.imageName = "img";
    app.settings.projectImage = root.path("img.jpg");
    app.settings.drawOrder = "HIGH";
    app.settings.hostOnWebServer = true;
    app.settings.webServerUrl = "http://example.com/t";
    root.image("img.jpg", "img.jgw", "5", "-1");
    TileRoot pyramidRoot(root.path("img"));
    pyramidRoot.pyramid(SizeClass::S4096, "img");
    MakeKml4096(app);
    EXPECT_EQ(app.run.root4096, root.path("img"));
    EXPECT_EQ(app.run.root2048, root.path("img/Tgroup2"));
    EXPECT_EQ(app.run.root1024, root.path("img/Tgroup1"));
    expectGolden(root, scratch / "tiles", "kml_4096_single");
}

// Two 2048 tiles with world files and their pyramids: 2 x 85 tile files and the root, all
// well-formed, and every link and picture href names an existing file.
TEST_F(KmlTreeTest, FolderOfTwo2048TilesLinksOnlyExistingFiles) {
    root.image("north.jpg", "north.jgw", "30", "60");
    root.image("south.jpg", "south.jgw", "30", "57.952");
    root.pyramid(SizeClass::S2048, "north");
    root.pyramid(SizeClass::S2048, "south");
    MakeKml2048(app);
    const testing::KmlTreeWalk walk = testing::walkKmlTree(rootFile());
    EXPECT_EQ(walk.files, 2 * 85 + 1);
    EXPECT_EQ(walk.overlays, 2 * 85);
    EXPECT_EQ(walk.missing, std::vector<std::string>{});
    std::vector<std::string> argv{"xmllint", "--noout"};
    for (const auto& entry : root.kmlFiles())
        argv.push_back(root.path(entry.first));
    EXPECT_EQ(argv.size(), 2u + 2 * 85 + 1);
    EXPECT_EQ(runProgramAndWait(argv, std::chrono::seconds(60)), 0);
}

TEST_F(KmlTreeTest, MissingWorldFileEndsWithEmptyRootAndNoOtherFile) {
    writeFile(rootFile(), "old text");
    root.image("a.jpg", "a.jgw", "10", "20");
    root.image("b.jpg", "", "10", "20");
    MakeKml1024(app);
    EXPECT_EQ(
        host.messages,
        (std::vector<FakeHost::Message>{{missingWorldFileMessage(root.path("b.jgw")), "Orvanta"}}));
    EXPECT_EQ(app.statusText(), "Generating kml files...");
    EXPECT_EQ(root.kmlFiles(), (std::map<std::string, std::string>{{"Area.kml", ""}}));
    EXPECT_EQ(host.ran.size(), 0u);  // only a GeoTIFF asks the converter
}

TEST_F(KmlTreeTest, GeoTiffWorldFileComesFromTheConverterOnce) {
    root.image("g.tif", "", "10", "20");
    host.onRun = [&](const std::vector<std::string>& argv) {
        writeFile(root.path("g.tfw"), "0.001\n0\n0\n-0.001\n10\n20\n");
        EXPECT_EQ(argv.size(), 3u);
        EXPECT_EQ(argv[1], "-tfw");
        EXPECT_EQ(argv[2], root.path("g.tif"));
        return std::optional<int>(0);
    };
    MakeKml2048(app);
    EXPECT_EQ(host.ran.size(), 1u);
    EXPECT_EQ(app.statusText(), "KML files were written successfully...");

    // A converter that writes nothing ends the run with the missing-world-file message.
    root.image("h.tif", "", "10", "20");
    host.onRun = [](const std::vector<std::string>&) { return std::optional<int>(1); };
    MakeKml2048(app);
    EXPECT_EQ(host.ran.size(), 2u);
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{missingWorldFileMessage(root.path("h.tfw"))});
}

TEST_F(KmlTreeTest, LastTileOutsideGeographicRangeEndsWithProjectionMessage) {
    root.image("a.jpg", "a.jgw", "10", "20");
    root.image("b.jpg", "b.jgw", "500000", "4000000");
    MakeKml1024(app);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{kProjectionMessage});
    EXPECT_EQ(app.statusText(),
              "Transformatiom was not complete due to Error is Image Projection...");
    EXPECT_EQ(root.kmlFiles().size(), 1u);
    EXPECT_EQ(readFile(rootFile()), "");
}

// A file that cannot be written is skipped; the tree is finished and the person is told.
TEST_F(KmlTreeTest, UnwritableFileIsSkippedAndReported) {
    root.image("a.jpg", "a.jgw", "10", "20");
    fs::create_directories(root.path("kml/a_2.kml"));  // a folder stands in the file's way
    MakeKml1024(app);
    EXPECT_EQ(root.kmlFiles().size(), 1u + 20);
    EXPECT_EQ(app.statusText(), "KML files was written successfully...");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(
        host.messages[0].text.rfind("1 step failed and was skipped. The first failure: 75 ", 0),
        0u);
}

TEST_F(KmlTreeTest, EmptyFileListWritesRootWithStartingBounds) {
    MakeKml2048(app);
    EXPECT_EQ(root.kmlFiles().size(), 1u);
    const std::string text = readFile(rootFile());
    EXPECT_NE(text.find("<north>-90</north>\r\n        <south>90</south>\r\n        "
                        "<east>-180</east>\r\n        <west>180</west>"),
              std::string::npos);
    EXPECT_EQ(text.find("<NetworkLink>"), std::string::npos);
    EXPECT_EQ(app.statusText(), "KML files were written successfully...");
}

TEST_F(KmlTreeTest, LettersCaseOfDerivedNamesIsLoose) {
    root.image("a.jpg", "A.JGW", "10", "20");
    root.pyramid(SizeClass::S1024, "a");
    fs::rename(root.path("Tgroup1/Sgroup1/a_0.JPG"), root.path("Tgroup1/Sgroup1/a_0.PNG"));
    fs::rename(root.path("Tgroup1.txt"), root.path("TGROUP1.TXT"));
    MakeKml1024(app);
    EXPECT_EQ(host.messages.size(), 0u);
    const std::string level2 = readFile(root.path("kml/a_1.kml"));
    EXPECT_NE(level2.find("/Tgroup1/Sgroup1/a_0.PNG</href>"), std::string::npos);
}

TEST_F(KmlTreeTest, BatchFolderNamesItsRootByTheIndex) {
    TileRoot second(scratch / "second");
    second.image("a.jpg", "a.jgw", "10", "20");
    app.settings.multipleFolders = true;
    app.settings.batchFolders = {scratch / "tiles", scratch / "second"};
    app.batchIndex = "1";
    MakeKml2048(app);
    EXPECT_TRUE(fs::is_regular_file(second.path("Area1.kml")));
    EXPECT_TRUE(fs::is_regular_file(second.path("kml/a.kml")));
    EXPECT_EQ(app.run.root2048, scratch / "second");
    EXPECT_EQ(app.run.root1024, second.path("Tgroup1"));
    EXPECT_EQ(FormatCoord(app.folderBounds.west), "10");

    app.batchIndex = "2";  // no such folder: reported, nothing written
    MakeKml2048(app);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.rfind("5 ", 0), 0u);
}

TEST_F(KmlTreeTest, GoogleEarthStartsOnTheTopFileWhenAsked) {
    root.image("a.jpg", "a.jgw", "10", "20");
    app.settings.openWhenDone = true;
    MakeKml1024(app);
    EXPECT_EQ(app.run.topKmlPath, rootFile());
    EXPECT_EQ(host.started, (std::vector<std::vector<std::string>>{{"/opt/earth", rootFile()}}));

    // A single image opens the file named after it in the output KML folder.
    app.run.singleImage = true;
    app.settings.imageFolder = scratch / "tiles";
    app.settings.imageName = "a";
    app.settings.projectImage = root.path("a.jpg");
    app.settings.kmlFolder = "/x/Documents and Settings/u";
    const TileRoot pyramidRoot(root.path("a"));
    MakeKml1024(app);
    EXPECT_EQ(host.messages.size(), 0u);
    EXPECT_EQ(app.run.topKmlPath, "/x/Docume~1/u/a.kml");
    EXPECT_TRUE(fs::is_regular_file(root.path("a.kml")));
    EXPECT_NE(readFile(root.path("a.kml")).find("<name>a0</name>"), std::string::npos);
}

}  // namespace
}  // namespace orvanta
