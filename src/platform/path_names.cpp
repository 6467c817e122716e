#include "platform/path_names.h"

#include <filesystem>

#include <algorithm>

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

std::string slashForm(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string relativeLink(const std::string& target, const std::string& fromFolder) {
    const std::filesystem::path relative =
        std::filesystem::path(target).lexically_normal().lexically_relative(
            std::filesystem::path(fromFolder).lexically_normal());
    return relative.empty() ? slashForm(target) : slashForm(relative.generic_string());
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind(kPathSeparator);
    return slash == std::string::npos ? std::string{} : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const std::size_t slash = path.rfind(kPathSeparator);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder + kPathSeparator + name;
}

std::string enteredPath(const std::string& path, const std::string& base) {
    namespace fs = std::filesystem;
    if (path.empty())
        return path;
    std::error_code error;
    const fs::path from = base.empty() ? fs::current_path(error) : fs::path(base);
    std::string full = (from / path).lexically_normal().string();
    while (full.size() > 1 && full.back() == kPathSeparator)
        full.pop_back();
    return full;
}

std::string resolvedPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::weakly_canonical(path, error);
    return error ? path : real.string();
}

bool isFileSystemRoot(const std::string& path) {
    const std::filesystem::path real(resolvedPath(path));
    return real.has_root_path() && real == real.root_path();
}

}  // namespace orvanta
