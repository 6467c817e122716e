#include "imagery/piece_world_files.h"

#include <gtest/gtest.h>

#include "platform/run_error.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

WorldFile sourceWorld() {
    return parseWorldFile(" 0.0001 \r\n0.0\r\n0.0\r\n-0.0001\r\n10.00005\r\n50.99995\r\n");
}

std::vector<int> edgePieces(const PieceWorldPlan& plan) {
    std::vector<int> edges;
    for (const PiecePlan& piece : plan.pieces) {
        if (piece.edge)
            edges.push_back(piece.k);
    }
    return edges;
}

TEST(PieceWorldFiles, TenThousandByNineThousandGivesNinePiecesFiveOfThemPadded) {
    const PieceWorldPlan plan = planPieceWorldFiles(10000, 9000, sourceWorld(), "big");
    ASSERT_EQ(plan.pieces.size(), 9u);
    EXPECT_EQ(edgePieces(plan), (std::vector<int>{2, 5, 6, 7, 8}));
    EXPECT_EQ(plan.paddedPieces, "1");
    ASSERT_EQ(plan.paddedPieceNames.size(), 5u * 17u);
    const std::vector<std::string> firstPiece(plan.paddedPieceNames.begin(), plan.paddedPieceNames.begin() + 6);
    EXPECT_EQ(firstPiece, (std::vector<std::string>{"big_2", "big_2_0_0", "big_2_0_1", "big_2_0_2",
                                                    "big_2_0_3", "big_2_1_0"}));
    EXPECT_EQ(plan.paddedPieceNames[16], "big_2_3_3");
    EXPECT_EQ(plan.paddedPieceNames[17], "big_5");

    // Piece 4 is row 1, column 1: one piece right of and one piece below the upper left.
    const PiecePlan& piece4 = plan.pieces[4];
    EXPECT_EQ(piece4.row, 1);
    EXPECT_EQ(piece4.column, 1);
    EXPECT_EQ(
        splitLines(piece4.worldFileText),
        (std::vector<std::string>{"0.0001", "0.0", "0.0", "-0.0001", "10.40965", "50.59035"}));
    EXPECT_EQ(piece4.worldFileText.substr(piece4.worldFileText.size() - 2), "\r\n");
    EXPECT_EQ(splitLines(plan.pieces[0].worldFileText)[4], "10.00005");
}

TEST(PieceWorldFiles, EveryPieceIsLocatedWhateverTheRemainders) {
    // One side a multiple of 4096: the short row is still padded and every piece located.
    PieceWorldPlan plan = planPieceWorldFiles(8192, 9000, sourceWorld(), "m");
    EXPECT_EQ(plan.pieces.size(), 6u);
    EXPECT_EQ(edgePieces(plan), (std::vector<int>{4, 5}));
    EXPECT_EQ(plan.paddedPieces, "1");
    for (const PiecePlan& piece : plan.pieces)
        EXPECT_EQ(splitLines(piece.worldFileText).size(), 6u);

    plan = planPieceWorldFiles(9000, 8192, sourceWorld(), "m");
    EXPECT_EQ(edgePieces(plan), (std::vector<int>{2, 5}));

    // Both multiples: every piece gets its world file, none is padded.
    plan = planPieceWorldFiles(8192, 8192, sourceWorld(), "m");
    EXPECT_EQ(plan.pieces.size(), 4u);
    EXPECT_TRUE(edgePieces(plan).empty());
    EXPECT_TRUE(plan.paddedPieceNames.empty());
    EXPECT_EQ(plan.paddedPieces, "0");
    EXPECT_EQ(splitLines(plan.pieces[3].worldFileText)[5], "50.59035");

    // Smaller than one piece: one padded piece.
    plan = planPieceWorldFiles(300, 200, sourceWorld(), "m");
    EXPECT_EQ(edgePieces(plan), (std::vector<int>{0}));
}

TEST(PieceWorldFiles, UnusableWorldFileIsATypeMismatch) {
    WorldFile world = sourceWorld();
    world.C = "east";
    try {
        planPieceWorldFiles(5000, 5000, world, "x");
        FAIL() << "no error";
    } catch (const RunError& error) {
        EXPECT_EQ(error.number(), errors::TypeMismatch);
    }
}

}  // namespace
}  // namespace orvanta
