#include "app/paths.h"

#include "app/run_error.h"
#include "platform/os_services.h"

namespace orvanta {

std::string GetFileExtension(const std::string& sFile) {
    const std::size_t dot = sFile.rfind('.');
    if (dot == std::string::npos)
        return {};
    if (sFile.find(kPathSeparator, dot + 1) != std::string::npos)
        return {};
    return sFile.substr(dot + 1);
}

std::string GetProjDir(const std::string& sFile, ProjectSettings& settings) {
    const std::size_t slash = sFile.rfind(kPathSeparator);
    if (slash == std::string::npos)
        return {};
    std::string folder = sFile.substr(0, slash);
    settings.kmlpath = folder;
    const std::size_t dot = sFile.rfind('.');
    if (dot == std::string::npos || dot < slash) {
        throw RunError(errors::InvalidArgument, "Invalid procedure call or argument");
    }
    settings.imagename = sFile.substr(slash + 1, dot - slash - 1);
    return folder;
}

void addkmlpath(const std::string& sFile, ProjectSettings& settings) {
    const std::size_t slash = sFile.rfind(kPathSeparator);
    if (slash == std::string::npos)
        return;
    if (settings.Check6 == 1) {
        settings.List3.push_back(sFile.substr(0, slash));
    } else {
        settings.List3.clear();
    }
}

}  // namespace orvanta
