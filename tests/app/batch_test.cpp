#include "app/batch.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

LatLonBounds bounds(double north, double south, double east, double west) {
    return {CoordValue::number(north), CoordValue::number(south), CoordValue::number(east),
            CoordValue::number(west)};
}

TEST(BatchBounds, MergeKeepsTheOuterEdgeOfEachSide) {
    const LatLonBounds merged = mergeBounds(bounds(30, 10, 20, 10), bounds(35, 5, 12, 5));
    EXPECT_EQ(merged, bounds(35, 5, 20, 5));
    // A winning edge keeps its form: a world file's text stays text.
    LatLonBounds text = bounds(0, 0, 0, 0);
    text.west = CoordValue::fromText("4.50");
    EXPECT_EQ(FormatCoord(mergeBounds(bounds(1, 1, 1, 5), text).west), "4.50");
}

TEST(BatchTopKml, LinksEveryFolderWithTheExactLines) {
    const std::string text = batchTopKmlText("Area", bounds(20, 5, 20, 5), "LOW", {"/t/a", "/t/b"});
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<kml xmlns=\"http://earth.google.com/kml/2.1\">\r\n"
        "<Document>\r\n"
        "    <name>Area</name>\r\n"
        "    <Region>\r\n"
        "        <LatLonAltBox>\r\n"
        "            <north>20</north>\r\n"
        "        <south>5</south>\r\n"
        "        <east>20</east>\r\n"
        "        <west>5</west>\r\n"
        "            <minAltitude>0.000000</minAltitude>\r\n"
        "            <maxAltitude>0.000000</maxAltitude>\r\n"
        "        </LatLonAltBox>\r\n"
        "        <Lod>\r\n"
        "       <minLodPixels>0</minLodPixels>\r\n"
        "            <maxLodPixels>-1</maxLodPixels>\r\n"
        "            <minFadeExtent>0</minFadeExtent>\r\n"
        "            <maxFadeExtent>0</maxFadeExtent>\r\n"
        "        </Lod>\r\n"
        "    </Region>\r\n"
        "<NetworkLink>\r\n"
        "    <name>Area0</name>\r\n"
        "    <Link>\r\n"
        "        <href>/t/a/Area0.kml</href>\r\n"
        "        <viewRefreshMode>onRegion</viewRefreshMode>\r\n"
        "    </Link>\r\n"
        "</NetworkLink>\r\n"
        "<NetworkLink>\r\n"
        "    <name>Area1</name>\r\n"
        "    <Link>\r\n"
        "        <href>/t/b/Area1.kml</href>\r\n"
        "        <viewRefreshMode>onRegion</viewRefreshMode>\r\n"
        "    </Link>\r\n"
        "</NetworkLink>\r\n"
        "</Document>\r\n"
        "</kml>\r\n";
    EXPECT_EQ(text, expected);
    const std::string high = batchTopKmlText("Area", bounds(1, 0, 1, 0), "HIGH", {});
    EXPECT_NE(high.find("\r\n            <minLodPixels>384</minLodPixels>\r\n"), std::string::npos);
    EXPECT_EQ(high.find("NetworkLink"), std::string::npos);
}

}  // namespace
}  // namespace orvanta
