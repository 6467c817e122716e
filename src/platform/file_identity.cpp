#include "platform/file_identity.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/run_error.h"

namespace orvanta {
namespace {

// A streaming 64-bit hash of four lanes of 64-bit words, fast enough to read a file at the
// speed of the disk.
class ContentHash {
  public:
    ContentHash() : lanes_{kSeed + kP1 + kP2, kSeed + kP2, kSeed, kSeed - kP1} {}

    void add(const char* data, std::size_t size) {
        length_ += size;
        while (size > 0) {
            const std::size_t take = std::min(size, kStripe - buffered_);
            std::memcpy(buffer_.data() + buffered_, data, take);
            buffered_ += take;
            data += take;
            size -= take;
            if (buffered_ == kStripe) {
                for (int lane = 0; lane < 4; ++lane)
                    lanes_[lane] = round(lanes_[lane], word(buffer_.data() + 8 * lane));
                buffered_ = 0;
            }
        }
    }

    std::uint64_t value() const {
        std::uint64_t hash = kSeed + kP5;
        if (length_ >= kStripe) {
            hash = rotate(lanes_[0], 1) + rotate(lanes_[1], 7) + rotate(lanes_[2], 12) +
                   rotate(lanes_[3], 18);
            for (std::uint64_t lane : lanes_)
                hash = (hash ^ round(0, lane)) * kP1 + kP4;
        }
        hash += length_;
        std::size_t at = 0;
        for (; at + 8 <= buffered_; at += 8)
            hash = rotate(hash ^ round(0, word(buffer_.data() + at)), 27) * kP1 + kP4;
        for (; at < buffered_; ++at)
            hash = rotate(hash ^ (static_cast<unsigned char>(buffer_[at]) * kP5), 11) * kP1;
        hash ^= hash >> 33;
        hash *= kP2;
        hash ^= hash >> 29;
        hash *= kP3;
        return hash ^ (hash >> 32);
    }

  private:
    static constexpr std::uint64_t kP1 = 11400714785092612791ULL, kP2 = 14029467366897019727ULL,
                                   kP3 = 1609587929392839161ULL, kP4 = 9650029242287828579ULL,
                                   kP5 = 2870177450012600261ULL, kSeed = 0;
    static constexpr std::size_t kStripe = 32;

    static std::uint64_t rotate(std::uint64_t value, int bits) {
        return (value << bits) | (value >> (64 - bits));
    }
    static std::uint64_t round(std::uint64_t lane, std::uint64_t input) {
        return rotate(lane + input * kP2, 31) * kP1;
    }
    static std::uint64_t word(const char* bytes) {
        std::uint64_t value = 0;
        for (int i = 7; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes[i]);
        return value;
    }

    std::array<std::uint64_t, 4> lanes_;
    std::array<char, kStripe> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;
};

std::string identityText(std::uint64_t size, std::uint64_t hash) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return std::to_string(size) + ":" + hex;
}

}  // namespace

std::string contentIdentity(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw RunError(errors::FileNotFound, "File not found: " + path);
    std::ifstream in(path, std::ios::binary);
    ContentHash hash;
    std::string chunk(1 << 20, '\0');
    std::uint64_t size = 0;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        hash.add(chunk.data(), got);
        size += got;
    }
    if (in.bad())
        throw RunError(errors::PathFileAccess, "Path/File access error: " + path);
    return identityText(size, hash.value());
}

std::string contentIdentityOf(const std::string& bytes) {
    ContentHash hash;
    hash.add(bytes.data(), bytes.size());
    return identityText(bytes.size(), hash.value());
}

}  // namespace orvanta
