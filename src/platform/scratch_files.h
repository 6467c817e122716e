#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvanta {

// Files are written under a scratch name in the folder of their final name and renamed when
// complete, so that nobody reads half a file and a failed or killed run leaves nothing half
// written under a real name. A scratch file is named by the prefix, the id of the writing
// process, a dash, six random letters and digits, a dash and the final name (the extension
// stays, so that writers that go by it still can); a scratch folder by the prefix, the id, a
// dash and six random letters and digits. Both are made exclusively and never through a
// symbolic link: whatever someone planted in a shared folder, under any name, is neither
// written nor truncated, and renaming over a final name replaces a link, never its target.
inline constexpr const char* kScratchPrefix = ".orvanta-part-";

// A file of this process alone, open for writing under a scratch name beside `path`.
class ScratchFile {
  public:
    // Throws RunError 76 when the folder of `path` does not exist, 75 when no file can be made.
    explicit ScratchFile(const std::string& path);
    // Removes the scratch file unless it was committed.
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    int descriptor() const { return descriptor_; }
    const std::string& scratchPath() const { return scratch_; }
    // Throws RunError 75 naming the final file when the bytes cannot all be written.
    void write(std::string_view bytes);
    // Closes the file and renames it to its final name, replacing what was there. Throws
    // RunError 75 when it cannot; the scratch file is removed then.
    void commit();

  private:
    std::string path_, scratch_;
    int descriptor_ = -1;
    bool committed_ = false;
};

// A folder of this process alone (made by mkdtemp, open to its owner only) in `folder`, for
// writers that name their files themselves, such as image commands and outside programs:
// nobody else can plant a name in it. Removed with what it holds when dropped.
class ScratchFolder {
  public:
    // Throws RunError 75 when no folder can be made in `folder`.
    explicit ScratchFolder(const std::string& folder);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Copies a file whole to `to` under a scratch name, renamed when complete. Throws RunError 75.
void copyFileAtomically(const std::string& from, const std::string& to);

// Renames a complete scratch file to its final name, replacing what was there. Throws RunError
// 75 naming the final file when it cannot, and then removes the scratch file.
void commitScratch(const std::string& scratch, const std::string& path);

// The id of the process that made `name` (a name without its folder) under `prefix`: the
// prefix, digits, a dash, six letters or digits, and then for a file a dash and a name, for a
// folder nothing. Nothing when the name has any other form.
std::optional<long> scratchMaker(const std::string& name, const std::string& prefix, bool folder);

// Removes from `folder` (not below it) the scratch files and folders that this person's
// processes which no longer run left behind: only regular files and folders of the exact
// scratch forms, owned by the person running. Returns how many went.
int removeStaleScratch(const std::string& folder);

// Removes `path` when it is a folder of the exact scratch form under `prefix` that a process of
// this person which no longer runs left behind, with what it holds. True when it went.
bool removeStaleScratchFolder(const std::string& path, const std::string& prefix);

// True while the process with this id runs.
bool processIsRunning(long pid);

// The id of this process.
long currentProcessId();

}  // namespace orvanta
