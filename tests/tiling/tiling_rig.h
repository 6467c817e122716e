#pragma once

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

}  // namespace orvanta::testing
