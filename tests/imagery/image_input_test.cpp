// What imagery reads from the input images: binary headers (from hand-built bytes and from real
// files), the facts and size class of one image, and the scan of a folder of tiles.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "imagery/folder_scan.h"
#include "imagery/geotiff.h"
#include "imagery/header_readers.h"
#include "imagery/image_header.h"
#include "imagery/world_file.h"
#include "magick/commands.h"
#include "platform/process.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

using testing::FakeHost;
using testing::ScratchDir;
using testing::writeFile;

// Hand-built image headers: the bytes a file starts with, without any pixels.

std::string bigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string littleEndian(std::uint32_t value, int bytes) {
    const std::string big = bigEndian(value, bytes);
    return {big.rbegin(), big.rend()};
}

const std::string kPngSignature = "\x89PNG\r\n\x1a\n";

std::string pngChunk(const std::string& type, const std::string& data) {
    return bigEndian(static_cast<std::uint32_t>(data.size()), 4) + type + data + "CRC!";
}

std::string ihdr(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType) {
    return pngChunk("IHDR", bigEndian(width, 4) + bigEndian(height, 4) +
                                static_cast<char>(bitDepth) + static_cast<char>(colourType) +
                                std::string(3, '\0'));
}

std::string phys(std::uint32_t perUnit, int unit) {
    return pngChunk("pHYs",
                    bigEndian(perUnit, 4) + bigEndian(perUnit, 4) + static_cast<char>(unit));
}

// A PNG file that ends after its first IDAT chunk's frame.
std::string pngFile(std::uint32_t width, std::uint32_t height, int bitDepth = 8, int colourType = 6,
                    const std::string& extraChunks = "") {
    return kPngSignature + ihdr(width, height, bitDepth, colourType) + extraChunks +
           pngChunk("IDAT", "") + pngChunk("IEND", "");
}

struct TiffEntry {
    std::uint16_t tag;
    std::uint32_t value;
};

// A little-endian TIFF whose first IFD holds the entries; XResolution, when given as a
// rational, is stored after the IFD and its entry points there.
std::string tiffFile(std::vector<TiffEntry> entries, std::uint32_t numerator = 0,
                     std::uint32_t denominator = 0) {
    const std::uint32_t ifd = 8;
    const std::uint32_t rationalAt = ifd + 2 + static_cast<std::uint32_t>(entries.size()) * 12 + 4;
    if (denominator != 0)
        entries.push_back({282, rationalAt + 12});
    std::string out = "II" + littleEndian(42, 2) + littleEndian(ifd, 4) +
                      littleEndian(static_cast<std::uint32_t>(entries.size()), 2);
    for (const TiffEntry& e : entries) {
        out += littleEndian(e.tag, 2) + littleEndian(4, 2) + littleEndian(1, 4) +
               littleEndian(e.value, 4);
    }
    // No next IFD, then the rational.
    return out + littleEndian(0, 4) + littleEndian(numerator, 4) + littleEndian(denominator, 4);
}

std::string jpegSegment(int code, const std::string& payload) {
    return std::string("\xFF") + static_cast<char>(code) +
           bigEndian(static_cast<std::uint32_t>(payload.size() + 2), 2) + payload;
}

std::string jfif(int unit, std::uint32_t density) {
    return jpegSegment(0xE0, std::string("JFIF\0", 5) + "\x01\x01" + static_cast<char>(unit) +
                                 bigEndian(density, 2) + bigEndian(density, 2) + "\0\0");
}

// A start-of-frame segment (0xC0 baseline, 0xC2 progressive).
std::string startOfFrame(int code, std::uint32_t width, std::uint32_t height, int components) {
    return jpegSegment(code, std::string("\x08") + bigEndian(height, 2) + bigEndian(width, 2) +
                                 static_cast<char>(components) + std::string(3 * components, 1));
}

// A JPEG: start of image, the segments, a start of scan and some entropy-coded bytes.
std::string jpegFile(const std::string& segments) {
    return "\xFF\xD8" + segments + jpegSegment(0xDA, std::string(10, '\x01')) + "\x12\x34\x56";
}

// Runs a reader on the bytes after the two signature bytes, as the loader does.
template <typename Reader>
std::pair<bool, ImageHeaderInfo> readHeader(Reader reader, const std::string& file) {
    std::istringstream in(file);
    in.seekg(std::min<std::size_t>(2, file.size()));
    ImageHeaderInfo info;
    const bool ok = reader(in, info);
    return {ok, info};
}

