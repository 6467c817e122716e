#include "tiling/split_plans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/os_services.h"

namespace orvanta {
namespace {

using Args = std::vector<std::string>;

// A path written with "/" in the platform's form.
std::string n(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

TileSwitches plain(const std::string& format = "JPG", const std::string& quality = "100") {
    TileSwitches switches;
    switches.format = format;
    switches.quality = quality;
    return switches;
}

TileSwitches transparent(const std::string& colour) {
    TileSwitches switches = plain("PNG");
    switches.transparent = true;
    switches.colour = colour;
    return switches;
}

std::vector<Args> argsOf(const TilePlan& plan) {
    std::vector<Args> all;
    for (const ConvertCall& call : plan.convertCalls())
        all.push_back(call.args);
    return all;
}

TEST(SplitPlans, ImageOf1024ClassWithQuality75AndTif) {
    const TilePlan plan = image1024Plan(n("/in/a.jpg"), "a", n("/r/Tgroup1/Sgroup1"),
                                        n("/r/Tgroup1/Sgroup1"), plain("TIF", "75"));
    const std::string s1 = n("/r/Tgroup1/Sgroup1/");
    std::vector<Args> expected = {
        {n("/in/a.jpg"), "-quality", "75", "-crop", "512x512", s1 + n("kml/a_%d.JPG")},
        {n("/in/a.jpg"), "-quality", "75", "-resize", "256x256", s1 + "a.TIF"}};
    for (int q = 0; q < 4; ++q) {
        const std::string quarter = "a_" + std::to_string(q);
        expected.push_back(
            {s1 + n("kml/") + quarter + ".JPG", "-resize", "256x256", s1 + quarter + ".TIF"});
    }
    for (int q = 0; q < 4; ++q) {
        const std::string quarter = "a_" + std::to_string(q);
        expected.push_back({s1 + n("kml/") + quarter + ".JPG", "-quality", "75", "-crop", "256x256",
                            s1 + quarter + "_%d.TIF"});
    }
    EXPECT_EQ(argsOf(plan), expected);
}

TEST(SplitPlans, PlansOf2048And4096Classes) {
    const TileSet tiles{n("/r")};
    const auto whole = argsOf(image2048Plan(n("/in/b.png"), "b", tiles, true, plain("GIF")));
    EXPECT_EQ(whole.size(), 1u + 1 + 4 * (2 + 4 * 2));
    EXPECT_EQ(whole[1], (Args{n("/in/b.png"), "-quality", "100", "-resize", "256x256",
                              n("/r/Tgroup1/b.GIF")}));
    // Without the picture of the whole image; a transparent colour only on the steps that make
    // tiles, never on the JPEG pieces the later steps read.
    const auto see =
        argsOf(image2048Plan(n("/in/b.png"), "b", tiles, false, transparent("RGB(1, 2, 3)")));
    EXPECT_EQ(see.size(), whole.size() - 1);
    for (const Args& call : see) {
        EXPECT_EQ(std::count(call.begin(), call.end(), "-transparent"),
                  call.back().ends_with(".PNG") ? 1 : 0)
            << call.back();
    }

    // Every step on a 4096 image carries the memory limits with their units.
    TileSwitches switches = plain("JPG", "90");
    switches.memoryMb = "768";
    const Args limits = {"-limit", "memory", "768MiB", "-limit", "map", "4096MiB"};
    EXPECT_EQ(limitArgs(switches), limits);
    const auto calls = argsOf(image4096Plan(n("/in/c.tif"), "c", tiles, switches));
    ASSERT_EQ(calls.size(), 2u + 4 * 2);
    EXPECT_EQ(calls[6].back(), n("/r/Tgroup1/c_2_%d.JPG"));
    for (const Args& call : calls) {
        EXPECT_TRUE(std::search(call.begin(), call.end(), limits.begin(), limits.end()) !=
                    call.end());
    }
}

TEST(SplitPlans, EdgeImagesMatchTheirBackgroundWithATolerance) {
    TileSwitches edge = transparent("RGB(255, 0, 255)");
    edge.fuzzy = true;
    EXPECT_EQ(transparencyArgs(edge), (Args{"-fuzz", "2%", "-transparent", "RGB(255, 0, 255)"}));
    EXPECT_EQ(transparencyArgs(transparent("RGB(1, 2, 3)")),
              (Args{"-transparent", "RGB(1, 2, 3)"}));
    EXPECT_TRUE(transparencyArgs(plain()).empty());
}

// Every scratch piece a plan writes into a kml folder is deleted again, after its last reader;
// every step waits for the steps that make what it reads.
void expectScratchCleanedInOrder(const TilePlan& plan, const std::string& input) {
    const auto& ops = plan.ops();
    std::set<std::string> scratch;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const TileOp& op = ops[i];
        for (std::size_t before : op.after)
            EXPECT_LT(before, i);
        for (const std::string& read : op.reads) {
            if (read == input)
                continue;
            const bool madeEarlier = std::any_of(op.after.begin(), op.after.end(), [&](auto j) {
                return std::count(ops[j].writes.begin(), ops[j].writes.end(), read) > 0;
            });
            EXPECT_TRUE(madeEarlier) << read;
        }
        if (op.kind == TileOp::Kind::Convert) {
            for (const std::string& out : op.writes) {
                if (out.find(n("/kml/")) != std::string::npos)
                    scratch.insert(out);
            }
        }
        if (op.kind == TileOp::Kind::DeleteFile) {
            scratch.erase(op.path);
            for (std::size_t j = 0; j < i; ++j) {
                if (std::count(ops[j].reads.begin(), ops[j].reads.end(), op.path)) {
                    EXPECT_TRUE(std::count(op.after.begin(), op.after.end(), j)) << op.path;
                }
            }
        }
    }
    EXPECT_TRUE(scratch.empty()) << *scratch.begin();
}

TEST(SplitPlans, ScratchPiecesAreDeletedAfterTheirLastUse) {
    const TileSet tiles{n("/r")};
    expectScratchCleanedInOrder(image1024Plan("a.jpg", "a", n("/r/S1"), n("/r/S2"), plain()),
                                "a.jpg");
    expectScratchCleanedInOrder(image2048Plan("b.jpg", "b", tiles, true, plain()), "b.jpg");
    const TilePlan big = image4096Plan("c.jpg", "c", tiles, plain());
    expectScratchCleanedInOrder(big, "c.jpg");
    // The 1024 pieces of a 4096 image stay: they are the next stage's images.
    for (const TileOp& op : big.ops())
        EXPECT_EQ(op.path.find(n("/Tgroup1/")), std::string::npos);
}

TEST(TileSetNames, BaseNameIsCutAtTheFirstDotBeforeTheExtension) {
    EXPECT_EQ(imageBaseName("a.jpg"), "a");
    EXPECT_EQ(imageBaseName("area.old.JPG"), "area.old");
    EXPECT_EQ(imageBaseName("x.jpg.jpg"), "x");
    EXPECT_EQ(imageBaseName("a.JPG.b.jpg"), "a");
    EXPECT_EQ(outputFiles(ConvertCall{{"in", n("/k/a_%d.JPG")}}),
              (std::vector<std::string>{n("/k/a_0.JPG"), n("/k/a_1.JPG"), n("/k/a_2.JPG"),
                                        n("/k/a_3.JPG")}));
}

}  // namespace
}  // namespace orvanta
