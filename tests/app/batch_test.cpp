#include "app/batch.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

LatLonBounds bounds(double north, double south, double east, double west) {
    return {CoordValue::number(north), CoordValue::number(south), CoordValue::number(east),
            CoordValue::number(west)};
}

TEST(BatchTopKml, LinksEveryFolderWithTheExactLines) {
    const std::string text = batchTopKmlText("Area", bounds(20, 5, 20, 5), "LOW", {"/t/a", "/t/b"});
    // Header, root document and footer are the fragments the golden trees pin; the links are
    // written only here.
    const std::string links =
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
    EXPECT_EQ(text.substr(text.size() - links.size()), links);
    EXPECT_NE(text.find("<name>Area</name>"), std::string::npos);
    EXPECT_NE(text.find("<north>20</north>\r\n        <south>5</south>"), std::string::npos);
    const std::string high = batchTopKmlText("Area", bounds(1, 0, 1, 0), "HIGH", {});
    EXPECT_NE(high.find("\r\n            <minLodPixels>384</minLodPixels>\r\n"), std::string::npos);
    EXPECT_EQ(high.find("NetworkLink"), std::string::npos);
}

}  // namespace
}  // namespace orvanta
