// Real splits through the image library with one job and with four: the same files with the
// same bytes, and the same messages, status texts and progress.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <set>

#include "support/test_images.h"
#include "tiling/tiling_rig.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::FakeHost;
using testing::ScratchDir;

// A digest of the bytes of every file under `root`, by path relative to the root, leaving out
// `inputs`. PNG files carry the time they were written, so their pixels stand for them.
std::map<std::string, std::size_t> treeDigests(const fs::path& root,
                                               const std::set<std::string>& inputs) {
    const std::hash<std::string> digest;
    std::map<std::string, std::size_t> tree;
    ScratchDir scratch;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        if (inputs.contains(relative))
            continue;
        if (!entry.is_regular_file()) {
            tree[relative] = 0;
        } else if (relative.ends_with(".PNG")) {
            const auto pixels = testing::rgbaPixels(entry.path().string(), scratch);
            tree[relative] = digest(std::string(pixels.begin(), pixels.end()));
        } else {
            tree[relative] = digest(testing::readFile(entry.path().string()));
        }
    }
    return tree;
}

struct SplitResult {
    bool goOn = false;
    int skipped = 0;
    std::map<std::string, std::size_t> tree;
    std::vector<std::pair<int, int>> progress;
};

// Splits the images of `dir` with `jobs` workers, then removes all it made.
SplitResult runSplit(const ScratchDir& dir, int jobs, SplitRequest request,
                     const ConvertRunner& convert = magickConvertRunner()) {
    std::set<std::string> inputs;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        inputs.insert(entry.path().filename().string());
    FakeHost host;
    testing::TestPolicy policy(host);
    request.root = dir.path().string();
    request.images = folderImages(request.root);
    request.jobs = jobs;
    SplitResult result;
    result.goOn = splitImages(host, policy, request, convert);
    result.skipped = policy.skippedSteps();
    result.tree = treeDigests(dir.path(), inputs);
    EXPECT_TRUE(host.messages.empty());
    result.progress = host.progressReports;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (!inputs.contains(entry.path().filename().string()))
            fs::remove_all(entry.path());
    }
    return result;
}

void expectSameRun(const SplitResult& one, const SplitResult& four) {
    EXPECT_EQ(one.goOn, four.goOn);
    EXPECT_EQ(one.skipped, four.skipped);
    EXPECT_EQ(one.tree, four.tree);
    EXPECT_EQ(one.progress, four.progress);
}

TEST(ConcurrentSplit, FolderOf1024ImagesGivesTheSameBytesAndProgressWithFourJobs) {
    ScratchDir dir;
    for (const std::string name : {"a", "c", "d"}) {
        runConvert({"convert", "-size", "1024x1024", "-seed", std::to_string(name[0]),
                    "plasma:", "-quality", "90", dir / (name + ".jpg")});
    }
    testing::writeFile(dir / "b.jpg", "not a picture at all");
    // Same name as a.jpg: its tiles replace those of a.jpg, in the same order with four jobs.
    runConvert({"convert", "-size", "1024x1024", "gradient:red-blue", dir / "a.png"});
    SplitRequest request;
    request.sizeClass = SizeClass::S1024;
    const SplitResult one = runSplit(dir, 1, request);
    const SplitResult four = runSplit(dir, 4, request);
    EXPECT_TRUE(one.goOn);
    EXPECT_EQ(one.skipped, 10);
    EXPECT_GT(one.tree.size(), 3u * 21u);
    // Progress counts whole images.
    EXPECT_EQ(one.progress,
              (std::vector<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
    expectSameRun(one, four);
}

// Steps reading the same file decode it once, and free it after its last reader; no tile may
// change for it, with or without a colour made transparent (which changes the pixels of one
// reader only).
TEST(ConcurrentSplit, DecodingASharedFileOnceChangesNoTile) {
    ScratchDir dir;
    runConvert({"convert", "-size", "1024x1024", "-seed", "7", "plasma:", "-fill", "rgb(255,0,255)",
                "-draw", "rectangle 0,0 700,300", dir / "m.png"});
    const ConvertRunner library = magickConvertRunner();
    std::atomic<int> kept{0}, forgotten{0};
    ConvertRunner shared = library;
    shared.keepDecoded = [&](const std::string& key, const std::string& path) {
        library.keepDecoded(key, path);
        ++kept;
    };
    shared.forgetDecoded = [&](const std::string& key) {
        library.forgetDecoded(key);
        ++forgotten;
    };
    const ConvertRunner plain(library.run);
    for (const bool transparent : {false, true}) {
        SCOPED_TRACE(transparent);
        SplitRequest request;
        request.sizeClass = SizeClass::S1024;
        if (transparent)
            request.tiles.transparentColour = Rgb{255, 0, 255};
        kept = forgotten = 0;
        const SplitResult once = runSplit(dir, 2, request, shared);
        EXPECT_EQ(kept, 5);  // the image and its four 512 pieces
        EXPECT_EQ(forgotten, 5);
        const SplitResult twice = runSplit(dir, 2, request, plain);
        EXPECT_EQ(once.skipped, 0);
        expectSameRun(twice, once);
    }
}

// A single 4096 image: its own marker, its two top levels, then its 1024 pieces.
TEST(ConcurrentSplit, Image4096GivesTheSameBytesWithFourJobs) {
    ScratchDir dir;
    testing::makeImage(dir / "big.jpg", 4096, 4096);
    SplitRequest request;
    request.sizeClass = SizeClass::S4096;
    request.singleImage = true;
    request.nameMarker = dir / "big.txt";
    const int threads = magickThreads();
    const SplitResult one = runSplit(dir, 1, request);
    const SplitResult four = runSplit(dir, 4, request);
    EXPECT_TRUE(one.goOn);
    EXPECT_EQ(one.skipped, 0);
    const std::size_t marker = std::hash<std::string>{}(" \r\n");
    EXPECT_EQ(one.tree.at("big.txt"), marker);
    EXPECT_EQ(one.tree.at("Tgroup2/Tgroup2.txt"), marker);
    EXPECT_EQ(std::count_if(one.tree.begin(), one.tree.end(),
                            [](const auto& file) { return file.first.ends_with(".JPG"); }),
              341 + 16);  // the tiles and the 1024 pieces
    // The library's own threads are given back once the pool has ended.
    EXPECT_EQ(magickThreads(), threads);
    expectSameRun(one, four);
}

}  // namespace
}  // namespace orvanta
