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

// Makes a folder unwritable, for root too (immutable flag where the file system has one);
// undone when it goes out of scope.
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(const std::string& path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    // False when the folder can still be written (root on a file system without the flag).
    bool effective() const;

  private:
    bool setImmutable(bool on);
    std::string path_;
    bool immutable_ = false;
};

}  // namespace orvanta::testing
