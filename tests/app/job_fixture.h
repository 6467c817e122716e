#pragma once

#include <filesystem>
#include <string>

#include "app/app_state.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta::testing {

// An application state on a scripted host over a scratch folder, and tile folders made in it.
template <typename HostType = FakeHost>
class JobTestOn : public ::testing::Test {
  protected:
    JobTestOn() : app(host) { app.startUp({"/"}); }

    // A square tile of `size` pixels with a world file; its west edge is `west` degrees.
    std::string tile(const std::string& folder, const std::string& name, int size = 1024,
                     double west = 10) {
        std::filesystem::create_directories(folder);
        const std::string image = folder + "/" + name + ".jpg";
        makeImage(image, size, size);
        writeWorldFile(folder + "/" + name + ".jgw", 0.001, -0.001, west, 20);
        return image;
    }

    std::string folderOfTiles(const std::string& name, int count, int size = 1024) {
        const std::string folder = dir / name;
        for (int i = 0; i < count; ++i)
            tile(folder, "t" + std::to_string(i), size, 10 + i);
        return folder;
    }

    HostType host;
    AppState app;
    ScratchDir dir;
};

using JobTest = JobTestOn<>;

}  // namespace orvanta::testing
