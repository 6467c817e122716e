#include "imagery/folder_scan.h"

#include <gtest/gtest.h>

#include "imagery/header_bytes.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

using testing::FakeHost;
using testing::ScratchDir;
using testing::writeFile;

constexpr const char* kWgs84World = "0.0001\r\n0\r\n0\r\n-0.0001\r\n10.5\r\n50.25\r\n";

class FolderScanTest : public ::testing::Test {
  protected:
    // A PNG header of the given size (no pixels needed), with a WGS84 world file or none.
    void image(const std::string& base, std::uint32_t edge, bool withWorld = true) {
        writeFile(dir / (base + ".png"), testing::pngFile(edge, edge));
        if (withWorld)
            writeFile(dir / (base + ".pgw"), kWgs84World);
    }
    float scan() { return getdirinfo(app, folder); }
    FakeHost::Message message(const std::string& text) { return {text, kAppTitle}; }

    ScratchDir dir;
    std::string folder = dir.path().string();
    FakeHost host;
    AppState app{host};
};

TEST_F(FolderScanTest, NoImagesNoMessage) {
    EXPECT_EQ(scan(), 0.0f);
    writeFile(dir / "a.bmp", "BM");
    writeFile(dir / "a.bpw", kWgs84World);
    EXPECT_EQ(scan(), 0.0f);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(FolderScanTest, ReferencedTilesOfOneSize) {
    for (const char* name : {"d", "a", "C", "b"})
        image(name, 2048);
    // World files are found whatever their letter case.
    writeFile(dir / "IMG.PNG", testing::pngFile(2048, 2048));
    writeFile(dir / "img.PGW", kWgs84World);
    app.settings.imageName = "stale";
    EXPECT_EQ(scan(), 1.0f);
    EXPECT_EQ(app.run.sizeClass, SizeClass::S2048);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(app.settings.imageName, "");
    EXPECT_EQ(app.settings.kmlFolder, folder);
}

TEST_F(FolderScanTest, SomeWorldFilesMissingAsksWhetherToGoOn) {
    for (const char* name : {"a", "b", "c"})
        image(name, 2048);
    image("d", 2048, false);
    const FakeHost::Message question{someWorldFilesMissingMessage(folder, 1),
                                     "Missing Reference 'world files'"};
    EXPECT_EQ(question.text, "This folder '" + folder +
                                 "' contains 1 image(s) with no reference 'world file', OVT will "
                                 "not process these files. Do you want to continue?");
    host.yesNoAnswers = {true, false};
    EXPECT_EQ(scan(), 1.0f);
    EXPECT_EQ(scan(), 0.0f);
    EXPECT_EQ(host.questions, (std::vector<FakeHost::Message>{question, question}));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(app.run.sizeClass, SizeClass::S2048);
}

TEST_F(FolderScanTest, NoWorldFilesAtAllThenNoTileSize) {
    image("a", 1000, false);
    image("b", 1000, false);
    app.run.sizeClass = SizeClass::S4096;
    EXPECT_EQ(scan(), 0.0f);
    EXPECT_EQ(host.messages, (std::vector<FakeHost::Message>{message(noWorldFilesMessage(folder)),
                                                             message(noTileSizeMessage(folder))}));
    EXPECT_EQ(host.messages[0].text,
              "This folder '" + folder +
                  "' does not contain any reference 'world file', OVT will not proceced unless "
                  "all images have their associated reference 'world file'");
    EXPECT_EQ(host.messages[1].text,
              "This folder '" + folder +
                  "' does not contain images of acceptable tile sizes. The images must be "
                  "4096x4096 or 2048x2048 , 1024x1024 to be sliced!");
    EXPECT_EQ(app.run.sizeClass, SizeClass::S4096);
}

TEST_F(FolderScanTest, DifferentSizesTakeTheFirstImageAsReference) {
    image("a", 2048);
    image("b", 1024);
    EXPECT_EQ(scan(), 0.0f);
    EXPECT_EQ(host.messages,
              (std::vector<FakeHost::Message>{message(differentSizesMessage(folder))}));
    EXPECT_EQ(host.messages[0].text,
              "This folder '" + folder +
                  "' contains images of different sizes (Width x Height), OVT can not proceed "
                  "unless all images are in the same size (Width x Height). Please remove the "
                  "unmatched images!");
    EXPECT_EQ(app.run.sizeClass, SizeClass::S2048);
}

// A size mismatch is refused even when the person agrees to skip the unreferenced image, and
// an image that cannot be read counts as one of another size.
TEST_F(FolderScanTest, MismatchOrUnreadableImageStaysRefused) {
    image("a", 1024);
    image("b", 2048, false);
    host.yesNoAnswers = {true};
    EXPECT_EQ(scan(), 0.0f);
    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(app.run.sizeClass, SizeClass::S1024);

    writeFile(dir / "b.png", "");
    writeFile(dir / "b.pgw", kWgs84World);
    EXPECT_EQ(scan(), 0.0f);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>(2, differentSizesMessage(folder)));
}