ImageHeaderInfo facts(std::uint32_t w, std::uint32_t h, int depth, std::uint32_t resolution,
                      bool grey) {
    return {w, h, static_cast<std::uint8_t>(depth), resolution, grey};
}

TEST(PngHeader, ColourGreyAndResolution) {
    EXPECT_EQ(readHeader(GetHeaderPNG, pngFile(2048, 2048, 8, 6, phys(2835, 1))),
              std::pair(true, facts(2048, 2048, 24, 72, false)));
    EXPECT_EQ(readHeader(GetHeaderPNG, pngFile(16, 8, 8, 0)).second, facts(16, 8, 8, 0, true));
    EXPECT_EQ(readHeader(GetHeaderPNG, pngFile(16, 8, 8, 4)).second, facts(16, 8, 8, 0, true));
    EXPECT_EQ(readHeader(GetHeaderPNG, pngFile(16, 8, 16, 0)).second, facts(16, 8, 16, 0, false));
    EXPECT_EQ(readHeader(GetHeaderPNG, pngFile(16, 8, 8, 3)).second, facts(16, 8, 8, 0, false));
    EXPECT_EQ(readHeader(GetHeaderPNG, pngFile(40000, 70000)).second,
              facts(40000, 70000, 24, 0, false));
    // 2500 pixels per metre is 63.5 dpi: ties go to the even neighbour.
    EXPECT_EQ(readHeader(GetHeaderPNG, pngFile(1, 1, 8, 2, phys(2500, 1))).second.resolution, 64u);
    // A pHYs without the metre unit gives no resolution.
    EXPECT_EQ(readHeader(GetHeaderPNG, pngFile(1, 1, 8, 2, phys(2835, 0))).second.resolution, 0u);
}

TEST(TiffHeader, SizeAndResolutionRules) {
    const std::vector<TiffEntry> size = {{256, 1024}, {257, 768}};
    const std::vector<TiffEntry> inch = {{256, 1024}, {257, 768}, {296, 2}};
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile(inch, 300, 1)).second,
              facts(1024, 768, 1, 300, false));
    const std::vector<TiffEntry> centimetre = {{256, 1024}, {257, 768}, {296, 3}};
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile(centimetre, 118, 1)).second.resolution, 299u);
    // Inches round to even; without a unit the value counts as centimetres.
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile(inch, 145, 2)).second.resolution, 72u);
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile(size, 100, 1)).second.resolution, 254u);
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile(inch, 5, 0)).second.resolution, 0u);
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile({{256, 40000}, {257, 3}})).second.width, 40000u);
}

TEST(JpegHeader, FrameDensityAndGrey) {
    EXPECT_EQ(readHeader(GetHeaderJPG, jpegFile(jfif(1, 96) + startOfFrame(0xC0, 640, 480, 3))),
              std::pair(true, facts(640, 480, 24, 96, false)));
    EXPECT_EQ(readHeader(GetHeaderJPG, jpegFile(jfif(0, 72) + startOfFrame(0xC0, 8, 8, 1))).second,
              facts(8, 8, 24, 1, true));
    EXPECT_EQ(readHeader(GetHeaderJPG, jpegFile(jfif(2, 118))).second.resolution, 300u);
    EXPECT_EQ(readHeader(GetHeaderJPG, jpegFile(jfif(2, 75))).second.resolution, 190u);
    // Only a baseline frame gives a size.
    EXPECT_EQ(
        readHeader(GetHeaderJPG, jpegFile(jfif(1, 72) + startOfFrame(0xC2, 640, 480, 3))).second,
        facts(0, 0, 24, 72, false));
}

