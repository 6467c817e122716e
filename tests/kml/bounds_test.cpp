#include <gtest/gtest.h>

#include "imagery/world_file.h"
#include "kml/lat_lon_bounds.h"
#include "platform/run_error.h"

namespace orvanta {
namespace {

CoordValue num(double v) {
    return CoordValue::number(v);
}

WorldFile worldFile(const std::string& a, const std::string& e, const std::string& c,
                    const std::string& f) {
    return parseWorldFile(a + "\n0\n0\n" + e + "\n" + c + "\n" + f + "\n");
}

TEST(KmlNumberFormat, FifteenSignificantDigitsCapitalExponent) {
    EXPECT_EQ(FormatNumber(-90), "-90");
    EXPECT_EQ(FormatNumber(0.0001), "0.0001");
    EXPECT_EQ(FormatNumber(0.00001), "1E-05");
    EXPECT_EQ(FormatNumber(-1.25e-7), "-1.25E-07");
    EXPECT_EQ(FormatNumber(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FormatNumber(-0.0), "0");
    EXPECT_EQ(FormatNumber(Midpoint(num(0), num(0.0001))), "5E-05");
    // A text edge prints unchanged, its value converts for arithmetic.
    const CoordValue text = CoordValue::fromText("-122.50000000");
    EXPECT_EQ(FormatCoord(text), "-122.50000000");
    EXPECT_EQ(text.value(), -122.5);
    EXPECT_THROW(CoordValue::fromText("1,5"), RunError);
}

TEST(KmlBounds, TileFromWorldFileKeepsNorthAndWestText) {
    const LatLonBounds t = TileBounds(worldFile("0.001", "-0.001", "10", "20"), 1024);
    EXPECT_EQ(FormatCoord(t.north), "20");
    EXPECT_EQ(FormatCoord(t.south), "18.976");
    EXPECT_EQ(FormatCoord(t.east), "11.024");
    EXPECT_EQ(FormatCoord(t.west), "10");
    EXPECT_TRUE(t.north.isText() && t.west.isText());
    const LatLonBounds q4 = QuadrantBounds(t, 4);
    EXPECT_EQ(q4, (LatLonBounds{num(19.488), t.south, t.east, num(10.512)}));
    // 0.1024 degrees east of C, printed with at most 15 significant digits.
    const LatLonBounds fine = TileBounds(worldFile("0.0001", "-0.0001", "7.3", "1"), 1024);
    EXPECT_EQ(FormatCoord(fine.east), "7.4024");
    // A short world file cannot give bounds.
    EXPECT_THROW(TileBounds(parseWorldFile("0.001\n0\n0\n-0.001\n10\n"), 1024), RunError);
}

// Quadrant numbering and paths shorter than four digits are pinned by the golden trees.
TEST(KmlBounds, CellEdgesMatchRepeatedQuadrantStepsBitForBit) {
    const LatLonBounds tile = TileBounds(
        worldFile("0.000123456789", "-0.000098765", "-122.50000000", "47.25000000"), 4096);
    for (int path = 0; path < 256; ++path) {
        const QuadPath p{{path / 64 + 1, path / 16 % 4 + 1, path / 4 % 4 + 1, path % 4 + 1}};
        LatLonBounds stepped = tile;
        for (int q : p.digits)
            stepped = QuadrantBounds(stepped, q);
        const LatLonBounds cell = CellBounds(p, tile);
        EXPECT_EQ(cell.north.value(), stepped.north.value());
        EXPECT_EQ(cell.south.value(), stepped.south.value());
        EXPECT_EQ(cell.east.value(), stepped.east.value());
        EXPECT_EQ(cell.west.value(), stepped.west.value());
        EXPECT_FALSE(cell.north.isText() || cell.west.isText());
    }
    // The north-western cell reached by the cell-edge functions prints as a number.
    EXPECT_EQ(FormatCoord(CellBounds(QuadPath{{1, 1, 0, 0}}, tile).north), "47.25");
}

// A box beyond 180 goes round to -180, one across it keeps its east, one beyond a pole ends at
// it; a union of boxes goes once round at most.
TEST(KmlBounds, BoxesCutToTheGlobe) {
    const LatLonBounds tile = TileBounds(worldFile("0.01", "-0.01", "175", "10"), 1024);
    const PictureCut whole{0, 0, 256, 256};
    EXPECT_EQ(cutBounds(QuadrantBounds(tile, 1), whole, 256, 175), QuadrantBounds(tile, 1));
    const LatLonBounds beyond = cutBounds(QuadrantBounds(tile, 2), whole, 256, 175);
    EXPECT_DOUBLE_EQ(beyond.west.value(), -179.88);
    EXPECT_DOUBLE_EQ(beyond.east.value(), -174.76);
    LatLonBounds all = EmptyRootBounds();
    IncludeTile(all, tile);
    IncludeTile(all, beyond);
    EXPECT_DOUBLE_EQ(all.east.value(), -179.88 + 360);  // once round the globe at most
    const LatLonBounds polar = TileBounds(worldFile("0.01", "-0.01", "0", "-85"), 1024);
    EXPECT_EQ(cutBounds(polar, PictureCut{0, 0, 256, 126}, 256, 0).south.value(), -90);
}

}  // namespace
}  // namespace orvanta
