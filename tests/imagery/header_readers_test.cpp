#include "imagery/header_readers.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "imagery/header_bytes.h"

namespace orvanta {
namespace {

using namespace testing;

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
    auto [ok, info] = readHeader(GetHeaderPNG, pngFile(2048, 2048, 8, 6, phys(2835, 1)));
    EXPECT_TRUE(ok);
    EXPECT_EQ(info, facts(2048, 2048, 24, 72, false));
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

TEST(PngHeader, StopsAtTheEndAndAtHostileLengths) {
    EXPECT_FALSE(readHeader(GetHeaderPNG, "\x89PNG\r\nXX").first);
    // No IDAT or IEND: the chunk loop ends at the end of the file.
    const std::string noEnd = kPngSignature + ihdr(1024, 1024, 8, 2) + phys(2835, 1);
    EXPECT_EQ(readHeader(GetHeaderPNG, noEnd).second, facts(1024, 1024, 24, 72, false));
    // A chunk length pointing far past the end, and a file cut inside IHDR.
    const std::string huge = kPngSignature + ihdr(7, 9, 8, 2) + bigEndian(0xFFFFFFF0u, 4) + "tEXt";
    EXPECT_EQ(readHeader(GetHeaderPNG, huge).second.width, 7u);
    const auto [ok, info] = readHeader(GetHeaderPNG, pngFile(5, 5).substr(0, 20));
    EXPECT_TRUE(ok);
    EXPECT_EQ(info, ImageHeaderInfo{});
    // Zero-length chunks only: each still moves the reader on, so the loop ends.
    std::string zeros = kPngSignature;
    for (int i = 0; i < 1000; ++i)
        zeros += pngChunk("zzZZ", "");
    EXPECT_TRUE(readHeader(GetHeaderPNG, zeros).first);
}

TEST(TiffHeader, SizeAndResolutionRules) {
    const std::vector<TiffEntry> size = {{256, 1024}, {257, 768}};
    auto inch = size;
    inch.push_back({296, 2});
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile(inch, 300, 1)).second,
              facts(1024, 768, 1, 300, false));
    auto centimetre = size;
    centimetre.push_back({296, 3});
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile(centimetre, 118, 1)).second.resolution, 299u);
    // Inches round to even; without a unit the value counts as centimetres.
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile(inch, 145, 2)).second.resolution, 72u);
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile(size, 100, 1)).second.resolution, 254u);
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile(inch, 5, 0)).second.resolution, 0u);
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile({{256, 40000}, {257, 3}})).second.width, 40000u);
}

TEST(TiffHeader, RefusesWrongMagicAndSurvivesHostileOffsets) {
    EXPECT_FALSE(readHeader(GetHeaderTIF, "II+\0\x08\0\0\0").first);
    EXPECT_FALSE(readHeader(GetHeaderTIF, "II").first);
    // IFD offset past the end; entry count far larger than the file; rational past the end.
    const std::string past = "II*" + std::string(1, '\0') + littleEndian(0x7FFFFFF0u, 4);
    EXPECT_EQ(readHeader(GetHeaderTIF, past).second, facts(0, 0, 1, 0, false));
    std::string many = tiffFile({{256, 64}, {257, 32}});
    many[8] = '\xFF';
    many[9] = '\xFF';
    EXPECT_EQ(readHeader(GetHeaderTIF, many).second.width, 64u);
    EXPECT_EQ(readHeader(GetHeaderTIF, tiffFile({{256, 9}, {282, 0xFFFFFF00u}})).second.width, 9u);
}

TEST(JpegHeader, FrameDensityAndGrey) {
    const auto colour =
        readHeader(GetHeaderJPG, jpegFile(jfif(1, 96) + startOfFrame(0xC0, 640, 480, 3)));
    EXPECT_TRUE(colour.first);
    EXPECT_EQ(colour.second, facts(640, 480, 24, 96, false));
    EXPECT_EQ(readHeader(GetHeaderJPG, jpegFile(jfif(0, 72) + startOfFrame(0xC0, 8, 8, 1))).second,
              facts(8, 8, 24, 1, true));
    EXPECT_EQ(readHeader(GetHeaderJPG, jpegFile(jfif(2, 118))).second.resolution, 300u);
    EXPECT_EQ(readHeader(GetHeaderJPG, jpegFile(jfif(2, 75))).second.resolution, 190u);
    // Only a baseline frame gives a size.
    EXPECT_EQ(
        readHeader(GetHeaderJPG, jpegFile(jfif(1, 72) + startOfFrame(0xC2, 640, 480, 3))).second,
        facts(0, 0, 24, 72, false));
}

TEST(JpegHeader, EndsOnTruncatedAndLoopingSegments) {
    const std::string whole = jpegFile(jfif(1, 96) + startOfFrame(0xC0, 640, 480, 3));
    for (std::size_t cut = 2; cut < whole.size(); ++cut) {
        EXPECT_TRUE(readHeader(GetHeaderJPG, whole.substr(0, cut)).first) << cut;
    }
    // Segment lengths 0 and 1 would step backwards; the reader still moves on.
    std::string looping = "\xFF\xD8";
    for (int i = 0; i < 500; ++i)
        looping += std::string("\xFF\xE1\x00\x00", 4);
    looping += std::string("\xFF\xE1\x00\x01", 4);
    EXPECT_EQ(readHeader(GetHeaderJPG, looping).second, facts(0, 0, 24, 1, false));
    // A segment length past the end.
    EXPECT_TRUE(readHeader(GetHeaderJPG, std::string("\xFF\xD8\xFF\xE0\xFF\xFF", 6)).first);
}

TEST(HeaderReaders, RandomBytesAfterEachSignatureEndQuietly) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 300);
    for (int round = 0; round < 3000; ++round) {
        std::string tail(length(random), '\0');
        // Mostly marker and small bytes, so segment, chunk and entry walks get far.
        for (char& c : tail)
            c = static_cast<char>(byte(random) < 96 ? 0xFF : byte(random) % 8);
        readHeader(GetHeaderPNG, kPngSignature + tail);
        readHeader(GetHeaderTIF, "II*" + tail);
        const auto [ok, info] = readHeader(GetHeaderJPG, "\xFF\xD8" + tail);
        EXPECT_TRUE(ok);
        EXPECT_LE(info.width, 0xFFFFu);
    }
}

}  // namespace
}  // namespace orvanta
