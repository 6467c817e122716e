#pragma once

// Text written into URLs and web pages.

#include <string>

namespace orvanta {

// A path written as an href: the bytes a URL reader would take to mean something else are
// percent-encoded: "%", "#", "?", "\\" (read as "/" by some), blanks, control characters, and
// a ":" before the first "/" of a relative path (read as a scheme). Every other byte, letters
// beyond ASCII included, stays as it is, so that ordinary names are written unchanged.
std::string hrefPath(const std::string& path);

// A path written as a URL with every byte but letters, digits, "-", ".", "_", "~" and "/"
// percent-encoded.
std::string strictUrlPath(const std::string& path);

// The path an href names: every "%" followed by two hexadecimal digits decoded.
std::string hrefTarget(const std::string& href);

// A JSON string of the text; "<", ">" and "&" are escaped too, so that it cannot end a script
// element of a page.
std::string jsonString(const std::string& text);

// True when a web-server URL starts with a scheme hrefs may name: http, https, ftp or file (in
// any letter case) and ":".
bool isWebServerUrl(const std::string& url);

}  // namespace orvanta