// Wrong signatures are refused; lengths and offsets past the end or stepping backwards end the
// reader with the fields read so far.
TEST(HeaderReaders, HostileBytesEndWithTheFieldsReadSoFar) {
    EXPECT_FALSE(readHeader(GetHeaderPNG, "\x89PNG\r\nXX").first);
    EXPECT_FALSE(readHeader(GetHeaderTIF, "II+\0\x08\0\0\0").first);
    // PNG: no IDAT or IEND; a chunk length far past the end; a file cut inside IHDR.
    const std::string noEnd = kPngSignature + ihdr(1024, 1024, 8, 2) + phys(2835, 1);
    EXPECT_EQ(readHeader(GetHeaderPNG, noEnd).second, facts(1024, 1024, 24, 72, false));
    const std::string huge = kPngSignature + ihdr(7, 9, 8, 2) + bigEndian(0xFFFFFFF0u, 4) + "tEXt";
    EXPECT_EQ(readHeader(GetHeaderPNG, huge).second.width, 7u);
    EXPECT_EQ(readHeader(GetHeaderPNG, pngFile(5, 5).substr(0, 20)),
              std::pair(true, ImageHeaderInfo{}));
    // TIFF: the IFD past the end; an entry count far beyond the file; a rational past the end.
    const std::string past = "II*" + std::string(1, '\0') + littleEndian(0x7FFFFFF0u, 4);
    EXPECT_EQ(readHeader(GetHeaderTIF, past).second, facts(0, 0, 1, 0, false));
    std::string many = tiffFile({{256, 64}, {257, 32}});
    many[8] = many[9] = '\xFF';
    EXPECT_EQ(readHeader(GetHeaderTIF, many).second.width, 64u);
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile({{256, 9}, {282, 0xFFFFFF00u}})).second.width, 9u);
    // JPEG: segment lengths 0 and 1 would step backwards.
    std::string looping = "\xFF\xD8";
    for (int i = 0; i < 500; ++i)
        looping += std::string("\xFF\xE1\x00\x00", 4);
    looping += std::string("\xFF\xE1\x00\x01", 4);
    EXPECT_EQ(readHeader(GetHeaderJPG, looping).second, facts(0, 0, 24, 1, false));
}

// The texts of width, height, bit depth, resolution and greyscale.
std::vector<std::string> texts(const ImageFacts& facts) {
    return {facts.widthText, facts.heightText, facts.bitDepthText, facts.resolutionText,
            facts.greyscaleText};
}

// Real files of the image library: the binary readers fill the texts; the sizes they miss
// (progressive JPEG, big-endian TIFF) are measured; a GIF shows identify's "width,height,depth".
TEST(ImageFacts, RealFilesShowTheirFacts) {
    ScratchDir dir;
    runConvert({"convert", "-size", "40x30", "xc:gray", "-density", "300", "-units",
                "PixelsPerInch", dir / "b.tif"});
    EXPECT_EQ(texts(readImageFacts(dir / "b.tif")),
              (std::vector<std::string>{"40", "30", "1", "300", "False"}));
    runConvert({"convert", "-size", "64x48", "xc:red", "-density", "96", "-units", "PixelsPerInch",
                dir / "c.jpg"});
    EXPECT_EQ(texts(readImageFacts(dir / "c.jpg")),
              (std::vector<std::string>{"64", "48", "24", "96", "False"}));
    runConvert({"convert", "-size", "320x200", "xc:red", "-interlace", "JPEG", dir / "p.jpg"});
    const ImageFacts progressive = readImageFacts(dir / "p.jpg");
    EXPECT_EQ(progressive.widthText, "320");
    EXPECT_EQ(progressive.header.bitDepth, 24);  // the reader's other facts stay
    runConvert({"convert", "-size", "300x100", "xc:red", "-endian", "MSB", dir / "m.tif"});
    EXPECT_EQ(texts(readImageFacts(dir / "m.tif"))[1], "100");
    // The GIF's depth is the library's sample depth; its size follows the texts.
    runConvert({"convert", "-size", "50x60", "xc:red", dir / "g.gif"});
    const ImageFacts gif = readImageFacts(dir / "g.gif");
    const std::string depth = runIdentify({"identify", "-format", "%q", dir / "g.gif"});
    EXPECT_EQ(texts(gif), (std::vector<std::string>{"50", "60", depth, "", ""}));
    EXPECT_EQ(std::pair(gif.header.width, gif.header.height), std::pair(50u, 60u));
}

TEST(ImageFacts, UnreadableFilesGiveNoFacts) {
    ScratchDir dir;
    writeFile(dir / "empty.png", "");
    writeFile(dir / "text.jpg", "hello world, no picture here");
    writeFile(dir / "corrupt.gif", "GIF89a\x01");
    std::filesystem::create_directory(dir / "folder.png");
    for (const char* name : {"empty.png", "text.jpg", "corrupt.gif", "folder.png", "none.png"}) {
        const ImageFacts facts = readImageFacts(dir / name);
        EXPECT_FALSE(facts.readable) << name;
        EXPECT_EQ(facts.header, ImageHeaderInfo{}) << name;
        EXPECT_EQ(texts(facts), std::vector<std::string>(5)) << name;
    }
}

