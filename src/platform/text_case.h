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

// The text without leading and trailing blanks.
inline std::string trimBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace orvanta
