#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "options/large_image_options.h"
#include "platform/text_file.h"

namespace orvanta {

OptionsEnvironment OptionsEnvironment::system() {
    OptionsEnvironment environment;
    environment.memory = orvanta::physicalMemory;
    environment.freeSpace = orvanta::freeDiskSpace;
    environment.fixedDisks = orvanta::fixedDisks;
    environment.settingsPath = settingsIniPath();
    return environment;
}

std::string settingsIniPath() {
    const std::string folder = programFolder();
    if (access(folder.c_str(), W_OK) == 0)
        return folder + kPathSeparator + "settings.ini";
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        config = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        config = std::filesystem::path(home) / ".config";
    } else {
        config = std::filesystem::temp_directory_path();
    }
    return (config / "Orvanta" / "settings.ini").string();
}

void loadOptions(LargeImageOptions& options) {
    std::optional<std::vector<std::string>> lines;
    std::error_code error;
    const std::string& path = options.environment.settingsPath;
    // An unreadable file counts as a missing one: the defaults stay.
    if (!path.empty() && std::filesystem::is_regular_file(path, error)) {
        try {
            lines = readTextLines(path, 7);
        } catch (const std::exception&) {
            lines.reset();
        }
    }
    loadOptions(options, lines);
}

void applyOptions(const LargeImageOptions& options) {
    const std::filesystem::path path(options.environment.settingsPath);
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    writeFileAtomically(path.string(), joinCrLf(settingsIniLines(options)));
}

}  // namespace orvanta
