#include "app/project_settings.h"

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

ProjectSettings::ProjectSettings()
    : googleEarthProgram(defaultGoogleEarthPath()), webServerUrl(kDefaultWebserverUrl) {}

}  // namespace orvanta
