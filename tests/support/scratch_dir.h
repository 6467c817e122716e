#pragma once

#include <filesystem>
#include <string>

namespace orvanta::testing {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of a file or folder inside, as text.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Writes `content` to a file as it stands (no line-end conversion).
void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);

}  // namespace orvanta::testing