// Only squares of 1024, 2048 and 4096 pixels have a size class, however near another size is.
TEST(ImageFacts, OnlyTileSizedSquaresHaveASizeClass) {
    ScratchDir dir;
    using Size = std::pair<std::uint32_t, std::uint32_t>;
    const std::vector<std::pair<Size, std::optional<SizeClass>>> cases = {
        {{1024, 1024}, SizeClass::S1024}, {{2048, 2048}, SizeClass::S2048},
        {{4096, 4096}, SizeClass::S4096}, {{3000, 3000}, std::nullopt},
        {{8192, 8192}, std::nullopt},     {{4096, 2048}, std::nullopt}};
    for (const auto& [size, sizeClass] : cases) {
        writeFile(dir / "t.png", pngFile(size.first, size.second));
        EXPECT_EQ(sizeClassOf(readImageFacts(dir / "t.png")), sizeClass) << size.first;
    }
}

constexpr const char* kWgs84World = "0.0001\r\n0\r\n0\r\n-0.0001\r\n10.5\r\n50.25\r\n";

class FolderScanTest : public ::testing::Test {
  protected:
    // A PNG header of the given size (no pixels needed), with a WGS84 world file or none.
    void image(const std::string& base, std::uint32_t edge, bool withWorld = true) {
        writeFile(dir / (base + ".png"), pngFile(edge, edge));
        if (withWorld)
            writeFile(dir / (base + ".pgw"), kWgs84World);
    }
    FolderScan scan() { return scanFolder(host, folder); }

    ScratchDir dir;
    std::string folder = dir.path().string();
    FakeHost host;
};

TEST_F(FolderScanTest, ReferencedTilesOfOneSize) {
    writeFile(dir / "a.bmp", "BM");  // not one of the listed image types
    EXPECT_FALSE(scan().scannedImages);
    for (const char* name : {"d", "a", "C", "b"})
        image(name, 2048);
    // World files are found whatever their letter case.
    writeFile(dir / "IMG.PNG", pngFile(2048, 2048));
    writeFile(dir / "img.PGW", kWgs84World);
    const FolderScan result = scan();
    EXPECT_TRUE(result.usable && result.scannedImages);
    EXPECT_EQ(result.sizeClass, SizeClass::S2048);
    EXPECT_TRUE(result.imagesLeftOut.empty());
    EXPECT_TRUE(host.messages.empty() && host.questions.empty());
}

TEST_F(FolderScanTest, SomeWorldFilesMissingAsksWhetherToLeaveThemOut) {
    for (const char* name : {"a", "b", "c"})
        image(name, 2048);
    image("d", 2048, false);
    host.yesNoAnswers = {true, false};
    const FolderScan yes = scan();
    EXPECT_TRUE(yes.usable);
    EXPECT_EQ(yes.imagesLeftOut, std::vector<std::string>{"d.png"});
    EXPECT_FALSE(scan().usable);
    const FakeHost::Message question{"This folder '" + folder +
                                         "' contains 1 image(s) with no reference 'world file', "
                                         "OVT will not process these files. Do you want to "
                                         "continue?",
                                     "Missing Reference 'world files'"};
    EXPECT_EQ(host.questions, std::vector<FakeHost::Message>(2, question));
    EXPECT_TRUE(host.messages.empty());
}

