#include "app/project_settings.h"

#include <charconv>

namespace orvanta {

std::string defaultGoogleEarthPath() {
#if defined(_WIN32)
    return "C:\\Program Files\\Google\\Google Earth\\GoogleEarth.exe";
#elif defined(__APPLE__)
    return "/Applications/Google Earth Pro.app";
#else
    return "/opt/google/earth/pro/google-earth-pro";
#endif
}

std::optional<int> jpegQualityOf(const std::string& text) {
    int quality = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, quality);
    if (text.empty() || error != std::errc() || stop != end || quality < 1 || quality > 100)
        return std::nullopt;
    return quality;
}

ProjectSettings::ProjectSettings()
    : googleEarthProgram(defaultGoogleEarthPath()), webServerUrl(kDefaultWebserverUrl) {}

}  // namespace orvanta
