#include "imagery/geotiff.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "imagery/folder_scan.h"
#include "imagery/world_file.h"
#include "magick/commands.h"
#include "platform/process.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

using testing::FakeHost;
using testing::ScratchDir;

// A GeoTIFF whose georeference lives only inside the file, made with the GeoTIFF tools.
void makeGeoTiff(const ScratchDir& dir, const std::string& name, int edge) {
    const std::string plain = dir / "plain.tif";
    const std::string world = dir / "plain.tfw";
    runConvert({"convert", "-size", std::to_string(edge) + "x" + std::to_string(edge), "xc:green",
                "-compress", "zip", plain});
    testing::writeFile(world, "0.001\n0\n0\n-0.001\n12.0005\n47.9995\n");
    ASSERT_EQ(runProgramAndWait({"geotifcp", "-e", world, plain, dir / name}, kListgeoLimit), 0);
    std::filesystem::remove(plain);
    std::filesystem::remove(world);
}

// The listing program's arguments, a hostile path among them, are checked by the hardening tests.
TEST(GeoTiff, FolderScanWritesTheMissingWorldFile) {
    ASSERT_FALSE(findProgram(findListgeo()).empty());
    ScratchDir dir;
    makeGeoTiff(dir, "Scene One.tif", 1024);
    FakeHost host;
    host.onRun = [](const std::vector<std::string>& argv) {
        return runProgramAndWait(argv, kListgeoLimit);
    };
    AppState app(host);
    EXPECT_EQ(getdirinfo(app, dir.path().string()), 1.0f);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(app.run.sizeClass, SizeClass::S1024);
    const WorldFile world = readWorldFile(dir / "Scene One.tfw");
    EXPECT_DOUBLE_EQ(*WorldFile::number(world.C), 12.0005);
    EXPECT_DOUBLE_EQ(*WorldFile::number(world.F), 47.9995);
    EXPECT_TRUE(isWgs84(world));
    EXPECT_GE(host.eventPumps, 2);

    // The file's private tags are warnings of the image library, not failures.
    EXPECT_NO_THROW(runConvert({"convert", dir / "Scene One.tif", dir / "copy.png"}));
}

TEST(GeoTiff, WaitLetsEventsRun) {
    FakeHost host;
    const auto start = std::chrono::steady_clock::now();
    Wait(host, 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_GT(host.eventPumps, 2);
}

}  // namespace
}  // namespace orvanta
