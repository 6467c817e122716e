#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/run_error.h"
#include "magick/commands.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"
#include "tiling/grid_splitter.h"
#include "tiling/tile_set.h"

namespace orvanta::testing {

// The main window's state on a scripted host, with the large-image options set as if loaded.
struct TilingRig {
    FakeHost host;
    AppState app{host};
    ScratchDir dir;

    TilingRig() {
        app.options.loaded = true;
        app.options.ramMb = "512";
        // One step after another, so the recorded calls come in plan order.
        app.jobs = 1;
    }
    std::string path(const std::string& name) const { return dir / name; }
};

// Stands in for the image tool: records each call and writes empty files for its outputs; an
// input that does not exist fails as the image tool would.
struct FakeConvert {
    std::vector<ConvertCall> calls;
    std::mutex mutex;  // calls may come from several workers
    ConvertRunner runner() {
        return [this](const ConvertCall& call) {
            if (!std::filesystem::exists(call.input())) {
                throw RunError(errors::ImageTool, "unable to open image `" + call.input() + "'");
            }
            {
                const std::lock_guard<std::mutex> lock(mutex);
                calls.push_back(call);
            }
            for (const std::string& out : outputFiles(call))
                writeFile(out, "");
        };
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
