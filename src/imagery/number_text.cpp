#include "imagery/number_text.h"

#include <cstdio>

namespace orvanta {

std::string FormatNumber(double value) {
    if (value == 0)
        return "0";  // also for -0: zero carries no sign
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::string text = buffer;
    // Some C libraries write three exponent digits; the format has two at least.
    const std::size_t e = text.find('E');
    if (e != std::string::npos) {
        const std::size_t digits = e + 2;  // after the exponent's sign
        while (text.size() - digits > 2 && text[digits] == '0')
            text.erase(digits, 1);
    }
    return text;
}

}  // namespace orvanta
