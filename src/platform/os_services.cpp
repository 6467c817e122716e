#include "platform/os_services.h"

#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>

namespace orvanta {
namespace {

bool isLocalDiskType(const std::string& type) {
    static const std::array<const char*, 14> kTypes = {
        "ext2", "ext3",  "ext4", "xfs", "btrfs", "vfat",    "exfat",
        "ntfs", "ntfs3", "f2fs", "jfs", "zfs",   "hfsplus", "reiserfs"};
    return std::find(kTypes.begin(), kTypes.end(), type) != kTypes.end();
}

// Mount tables write blanks and other special characters in octal ("\040").
std::string unescapeMountField(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::isdigit(static_cast<unsigned char>(field[i + 1])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 2])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 3]))) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> fixedDisksFromMountTable(const std::string& mountTable) {
    std::vector<std::string> disks;
    std::istringstream lines(mountTable);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type))
            continue;
        if (device.rfind("/dev/", 0) != 0 || device.rfind("/dev/loop", 0) == 0)
            continue;
        if (!isLocalDiskType(type))
            continue;
        mountPoint = unescapeMountField(mountPoint);
        if (std::find(disks.begin(), disks.end(), mountPoint) == disks.end()) {
            disks.push_back(mountPoint);
        }
    }
    if (std::find(disks.begin(), disks.end(), "/") == disks.end())
        disks.insert(disks.begin(), "/");
    return disks;
}

std::vector<std::string> fixedDisks() {
    std::ifstream mounts("/proc/self/mounts");
    std::stringstream text;
    text << mounts.rdbuf();
    return fixedDisksFromMountTable(text.str());
}

MemoryFigures physicalMemory() {
    struct sysinfo info {};
    if (sysinfo(&info) != 0)
        return {};
    const std::uint64_t unit = info.mem_unit ? info.mem_unit : 1;
    return {static_cast<std::uint64_t>(info.totalram) * unit,
            static_cast<std::uint64_t>(info.freeram) * unit};
}

std::optional<std::uint64_t> freeDiskSpace(const std::string& path) {
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

std::string programFolder() {
    std::array<char, 4096> buffer{};
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return ".";
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace orvanta
