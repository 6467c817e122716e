#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "platform/process.h"
#include "support/kml_walk.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::runProgram;
using testing::ScratchDir;

// A picture on the ground: its draw order and north, south, east, west.
using Placement = std::pair<int, std::array<double, 4>>;

std::string sample(const std::string& name) {
    return std::string(ORVANTA_SOURCE_DIR) + "/samples/earth-tiles/" + name;
}

std::string decodeUrl(const std::string& url) {
    std::string out;
    for (std::size_t i = 0; i < url.size(); ++i) {
        if (url[i] == '%' && i + 2 < url.size()) {
            out += static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += url[i];
        }
    }
    return out;
}

std::string resolved(const fs::path& folder, const std::string& link) {
    const fs::path path(link);
    return (path.is_absolute() ? path : folder / path).lexically_normal().string();
}

// Every picture the page's index shows, by its path.
std::map<std::string, Placement> pageIndex(const std::string& page) {
    const std::string text = readFile(page);
    const std::size_t start = text.find("id=\"tree-index\">");
    const std::string json = text.substr(start, text.find("</script>", start) - start);
    const std::regex cell(
        R"re("z":(-?\d+),"n":([^,]+),"s":([^,]+),"e":([^,]+),"w":([^,]+),"picture":"([^"]+)")re");
    std::map<std::string, Placement> pictures;
    for (std::sregex_iterator it(json.begin(), json.end(), cell), end; it != end; ++it) {
        const std::smatch& m = *it;
        const std::string path = resolved(fs::path(page).parent_path(), decodeUrl(m[6]));
        EXPECT_TRUE(pictures.count(path) == 0) << path << " twice in the index";
        pictures[path] = {std::stoi(m[1]),
                          {std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), std::stod(m[5])}};
    }
    return pictures;
}

// Every GroundOverlay of the trees under the top files, by its picture's path.
std::map<std::string, Placement> kmlOverlays(const std::vector<std::string>& topFiles) {
    const std::regex overlay(
        R"re(<drawOrder>(-?\d+)</drawOrder>\s*<Icon>\s*<href>([^<]+)</href>[\s\S]*?<north>([^<]+)</north>\s*<south>([^<]+)</south>\s*<east>([^<]+)</east>\s*<west>([^<]+)</west>)re");
    std::map<std::string, Placement> pictures;
    std::vector<std::string> files;
    for (const std::string& top : topFiles) {
        const std::vector<std::string> reached = testing::walkKmlTree(top).kmlFiles;
        files.insert(files.end(), reached.begin(), reached.end());
    }
    for (const std::string& file : files) {
        const std::string text = readFile(file);
        for (std::sregex_iterator it(text.begin(), text.end(), overlay), end; it != end; ++it) {
            const std::smatch& m = *it;
            const std::string path = resolved(fs::path(file).parent_path(), m[2]);
            EXPECT_TRUE(pictures.count(path) == 0) << path << " shown twice by the trees";
            pictures[path] = {std::stoi(m[1]),
                              {std::stod(m[3]), std::stod(m[4]), std::stod(m[5]), std::stod(m[6])}};
        }
    }
    return pictures;
}

void expectIndexMatchesTrees(const std::string& page, const std::vector<std::string>& topFiles) {
    const std::map<std::string, Placement> index = pageIndex(page);
    const std::map<std::string, Placement> trees = kmlOverlays(topFiles);
    ASSERT_FALSE(trees.empty());
    ASSERT_EQ(index.size(), trees.size());
    for (const auto& [path, placement] : trees) {
        ASSERT_TRUE(index.count(path)) << path << " is not in the index";
        EXPECT_TRUE(fs::exists(path)) << path;
        EXPECT_EQ(index.at(path).first, placement.first) << path;
        for (int edge = 0; edge < 4; ++edge)
            EXPECT_NEAR(index.at(path).second[edge], placement.second[edge], 1e-9) << path;
    }
}

// A multi-resolution pair with relative links: both trees, each at its draw order, and
// nothing else, are in the index of the page beside the first top file.
TEST(PreviewPage, IndexHoldsEveryOverlayOfBothTreesOfAPair) {
    ScratchDir dir;
    const auto result =
        runProgram({ORVANTA_CLI, "multires", sample("tile_0.jpg"), sample("tile_1.jpg"), "--output",
                    dir / "out", "--relative-links", "--preview"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string page = dir / "out/tile_0.html";
    EXPECT_NE(result.out.find(page), std::string::npos) << result.out;
    expectIndexMatchesTrees(page, {dir / "out/tile_0.kml", dir / "out/tile_1.kml"});
}

// The sample's page opened from the disk in a real browser shows the imagery in its colours
// and asks nothing of the network.
TEST(PreviewPage, BrowserDrawsTheSampleOfflineFromTheDisk) {
    ScratchDir dir;
    const auto result = runProgram({ORVANTA_CLI, "transform", sample(""), "--output", dir / "out",
                                    "--name", "Earth", "--preview"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string page = dir / "out/Earth.html";
    expectIndexMatchesTrees(page, {dir / "out/Earth.kml"});

    const std::string chromium = findProgram("chromium");
    if (chromium.empty())
        GTEST_SKIP() << "chromium is not installed (scripts/install-deps installs it)";
    fs::create_directories(dir / "profile");
    // Zoom 1 draws 90 degrees in 256 pixels: the two tiles as 512 x 256 around the centre.
    const auto browser = runProgram(
        {chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--user-data-dir=" + (dir / "profile"), "--window-size=800,600",
         "--virtual-time-budget=10000", "--log-net-log=" + (dir / "net.json"),
         "--screenshot=" + (dir / "shot.png"), "file://" + page + "#1/22.5/67.5"});
    if (!fs::exists(dir / "shot.png"))
        GTEST_SKIP() << "chromium could not start: " << browser.err;
    // The browser's own calls carry no origin; every request of the page would carry its own.
    std::istringstream netLog(readFile(dir / "net.json"));
    for (std::string line; std::getline(netLog, line);) {
        if (line.find("\"url\":\"http") != std::string::npos &&
            line.find("\"initiator\":") != std::string::npos) {
            EXPECT_NE(line.find("\"initiator\":\"not an origin\""), std::string::npos) << line;
        }
    }
    // The colours over the middle of the imagery, 512 x 256 pixels around the centre of the
    // 800 x 600 map, against the same places of the sample's tiles.
    std::array<double, 3> shown{}, source{};
    int drawn = 0;
    const auto rgb = [](const std::string& picture, int x, int y) {
        std::array<int, 3> c{};
        std::sscanf(testing::pixelColour(picture, x, y).c_str(), "%d,%d,%d", &c[0], &c[1], &c[2]);
        return c;
    };
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 4; ++j) {
            const double fx = (i + 0.5) / 8, fy = 0.2 + 0.6 * (j + 0.5) / 4;
            const auto seen = rgb(dir / "shot.png", 144 + static_cast<int>(fx * 512),
                                  172 + static_cast<int>(fy * 256));
            const auto made =
                rgb(sample(fx < 0.5 ? "tile_0.jpg" : "tile_1.jpg"),
                    static_cast<int>(std::fmod(fx * 2, 1) * 1024), static_cast<int>(fy * 1024));
            drawn +=
                std::abs(seen[0] - 200) + std::abs(seen[1] - 205) + std::abs(seen[2] - 210) > 24;
            for (int c = 0; c < 3; ++c) {
                shown[c] += seen[c] / 32.0;
                source[c] += made[c] / 32.0;
            }
        }
    }
    EXPECT_GE(drawn, 29) << "the map area is blank";
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(shown[c], source[c], 30) << "channel " << c;
}

}  // namespace
}  // namespace orvanta