TEST_F(FolderScanTest, ProjectedOrUnreadableWorldFileEndsTheScan) {
    const std::vector<std::string> badWorlds = {
        "1\n0\n0\n-1\n500000\n5000000\n",  // UTM metres
        "0,1\n0\n0\n-0,1\n10,5\n50,25\n",  // commas as decimal separators
        "0.1\n0\n0\n-0.1\n10.5\n",         // five lines
        "north-up\nimage\n",               // text
        "",
    };
    for (const std::string& world : badWorlds) {
        ScratchDir other;
        const std::string otherFolder = other.path().string();
        writeFile(other / "a.png", testing::pngFile(2048, 2048));
        writeFile(other / "a.pgw", kWgs84World);
        writeFile(other / "b.png", testing::pngFile(2048, 2048));
        writeFile(other / "b.pgw", world);
        writeFile(other / "c.png", testing::pngFile(1024, 1024));
        FakeHost fresh;
        AppState state(fresh);
        EXPECT_EQ(getdirinfo(state, otherFolder), 0.0f) << world;
        EXPECT_EQ(fresh.messageTexts(), (std::vector<std::string>{kFolderNotWgs84Message}));
        EXPECT_EQ(state.settings.imageName, "b");
    }
}

TEST_F(FolderScanTest, GeoTiffWithoutWorldFileGetsOneFromTheListingProgram) {
    writeFile(dir / "geo.tif", testing::tiffFile({{256, 1024}, {257, 1024}}));
    // The listing program "writes" the world file; it is neither counted nor tested.
    host.onRun = [this](const std::vector<std::string>& argv) {
        EXPECT_EQ(argv.size(), 3u);
        EXPECT_EQ(argv[1], "-tfw");
        EXPECT_EQ(argv[2], dir / "geo.tif");
        writeFile(dir / "geo.tfw", "1\n0\n0\n-1\n500000\n5000000\n");
        return std::optional<int>(0);
    };
    EXPECT_EQ(scan(), 1.0f);
    EXPECT_EQ(host.ran.size(), 1u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(app.run.sizeClass, SizeClass::S1024);

    // The next scan finds it as an existing world file, and tests it.
    EXPECT_EQ(scan(), 0.0f);
    EXPECT_EQ(host.messageTexts(), (std::vector<std::string>{kFolderNotWgs84Message}));
}

TEST_F(FolderScanTest, GeoTiffLeftWithoutWorldFileIsMissing) {
    writeFile(dir / "geo.tif", testing::tiffFile({{256, 1024}, {257, 1024}}));
    image("a", 1024);
    host.onRun = [](const std::vector<std::string>&) { return std::optional<int>(); };
    host.yesNoAnswers = {false};
    EXPECT_EQ(scan(), 0.0f);
    EXPECT_EQ(host.questions.at(0).text, someWorldFilesMissingMessage(folder, 1));
}

}  // namespace
}  // namespace orvanta
