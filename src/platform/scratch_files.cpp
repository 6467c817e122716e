#include "platform/scratch_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/run_error.h"

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace orvanta {

long currentProcessId() {
#ifdef _WIN32
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(getpid());
#endif
}

bool processIsRunning(long pid) {
    if (pid <= 0)
        return false;
#ifdef _WIN32
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
#else
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

std::string scratchPathFor(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    const std::size_t nameAt = separator == std::string::npos ? 0 : separator + 1;
    return path.substr(0, nameAt) + kScratchPrefix + std::to_string(currentProcessId()) + "-" +
           path.substr(nameAt);
}

void commitScratch(const std::string& scratch, const std::string& path) {
    std::error_code error;
    std::filesystem::rename(scratch, path, error);
    if (!error)
        return;
    discardScratch(scratch);
    throw RunError(errors::PathFileAccess,
                   "Path/File access error: " + path + " (" + error.message() + ")");
}

void discardScratch(const std::string& scratch) {
    std::error_code ignored;
    std::filesystem::remove(scratch, ignored);
}

int removeStaleScratch(const std::string& folder, bool subfolders) {
    const std::string prefix = kScratchPrefix;
    int removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code ignored;
        if (subfolders && entry->is_directory(ignored) && !entry->is_symlink(ignored)) {
            removed += removeStaleScratch(entry->path().string(), true);
            continue;
        }
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::size_t dash = name.find('-', prefix.size());
        long pid = 0;
        try {
            pid = std::stol(name.substr(prefix.size(), dash - prefix.size()));
        } catch (const std::exception&) {
            continue;
        }
        if (dash != std::string::npos && !processIsRunning(pid) &&
            std::filesystem::remove(entry->path(), ignored)) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace orvanta
