// The steps of each image, whatever runs them: what every step waits for and what is left.
#include "tiling/split_plans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/os_services.h"

namespace orvanta {
namespace {

// A path written with "/" in the platform's form.
std::string n(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
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
    const TileSwitches jpeg;
    expectScratchCleanedInOrder(image1024Plan("a.jpg", "a", n("/r/S1"), n("/r/S2"), jpeg), "a.jpg");
    expectScratchCleanedInOrder(image2048Plan("b.jpg", "b", tiles, true, jpeg), "b.jpg");
    const TilePlan big = image4096Plan("c.jpg", "c", tiles, jpeg);
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
}

}  // namespace
}  // namespace orvanta
