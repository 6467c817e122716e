#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvanta {

// Fixed local disks offered as scratch drives, in the order the system lists them: drive
// letters such as "C:" on Windows, mount points of local disk filesystems elsewhere.
std::vector<std::string> fixedDisks();

// The same rule applied to the text of a mount table (fields: device, mount point, type, ...).
// "/" is always offered first when the table does not list it as a local disk (containers).
std::vector<std::string> fixedDisksFromMountTable(const std::string& mountTable);

struct MemoryFigures {
    std::uint64_t totalBytes = 0;
    std::uint64_t freeBytes = 0;
};
MemoryFigures physicalMemory();

// Bytes free for the user on the drive or mount point holding `path`; nothing when unknown.
std::optional<std::uint64_t> freeDiskSpace(const std::string& path);

// The folder of the running program, without a trailing separator.
std::string programFolder();

// The folder separator of this platform.
inline constexpr char kPathSeparator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif

}  // namespace orvanta
