// Real splits through the image library with one job and with four: the same files with the
// same bytes, and the same messages and status texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "support/test_images.h"
#include "tiling/tiling_rig.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::FakeHost;
using testing::ScratchDir;

// Every file under `root` with its bytes, by path relative to the root, leaving out `inputs`.
// PNG files carry the time they were written, so their pixels stand for them.
std::map<std::string, std::string> treeBytes(const fs::path& root,
                                             const std::set<std::string>& inputs) {
    std::map<std::string, std::string> tree;
    ScratchDir scratch;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        if (inputs.contains(relative))
            continue;
        if (!entry.is_regular_file()) {
            tree[relative] = "/";
        } else if (relative.ends_with(".PNG")) {
            const auto pixels = testing::rgbaPixels(entry.path().string(), scratch);
            tree[relative] = std::string(pixels.begin(), pixels.end());
        } else {
            tree[relative] = testing::readFile(entry.path().string());
        }
    }
    return tree;
}

struct SplitResult {
    bool clean = false;
    std::map<std::string, std::string> tree;
    std::vector<FakeHost::Message> messages;
    std::vector<std::string> statuses;
    std::vector<std::pair<int, int>> progress;
};

// Runs `split` over the images of `dir` with `jobs` workers, then removes all it made.
SplitResult runSplit(const ScratchDir& dir, int jobs, SizeClass sizeClass,
                     const std::function<bool(AppState&)>& split) {
    std::set<std::string> inputs;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        inputs.insert(entry.path().filename().string());
    FakeHost host;
    AppState app(host);
    app.options.loaded = true;
    app.options.ramMb = "512";
    app.jobs = jobs;
    app.settings.tilesFolder = dir.path().string();
    app.settings.openWhenDone = false;
    app.run.sizeClass = sizeClass;
    app.run.root1024 = app.run.root4096 = dir.path().string();
    SplitResult result;
    result.clean = split(app);
    result.tree = treeBytes(dir.path(), inputs);
    result.messages = host.messages;
    result.statuses = host.statuses;
    result.progress = host.progressReports;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (!inputs.contains(entry.path().filename().string()))
            fs::remove_all(entry.path());
    }
    return result;
}

void expectSameRun(const SplitResult& one, const SplitResult& four) {
    EXPECT_EQ(one.clean, four.clean);
    EXPECT_EQ(one.tree.size(), four.tree.size());
    for (const auto& [path, bytes] : one.tree) {
        const auto found = four.tree.find(path);
        ASSERT_NE(found, four.tree.end()) << path;
        EXPECT_TRUE(found->second == bytes) << path << " differs";
    }
    EXPECT_EQ(one.messages, four.messages);
    EXPECT_EQ(one.statuses, four.statuses);
    EXPECT_EQ(one.progress, four.progress);
}

TEST(ConcurrentSplit, FolderOf1024ImagesGivesTheSameBytesAndMessagesWithFourJobs) {
    ScratchDir dir;
    for (const std::string name : {"a", "b", "c", "d"}) {
        runConvert({"convert", "-size", "1024x1024", "-seed", std::to_string(name[0]),
                    "plasma:", "-quality", "90", dir / (name + ".jpg")});
        testing::writeWorldFile(dir / (name + ".jgw"), 0.001, -0.001, 10 + name[0], 20);
    }
    testing::writeFile(dir / "b.jpg", "not a picture at all");
    // Same name as a.jpg: its tiles replace those of a.jpg, in the same order with four jobs.
    runConvert({"convert", "-size", "1024x1024", "gradient:red-blue", dir / "a.png"});
    testing::writeWorldFile(dir / "a.pgw", 0.001, -0.001, 10 + 'a', 20);
    const SplitResult one =
        runSplit(dir, 1, SizeClass::S1024, [](AppState& app) { return Split1024(app); });
    const SplitResult four =
        runSplit(dir, 4, SizeClass::S1024, [](AppState& app) { return Split1024(app); });
    EXPECT_FALSE(one.clean);
    EXPECT_GT(one.tree.size(), 3u * 21u);
    ASSERT_EQ(one.messages.size(), 1u);
    // Tiling counts whole images (the KML pass reports its own progress after it).
    const std::vector<std::pair<int, int>> perImage{{1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}};
    ASSERT_GE(one.progress.size(), perImage.size());
    EXPECT_TRUE(std::equal(perImage.begin(), perImage.end(), one.progress.begin()));
    expectSameRun(one, four);
}

// Steps reading the same file decode it once, and free it after its last reader; no tile may
// change for it, with or without a colour made transparent (which changes the pixels of one
// reader only).
TEST(ConcurrentSplit, DecodingASharedFileOnceChangesNoTile) {
    ScratchDir dir;
    runConvert({"convert", "-size", "1024x1024", "-seed", "7", "plasma:", "-fill", "rgb(255,0,255)",
                "-draw", "rectangle 0,0 700,300", dir / "m.png"});
    testing::writeWorldFile(dir / "m.pgw", 0.001, -0.001, 10, 20);
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
    for (const int transparent : {0, 1}) {
        SCOPED_TRACE(transparent);
        auto splitWith = [&](const ConvertRunner& convert) {
            return [&, transparent](AppState& app) {
                app.settings.transparent = transparent;
                app.settings.transparentColourText = "RGB(255, 0, 255)";
                return Split1024(app, convert);
            };
        };
        kept = forgotten = 0;
        const SplitResult once = runSplit(dir, 2, SizeClass::S1024, splitWith(shared));
        EXPECT_EQ(kept, 5);  // the image and its four 512 pieces
        EXPECT_EQ(forgotten, 5);
        const SplitResult twice = runSplit(dir, 2, SizeClass::S1024, splitWith(plain));
        EXPECT_TRUE(once.clean);
        EXPECT_EQ(once.tree.size(), twice.tree.size());
        expectSameRun(twice, once);
    }
}

TEST(ConcurrentSplit, Image4096GivesTheSameBytesWithFourJobs) {
    ScratchDir dir;
    testing::makeImage(dir / "big.jpg", 4096, 4096);
    testing::writeWorldFile(dir / "big.jgw", 0.0001, -0.0001, 10, 20);
    const int threads = magickThreads();
    const SplitResult one =
        runSplit(dir, 1, SizeClass::S4096, [](AppState& app) { return Split4096(app); });
    const SplitResult four =
        runSplit(dir, 4, SizeClass::S4096, [](AppState& app) { return Split4096(app); });
    EXPECT_TRUE(one.clean);
    EXPECT_GT(one.tree.size(), 341u);
    // The library's own threads are given back once the pool has ended.
    EXPECT_EQ(magickThreads(), threads);
    expectSameRun(one, four);
}

}  // namespace
}  // namespace orvanta