// A refused folder gets one message, for the first reason in the order: unreadable images,
// several sizes, no world files, no tile size; the question about images without world files
// comes only when nothing refused the folder.
TEST_F(FolderScanTest, ARefusedFolderGetsOneMessageThatNamesWhatToRemove) {
    image("a", 1000, false);
    image("b", 1000, false);
    EXPECT_FALSE(scan().usable);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{noWorldFilesMessage(folder)});
    image("a", 1000);
    host.messages.clear();
    EXPECT_EQ(scan().sizeClass, std::nullopt);
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{
                  "This folder '" + folder +
                  "' does not contain images of acceptable tile sizes. The images must be "
                  "4096x4096 or 2048x2048 , 1024x1024 to be sliced! Its images are 1000x1000."});

    // Sizes in the order met, at most five names of each; the size class is the first image's.
    image("a", 2048);
    for (const char* name : {"c", "d", "e", "f", "g"})
        image(name, 1024, false);
    host.messages.clear();
    const FolderScan mixed = scan();
    EXPECT_FALSE(mixed.usable);
    EXPECT_EQ(mixed.sizeClass, SizeClass::S2048);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{
                  "This folder '" + folder +
                  "' contains images of different sizes (Width x Height), OVT can not proceed "
                  "unless all images are in the same size (Width x Height). Please remove the "
                  "unmatched images! Sizes found: 2048x2048: a.png; 1000x1000: b.png; "
                  "1024x1024: c.png, d.png, e.png, f.png, g.png."});
    image("h", 1024);
    host.messages.clear();
    scan();
    EXPECT_NE(host.messageTexts().at(0).find("g.png and 1 more."), std::string::npos);

    // An image that cannot be read is named as such, not counted as another size.
    writeFile(dir / "c.png", "");
    host.messages.clear();
    EXPECT_FALSE(scan().usable);
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{unreadableImagesMessage(folder, {"c.png"})});
    EXPECT_NE(host.messageTexts().at(0).find("1 image(s) that cannot be read"), std::string::npos);

    // b.jpg beside b.png would write b's tiles twice: refused, naming both, before any reading.
    writeFile(dir / "B.jpg", "");
    host.messages.clear();
    EXPECT_FALSE(scan().usable);
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{sameStemMessage(dir / "B.jpg", dir / "b.png")});
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(FolderScanTest, ProjectedOrUnreadableWorldFileEndsTheScan) {
    const std::vector<std::pair<std::string, std::string>> badWorlds = {
        {"1\n0\n0\n-1\n500000\n5000000\n", kFolderNotWgs84Message},  // UTM metres
        {"0,1\n0\n0\n-0,1\n10,5\n50,25\n", "reads '0,1': that is not a finite number"},
        {"", "the pixel width A, is missing"},
    };
    image("a", 2048);
    image("b", 2048);
    image("c", 1024, false);
    for (const auto& [world, message] : badWorlds) {
        writeFile(dir / "b.pgw", world);
        FakeHost fresh;
        const FolderScan result = scanFolder(fresh, folder);
        EXPECT_FALSE(result.usable) << world;
        ASSERT_EQ(fresh.messages.size(), 1u);
        EXPECT_NE(fresh.messages[0].text.find(message), std::string::npos) << world;
        EXPECT_EQ(result.lastFacts.widthText, "2048");  // c was never read
    }
}

// A GeoTIFF without a world file gets one from the listing program, which is neither counted nor
// tested (this one is in metres); one the program did not write is missing.
TEST_F(FolderScanTest, GeoTiffWithoutWorldFileAsksTheListingProgram) {
    writeFile(dir / "geo.tif", tiffFile({{256, 1024}, {257, 1024}}));
    host.onRun = [this](const std::vector<std::string>&) {
        writeFile(dir / "geo.tfw", "1\n0\n0\n-1\n500000\n5000000\n");
        return std::optional<int>(0);
    };
    EXPECT_TRUE(scan().usable);
    EXPECT_EQ(host.ran.size(), 1u);
    EXPECT_TRUE(host.messages.empty());

    std::filesystem::remove(dir / "geo.tfw");
    image("a", 1024);
    host.onRun = [](const std::vector<std::string>&) { return std::optional<int>(); };
    EXPECT_FALSE(scan().usable);
    EXPECT_EQ(host.questions.at(0).text, someWorldFilesMissingMessage(folder, 1));
}

// The real listing program writes the world file of a GeoTIFF whose georeference lives only
// inside the file (made with the GeoTIFF tools).
TEST_F(FolderScanTest, RealGeoTiffGetsItsWorldFile) {
    runConvert({"convert", "-size", "1024x1024", "xc:green", "-compress", "zip", dir / "p.tif"});
    writeFile(dir / "p.tfw", "0.001\n0\n0\n-0.001\n12.0005\n47.9995\n");
    ASSERT_EQ(
        runProgramAndWait({"geotifcp", "-e", dir / "p.tfw", dir / "p.tif", dir / "Scene One.tif"},
                          kListgeoLimit),
        0);
    host.onRun = [](const std::vector<std::string>& argv) {
        return runProgramAndWait(argv, kListgeoLimit);
    };
    const FolderScan result = scan();
    EXPECT_TRUE(result.usable);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(result.sizeClass, SizeClass::S1024);
    const WorldFile world = readWorldFile(dir / "Scene One.tfw");
    EXPECT_DOUBLE_EQ(WorldFile::number(world.C).value(), 12.0005);
    EXPECT_DOUBLE_EQ(WorldFile::number(world.F).value(), 47.9995);
    EXPECT_GE(host.eventPumps, 2);
    // The file's private tags are warnings of the image library, not failures.
    EXPECT_NO_THROW(runConvert({"convert", dir / "Scene One.tif", dir / "copy.png"}));
}

}  // namespace
}  // namespace orvanta
