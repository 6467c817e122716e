#include "platform/folder_lock.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "platform/path_names.h"
#include "platform/scratch_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvanta {
namespace {

#ifdef _WIN32
using Handle = HANDLE;
#else
using Handle = int;
#endif

enum class Locking { Held, Busy, NoFile };

struct Hold {
    Handle handle{};
    int count = 0;
};

// The locks this process holds, by lock file.
std::mutex holdsMutex;
std::map<std::string, Hold>& holds() {
    static std::map<std::string, Hold> all;
    return all;
}

// The process id the holder wrote into the lock file; 0 when there is none.
long recordedHolder(const std::string& path) {
    long pid = 0;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        if (std::fscanf(file, "%ld", &pid) != 1)
            pid = 0;
        std::fclose(file);
    }
    return pid;
}

#ifdef _WIN32
// The file is opened for this process alone and deleted when it is closed.
Locking lockFile(const std::string& path, Handle& handle) {
    handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? Locking::Busy : Locking::NoFile;
    const std::string pid = std::to_string(currentProcessId()) + "\r\n";
    DWORD written = 0;
    WriteFile(handle, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
    return Locking::Held;
}

void unlockFile(const std::string&, Handle handle) {
    CloseHandle(handle);
}
#else
// The lock goes with the file's inode: a file that the last holder removed after this process
// opened it is opened again, so that two processes never both hold the lock of one name.
Locking lockFile(const std::string& path, Handle& handle) {
    for (;;) {
        handle = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (handle < 0)
            return Locking::NoFile;
        if (flock(handle, LOCK_EX | LOCK_NB) != 0) {
            close(handle);
            return Locking::Busy;
        }
        struct stat opened {};
        struct stat named {};
        if (fstat(handle, &opened) == 0 && stat(path.c_str(), &named) == 0 &&
            opened.st_ino == named.st_ino && opened.st_dev == named.st_dev) {
            const std::string pid = std::to_string(currentProcessId()) + "\r\n";
            if (ftruncate(handle, 0) != 0 || write(handle, pid.data(), pid.size()) < 0) {
                // The lock holds without the id; a refused run then names no process.
            }
            return Locking::Held;
        }
        close(handle);
    }
}

void unlockFile(const std::string& path, Handle handle) {
    unlink(path.c_str());
    close(handle);
}
#endif

}  // namespace

FolderLock::FolderLock(const std::string& folder) : path_(joinPath(folder, kLockFileName)) {
    const std::lock_guard lock(holdsMutex);
    Hold& hold = holds()[path_];
    const Locking locking = hold.count > 0 ? Locking::Held : lockFile(path_, hold.handle);
    if (locking != Locking::Held)
        holds().erase(path_);
    // A folder where no lock file can be made cannot be written either: the run goes on and
    // its writes fail with their own messages.
    held_ = locking != Locking::Busy;
    if (locking == Locking::Busy)
        holder_ = recordedHolder(path_);
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
