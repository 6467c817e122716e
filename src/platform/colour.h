#pragma once

#include <cstdint>
#include <string>

namespace orvanta {

// A colour of 8 bits per channel.
struct Rgb {
    int red = 0, green = 0, blue = 0;

    // The 24-bit value with red in the low byte, green in the second and blue in the third.
    std::uint32_t value() const {
        return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
               static_cast<std::uint32_t>(blue) << 16;
    }
    static Rgb fromValue(std::uint32_t value) {
        return {static_cast<int>(value & 0xFFu), static_cast<int>(value >> 8 & 0xFFu),
                static_cast<int>(value >> 16 & 0xFFu)};
    }
    // "RGB(r, g, b)": the form the image tool takes a colour in.
    std::string text() const {
        return "RGB(" + std::to_string(red) + ", " + std::to_string(green) + ", " +
               std::to_string(blue) + ")";
    }
    bool operator==(const Rgb&) const = default;
};

// What the transparent parts of a source show in a picture format that holds no alpha (JPEG),
// the same under both pixel engines and at every level of the pyramid: black, as a run warns.
inline constexpr Rgb kFlattenBackground{0, 0, 0};

}  // namespace orvanta
