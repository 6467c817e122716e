#include "platform/scratch_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/path_names.h"
#include "platform/run_error.h"

namespace orvanta {
namespace {

constexpr std::size_t kTokenLength = 6;
constexpr const char kTokenLetters[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool isTokenLetter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// Six letters and digits nobody can foretell.
std::string randomToken() {
    unsigned char bytes[kTokenLength] = {};
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        // Without the kernel's random numbers the exclusive creation still protects; the
        // clock and a counter only keep the names apart.
        static unsigned counter = 0;
        const auto mix = static_cast<unsigned long long>(
            std::chrono::steady_clock::now().time_since_epoch().count() + ++counter);
        for (std::size_t i = 0; i < kTokenLength; ++i)
            bytes[i] = static_cast<unsigned char>(mix >> (8 * i));
    }
    std::string token;
    for (const unsigned char byte : bytes)
        token += kTokenLetters[byte % (sizeof kTokenLetters - 1)];
    return token;
}

std::string scratchStem() {
    return kScratchPrefix + std::to_string(currentProcessId()) + "-";
}

RunError accessError(const std::string& path, int cause) {
    return RunError(errors::PathFileAccess,
                    "Path/File access error: " + path + " (" + std::strerror(cause) + ")");
}

RunError creationError(const std::string& folder, const std::string& path, int cause) {
    if (cause == ENOENT || cause == ENOTDIR)
        return RunError(errors::PathNotFound, "Path not found: " + folder);
    return accessError(path, cause);
}

std::string folderOrDot(const std::string& path) {
    const std::string folder = folderOf(path);
    return folder.empty() && path.find('/') == 0 ? "/" : folder.empty() ? "." : folder;
}

}  // namespace

long currentProcessId() {
    return static_cast<long>(getpid());
}

bool processIsRunning(long pid) {
    if (pid <= 0)
        return false;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

ScratchFile::ScratchFile(const std::string& path) : path_(path) {
    const std::string folder = folderOrDot(path);
    const std::size_t separator = path.find_last_of('/');
    const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        scratch_ = joinPath(folder, scratchStem() + randomToken() + "-" + name);
        descriptor_ =
            open(scratch_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (descriptor_ >= 0)
            return;
        if (errno != EEXIST)
            throw creationError(folder, path, errno);
    }
    throw accessError(path, EEXIST);
}

ScratchFile::~ScratchFile() {
    if (descriptor_ >= 0)
        close(descriptor_);
    if (!committed_)
        unlink(scratch_.c_str());
}

void ScratchFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw accessError(path_, written < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void ScratchFile::commit() {
    const int closed = close(descriptor_);
    const int cause = errno;
    descriptor_ = -1;
    if (closed != 0)
        throw accessError(path_, cause);
    commitScratch(scratch_, path_);
    committed_ = true;
}

ScratchFolder::ScratchFolder(const std::string& folder) {
    std::string pattern = joinPath(folder.empty() ? "." : folder, scratchStem() + "XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr)
        throw accessError(pattern, errno);
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void copyFileAtomically(const std::string& from, const std::string& to) {
    const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        throw accessError(from, errno);
    try {
        ScratchFile file(to);
        char buffer[1 << 16];
        for (;;) {
            const ssize_t got = read(source, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                throw accessError(from, errno);
            if (got == 0)
                break;
            file.write(std::string_view(buffer, static_cast<std::size_t>(got)));
        }
        file.commit();
    } catch (...) {
        close(source);
        throw;
    }
    close(source);
}

void commitScratch(const std::string& scratch, const std::string& path) {
    if (std::rename(scratch.c_str(), path.c_str()) == 0)
        return;
    const int cause = errno;
    unlink(scratch.c_str());
    throw accessError(path, cause);
}

std::optional<long> scratchMaker(const std::string& name, const std::string& prefix, bool folder) {
    if (name.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const std::size_t digits = name.find_first_not_of("0123456789", prefix.size());
    const std::size_t idLength =
        (digits == std::string::npos ? name.size() : digits) - prefix.size();
    if (idLength == 0 || idLength > 9 || digits == std::string::npos || name[digits] != '-')
        return std::nullopt;
    const std::size_t token = digits + 1, end = token + kTokenLength;
    if (name.size() < end ||
        !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(token),
                     name.begin() + static_cast<std::ptrdiff_t>(end), isTokenLetter)) {
        return std::nullopt;
    }
    const bool exact = folder ? name.size() == end : name.size() > end + 1 && name[end] == '-';
    if (!exact)
        return std::nullopt;
    return std::stol(name.substr(prefix.size(), idLength));
}

bool removeStaleScratchFolder(const std::string& path, const std::string& prefix) {
    struct stat info {};
    const std::optional<long> maker =
        scratchMaker(std::filesystem::path(path).filename().string(), prefix, true);
    if (!maker || lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != geteuid() || processIsRunning(*maker)) {
        return false;
    }
    std::error_code error;
    std::filesystem::remove_all(path, error);
    return !error;
}

int removeStaleScratch(const std::string& folder) {
    int removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string path = entry->path().string();
        if (removeStaleScratchFolder(path, kScratchPrefix)) {
            ++removed;
            continue;
        }
        struct stat info {};
        const std::optional<long> maker =
            scratchMaker(entry->path().filename().string(), kScratchPrefix, false);
        if (maker && lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == geteuid() && !processIsRunning(*maker) && unlink(path.c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace orvanta
