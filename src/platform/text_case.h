#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace orvanta {

// The text with ASCII letters in lower case, for comparisons that ignore letter case.
inline std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace orvanta
