#include "imagery/header_readers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace orvanta {
namespace {

using Data = std::vector<std::uint8_t>;

// Reads from a stream without ever going past its end.
class BoundedReader {
  public:
    explicit BoundedReader(std::istream& in) : in_(in) {
        const std::streampos start = in_.tellg();
        in_.seekg(0, std::ios::end);
        const std::streampos end = in_.tellg();
        in_.seekg(start);
        position_ = start < 0 ? 0 : static_cast<std::uint64_t>(start);
        size_ = end < 0 ? position_ : static_cast<std::uint64_t>(end);
    }

    std::uint64_t remaining() const { return size_ > position_ ? size_ - position_ : 0; }

    // Exactly n bytes, or false (and nothing read) when fewer remain.
    bool read(std::size_t n, Data& out) {
        if (n > remaining())
            return false;
        out.resize(n);
        in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(n));
        if (in_.gcount() != static_cast<std::streamsize>(n))
            return false;
        position_ += n;
        return true;
    }

    bool skip(std::uint64_t n) { return n <= remaining() && seek(position_ + n); }

    bool seek(std::uint64_t position) {
        if (position > size_)
            return false;
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(position));
        position_ = position;
        return static_cast<bool>(in_);
    }

    // The first `wanted` bytes of a block of `length` bytes, the rest passed over; false when
    // the block runs past the end.
    bool readBlock(std::uint64_t length, std::size_t wanted, Data& out) {
        if (length > remaining())
            return false;
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(length, wanted));
        return read(n, out) && skip(length - n);
    }

  private:
    std::istream& in_;
    std::uint64_t position_ = 0;
    std::uint64_t size_ = 0;
};

std::uint32_t bigEndian(const Data& d, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | d[at + i];
    return value;
}

std::uint32_t littleEndian(const Data& d, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | d[at + i];
    return value;
}

// Nearest whole number, ties to even, kept within the field's range.
std::uint32_t roundEven(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded > 0))
        return 0;
    return static_cast<std::uint32_t>(
        std::min(rounded, static_cast<double>(std::numeric_limits<std::uint32_t>::max())));
}

std::uint32_t truncated(double value) {
    return roundEven(std::trunc(std::min(value, 4294967295.0)));
}

void readIhdr(const Data& d, ImageHeaderInfo& info) {
    info.width = bigEndian(d, 0, 4);
    info.height = bigEndian(d, 4, 4);
    info.bitDepth = d[8];
    if (info.bitDepth != 8)
        return;
    const std::uint8_t colourType = d[9];
    if (colourType == 0 || colourType == 4)
        info.greyscale = true;
    if (colourType == 2 || colourType == 6)
        info.bitDepth = 24;
}

}  // namespace

bool GetHeaderPNG(std::istream& in, ImageHeaderInfo& info) {
    BoundedReader reader(in);
    Data data;
    const Data signature = {78, 71, 13, 10, 26, 10};
    if (!reader.read(6, data) || data != signature)
        return false;
    Data head;
    // Each pass consumes at least the 12 bytes of a chunk's frame, so the loop ends at the
    // end of the file at the latest.
    while (reader.read(8, head)) {
        const std::uint32_t length = bigEndian(head, 0, 4);
        const std::string type(head.begin() + 4, head.end());
        if (type == "IDAT" || type == "IEND")
            break;
        if (!reader.readBlock(length, 13, data))
            break;
        if (type == "IHDR" && data.size() >= 10)
            readIhdr(data, info);
        if (type == "pHYs" && data.size() >= 9 && data[8] == 1) {
            info.resolution = roundEven(bigEndian(data, 0, 4) * 0.0254);
        }
        if (!reader.skip(4))
            break;  // CRC
    }
    return true;
}

bool GetHeaderTIF(std::istream& in, ImageHeaderInfo& info) {
    BoundedReader reader(in);
    Data head;
    if (!reader.read(6, head)) {
        // A file cut inside its first bytes: what is left must still say 42.
        if (!reader.read(1, head) || head[0] != 42)
            return false;
        info.bitDepth = 1;
        return true;
    }
    if (head[0] != 42)
        return false;
    info.bitDepth = 1;
    Data count, entries;
    if (!reader.seek(littleEndian(head, 2, 4)) || !reader.read(2, count))
        return true;
    // Only whole entries that the file holds; never more than the file's size is allocated.
    const std::uint64_t wanted = std::uint64_t{littleEndian(count, 0, 2)} * 12;
    const std::uint64_t available = std::min(wanted, reader.remaining() / 12 * 12);
    if (!reader.read(static_cast<std::size_t>(available), entries))
        return true;

    double xResolution = 0;
    std::uint8_t unit = 0;
    for (std::size_t at = 0; at + 12 <= entries.size(); at += 12) {
        const std::uint32_t tag = littleEndian(entries, at, 2);
        const std::uint32_t value = littleEndian(entries, at + 8, 4);
        Data rational;
        if (tag == 256)
            info.width = value;
        if (tag == 257)
            info.height = value;
        if (tag == 296)
            unit = static_cast<std::uint8_t>(value & 0xFF);
        if (tag == 282 && reader.seek(value) && reader.read(8, rational)) {
            const std::uint32_t denominator = littleEndian(rational, 4, 4);
            if (denominator != 0) {
                xResolution = static_cast<double>(littleEndian(rational, 0, 4)) / denominator;
            }
        }
    }
    info.resolution = unit == 2 ? roundEven(xResolution) : truncated(xResolution * 2.54);
    return true;
}

bool GetHeaderJPG(std::istream& in, ImageHeaderInfo& info) {
    BoundedReader reader(in);
    Data group, payload;
    bool more = reader.read(4, group);
    // Each pass consumes at least the four bytes of the next group, so the walk ends at the
    // end of the file at the latest.
    while (more && group[0] == 255) {
        const std::uint32_t length = bigEndian(group, 2, 2);
        const std::uint32_t payloadLength = length >= 2 ? length - 2 : 0;
        if (!reader.readBlock(payloadLength, 10, payload))
            break;
        if (group[1] == 224 && payload.size() >= 10) {
            const std::uint32_t density = bigEndian(payload, 8, 2);
            if (payload[7] == 1)
                info.resolution = density;
            if (payload[7] == 2)
                info.resolution = roundEven(density * 2.54);
        }
        if (group[1] == 192 && payload.size() >= 6) {
            info.height = bigEndian(payload, 1, 2);
            info.width = bigEndian(payload, 3, 2);
            if (payload[5] == 1)
                info.greyscale = true;
        }
        more = reader.read(4, group);
    }
    if (info.resolution == 0)
        info.resolution = 1;
    info.bitDepth = 24;
    return true;
}

}  // namespace orvanta
