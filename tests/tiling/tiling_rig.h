#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "magick/commands.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"
#include "support/test_policy.h"
#include "tiling/grid_splitter.h"
#include "tiling/tile_set.h"

namespace orvanta::testing {

// A scripted host, the error policy of the operations without a window and a scratch folder.
struct SplitRig {
    FakeHost host;
    TestPolicy policy{host};
    ScratchDir dir;

    std::string path(const std::string& name) const { return dir / name; }
    std::string root() const { return dir.path().string(); }
    // A run over the images in the scratch folder, one step after another.
    SplitRequest folderRun(SizeClass sizeClass) const {
        SplitRequest request;
        request.sizeClass = sizeClass;
        request.root = root();
        request.images = folderImages(root());
        return request;
    }
    bool split(const SplitRequest& request, const ConvertRunner& convert = magickConvertRunner()) {
        return splitImages(host, policy, request, convert);
    }
};

// Files with the extension (case kept) directly in a folder.
inline int countFiles(const std::string& folder, const std::string& extension) {
    int count = 0;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        count += entry.path().filename().string().ends_with(extension);
    }
    return count;
}

// The pixels of an image as 8-bit RGBA bytes, row by row.
inline std::vector<unsigned char> rgbaPixels(const std::string& path, const ScratchDir& scratch) {
    const std::string raw = scratch / "pixels.rgba";
    runConvert({"convert", path, "-depth", "8", "rgba:" + raw});
    const std::string bytes = readFile(raw);
    return {bytes.begin(), bytes.end()};
}

// Makes a folder unwritable, for root too (immutable flag where the file system has one);
// undone when it goes out of scope.
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(const std::string& path) : path_(path) {
        chmod(path.c_str(), 0555);
        if (geteuid() == 0)
            immutable_ = setImmutable(true);
    }
    ~ReadOnlyFolder() {
        if (immutable_)
            setImmutable(false);
        chmod(path_.c_str(), 0755);
    }
    // False when the folder can still be written (root on a file system without the flag).
    bool effective() const { return geteuid() != 0 || immutable_; }

  private:
    bool setImmutable(bool on) {
        const int fd = open(path_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        close(fd);
        return ok;
    }
    std::string path_;
    bool immutable_ = false;
};

}  // namespace orvanta::testing
