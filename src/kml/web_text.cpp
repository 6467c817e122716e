#include "kml/web_text.h"

#include <cctype>

namespace orvanta {
namespace {

// The two hexadecimal digits of a byte, taken from `digits`.
std::string hexPair(unsigned char c, const char* digits) {
    return {digits[c >> 4], digits[c & 15]};
}

// The path with every byte for which `encoded(byte, at)` holds written as "%" and two
// hexadecimal digits.
template <typename Encoded>
std::string percentEncoded(const std::string& path, Encoded encoded) {
    std::string out;
    for (std::size_t at = 0; at < path.size(); ++at) {
        const auto c = static_cast<unsigned char>(path[at]);
        if (!encoded(c, at)) {
            out += static_cast<char>(c);
            continue;
        }
        out += '%' + hexPair(c, "0123456789ABCDEF");
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string hrefPath(const std::string& path) {
    const std::size_t firstSlash = path.find('/');
    return percentEncoded(path, [&](unsigned char c, std::size_t at) {
        return c <= ' ' || c == 0x7F || c == '%' || c == '#' || c == '?' || c == '\\' ||
               (c == ':' && at < firstSlash);
    });
}

std::string strictUrlPath(const std::string& path) {
    return percentEncoded(path, [](unsigned char c, std::size_t) {
        return !(std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/');
    });
}

std::string hrefTarget(const std::string& href) {
    std::string out;
    for (std::size_t at = 0; at < href.size(); ++at) {
        const int high = at + 2 < href.size() && href[at] == '%' ? hexDigit(href[at + 1]) : -1;
        const int low = high >= 0 ? hexDigit(href[at + 2]) : -1;
        if (low < 0) {
            out += href[at];
            continue;
        }
        out += static_cast<char>(high * 16 + low);
        at += 2;
    }
    return out;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == '<' || c == '>' || c == '&') {
            out += "\\u00" + hexPair(c, "0123456789abcdef");
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

bool isWebServerUrl(const std::string& url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string::npos)
        return false;
    std::string scheme = url.substr(0, colon);
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "file";
}

}  // namespace orvanta
