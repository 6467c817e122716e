#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "platform/path_names.h"
#include "platform/scratch_files.h"

namespace orvanta {
namespace {

enum class Locking { Held, Busy, NoFile, NotAFile };

struct Hold {
    int handle = -1;
    int count = 0;
};

// The locks this process holds, by lock file.
std::mutex holdsMutex;
std::map<std::string, Hold>& holds() {
    static std::map<std::string, Hold> all;
    return all;
}

// The process id the holder wrote at the start of the lock file; 0 when there is none.
long recordedHolder(int handle) {
    char text[24] = {};
    const ssize_t got = pread(handle, text, sizeof text - 1, 0);
    return got > 0 ? std::strtol(text, nullptr, 10) : 0;
}

// True when `handle` is the file that `path` names now (the lock goes with the inode).
bool namesFile(const std::string& path, int handle) {
    struct stat opened {};
    struct stat named {};
    return fstat(handle, &opened) == 0 && lstat(path.c_str(), &named) == 0 &&
           opened.st_ino == named.st_ino && opened.st_dev == named.st_dev;
}

// Opens the lock file: made anew and exclusively, or the regular file a run that ended left
// (never through a symbolic link, never truncated, never a folder or a device). A file that
// the last holder removed after this process opened it is opened again, so that two processes
// never both hold the lock of one name. A lock file left by an ended run is replaced by a new
// one, so that this run's id goes only into a file it made.
Locking lockFile(const std::string& path, int& handle, long& holder) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        handle = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        const bool made = handle >= 0;
        if (!made && errno == EEXIST)
            handle = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (handle < 0) {
            if (errno == ENOENT)
                continue;  // removed meanwhile
            return errno == ELOOP || errno == EISDIR || errno == ENXIO ? Locking::NotAFile
                                                                       : Locking::NoFile;
        }
        struct stat info {};
        if (fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
            close(handle);
            return Locking::NotAFile;
        }
        if (flock(handle, LOCK_EX | LOCK_NB) != 0) {
            holder = recordedHolder(handle);
            close(handle);
            return Locking::Busy;
        }
        if (!namesFile(path, handle)) {
            close(handle);
            continue;
        }
        if (made) {
            const std::string pid = std::to_string(currentProcessId()) + "\r\n";
            if (write(handle, pid.data(), pid.size()) < 0) {
                // The lock holds without the id; a refused run then names no process.
            }
            return Locking::Held;
        }
        // Left by a run that ended: removed while held, then made anew. Where it cannot be
        // removed (a folder others share), the hold on it is the lock, without an id.
        if (unlink(path.c_str()) == 0) {
            close(handle);
            continue;
        }
        return Locking::Held;
    }
    return Locking::NoFile;
}

// The first of `folders` that is a symbolic link another user made; empty when none is.
std::string linkOfSomeoneElse(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        struct stat info {};
        if (lstat(folder.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && info.st_uid != 0 &&
            info.st_uid != geteuid()) {
            return folder;
        }
    }
    return {};
}

void unlockFile(const std::string& path, int handle) {
    if (namesFile(path, handle))
        unlink(path.c_str());
    close(handle);
}

}  // namespace

FolderLock::FolderLock(const std::string& folder, const std::vector<std::string>& written)
    : path_(joinPath(folder, kLockFileName)) {
    if (const std::string link = linkOfSomeoneElse(written); !link.empty()) {
        refusal_ = "The folder " + link +
                   " is a link that another user made, and the run would write through it. "
                   "Remove it, or choose another folder.";
        return;
    }
    const std::lock_guard lock(holdsMutex);
    Hold& hold = holds()[path_];
    const Locking locking = hold.count > 0 ? Locking::Held : lockFile(path_, hold.handle, holder_);
    if (locking != Locking::Held)
        holds().erase(path_);
    // A folder where no lock file can be made cannot be written either: the run goes on and
    // its writes fail with their own messages.
    held_ = locking == Locking::Held || locking == Locking::NoFile;
    if (locking == Locking::Busy)
        refusal_ = folderBusyMessage(folder, holder_);
    if (locking == Locking::NotAFile) {
        refusal_ = "The lock file " + path_ +
                   " is not a regular file (a link, a folder or a device). Remove it, or choose "
                   "another folder.";
    }
    if (locking == Locking::Held) {
        ++hold.count;
        owns_ = true;
    }
}

FolderLock::~FolderLock() {
    if (!owns_)
        return;
    const std::lock_guard lock(holdsMutex);
    Hold& hold = holds()[path_];
    if (--hold.count > 0)
        return;
    unlockFile(path_, hold.handle);
    holds().erase(path_);
}

std::string folderBusyMessage(const std::string& folder, long holder) {
    const std::string who =
        holder > 0 ? "Another run (process " + std::to_string(holder) + ")" : "Another run";
    return who + " is writing into " + folder +
           ". Wait until it has finished, or choose another folder.";
}

}  // namespace orvanta
