#pragma once

#include <string>
#include <vector>

namespace orvanta {

// The lock file of a folder that a run writes into.
inline constexpr const char* kLockFileName = ".orvanta-lock";

// One run's exclusive hold on a folder, so that two runs never write the same files at once.
// The system releases it when the process ends, however it ends, so a killed run leaves no
// lock that needs clearing. Within one process the same folder may be locked again (a large
// image's pieces are sliced and then tiled in one folder); it is released with the last hold.
class FolderLock {
  public:
    // Takes the lock of an existing folder. When another process holds it, its lock file is not
    // a regular file (a link someone planted, a folder), or one of `written` (the folders the
    // run writes) is a symbolic link that another user made (not the system's administrator),
    // `held()` is false and `refusal()` says why.
    explicit FolderLock(const std::string& folder, const std::vector<std::string>& written = {});
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return held_; }
    const std::string& refusal() const { return refusal_; }

  private:
    std::string path_;
    std::string refusal_;
    bool held_ = false;
    bool owns_ = false;  // this hold counts in the process's locks
    long holder_ = 0;
};

// The message of a run refused because another holds its folder.
std::string folderBusyMessage(const std::string& folder, long holder);

}  // namespace orvanta
