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

bool leftByEndedProcess(const std::string& name, const std::string& prefix, char after) {
    if (name.compare(0, prefix.size(), prefix) != 0)
        return false;
    const std::size_t end = after == '\0' ? name.size() : name.find(after, prefix.size());
    if (end == std::string::npos)
        return false;
    const std::string id = name.substr(prefix.size(), end - prefix.size());
    if (id.empty() || id.size() > 9 || id.find_first_not_of("0123456789") != std::string::npos)
        return false;
    return !processIsRunning(std::stol(id));
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
        if (leftByEndedProcess(name, prefix, '-') &&
            std::filesystem::remove(entry->path(), ignored)) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace orvanta
