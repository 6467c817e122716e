// The coordinate formatter against a second way of writing "%.15G": the shortest-general
// conversion of the standard library at 15 digits, in capitals, zero without a sign.
#include <cctype>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kml/lat_lon_bounds.h"

namespace {

std::string reference(double value) {
    if (value == 0)
        return "0";
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr;
    std::string text(buffer, end);
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size != sizeof(double))
        return 0;
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    if (value != value)  // NaN: its sign and payload are spelled differently by each library
        return 0;
    if (orvanta::FormatNumber(value) != reference(value))
        std::abort();
    return 0;
}
