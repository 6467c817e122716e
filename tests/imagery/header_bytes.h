#pragma once

// Hand-built image headers: the bytes a file starts with, without any pixels.

#include <cstdint>
#include <string>
#include <vector>

namespace orvanta::testing {

inline std::string bigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

inline std::string littleEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

inline const std::string kPngSignature = "\x89PNG\r\n\x1a\n";

inline std::string pngChunk(const std::string& type, const std::string& data) {
    return bigEndian(static_cast<std::uint32_t>(data.size()), 4) + type + data + "CRC!";
}

inline std::string ihdr(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType) {
    return pngChunk("IHDR", bigEndian(width, 4) + bigEndian(height, 4) +
                                static_cast<char>(bitDepth) + static_cast<char>(colourType) +
                                std::string(3, '\0'));
}

inline std::string phys(std::uint32_t perUnit, int unit) {
    return pngChunk("pHYs",
                    bigEndian(perUnit, 4) + bigEndian(perUnit, 4) + static_cast<char>(unit));
}

// A PNG file that ends after its first IDAT chunk's frame.
inline std::string pngFile(std::uint32_t width, std::uint32_t height, int bitDepth = 8,
                           int colourType = 6, const std::string& extraChunks = "") {
    return kPngSignature + ihdr(width, height, bitDepth, colourType) + extraChunks +
           pngChunk("IDAT", "") + pngChunk("IEND", "");
}

struct TiffEntry {
    std::uint16_t tag;
    std::uint32_t value;
};

// A little-endian TIFF whose first IFD holds the entries; XResolution, when given as a
// rational, is stored after the IFD and its entry points there.
inline std::string tiffFile(std::vector<TiffEntry> entries, std::uint32_t numerator = 0,
                            std::uint32_t denominator = 0) {
    const std::uint32_t ifd = 8;
    const std::uint32_t rationalAt = ifd + 2 + static_cast<std::uint32_t>(entries.size()) * 12 + 4;
    if (denominator != 0)
        entries.push_back({282, rationalAt + 12});
    std::string out = "II" + littleEndian(42, 2) + littleEndian(ifd, 4);
    out += littleEndian(static_cast<std::uint32_t>(entries.size()), 2);
    for (const TiffEntry& e : entries) {
        out += littleEndian(e.tag, 2) + littleEndian(4, 2) + littleEndian(1, 4) +
               littleEndian(e.value, 4);
    }
    out += littleEndian(0, 4);  // no next IFD
    out += littleEndian(numerator, 4) + littleEndian(denominator, 4);
    return out;
}

inline std::string jpegSegment(int code, const std::string& payload) {
    return std::string("\xFF") + static_cast<char>(code) +
           bigEndian(static_cast<std::uint32_t>(payload.size() + 2), 2) + payload;
}

inline std::string jfif(int unit, std::uint32_t density) {
    return jpegSegment(0xE0, std::string("JFIF\0", 5) + "\x01\x01" + static_cast<char>(unit) +
                                 bigEndian(density, 2) + bigEndian(density, 2) + "\0\0");
}

// A start-of-frame segment (0xC0 baseline, 0xC2 progressive).
inline std::string startOfFrame(int code, std::uint32_t width, std::uint32_t height,
                                int components) {
    return jpegSegment(code, std::string("\x08") + bigEndian(height, 2) + bigEndian(width, 2) +
                                 static_cast<char>(components) + std::string(3 * components, 1));
}

// A JPEG: start of image, the segments, a start of scan and some entropy-coded bytes.
inline std::string jpegFile(const std::string& segments) {
    return "\xFF\xD8" + segments + jpegSegment(0xDA, std::string(10, '\x01')) + "\x12\x34\x56";
}

}  // namespace orvanta::testing
