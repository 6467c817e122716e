#include "kml/fragments.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

// Expected texts are written with "\n"; the files end every line with CR LF.
std::string crlf(std::string_view text) {
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// A tile of the world file C = 10, F = 20 (kept as text), 1024 pixels of 0.001 degrees.
LatLonBounds tile() {
    return {CoordValue::fromText("20.000"), CoordValue::number(18.976), CoordValue::number(11.024),
            CoordValue::fromText("10")};
}

template <typename Write>
std::string written(Write write) {
    KmlWriter out;
    write(out);
    return out.text();
}

TEST(KmlFragments, HeaderAndFooterOfRootAndTreeFiles) {
    const std::string tail = "<kml xmlns=\"http://earth.google.com/kml/2.1\">\n<Document>\n";
    EXPECT_EQ(written([](KmlWriter& w) { writeHeader(w, true); }),
              crlf("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + tail));
    EXPECT_EQ(written([](KmlWriter& w) { writeHeader(w, false); }),
              crlf("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + tail));
    EXPECT_EQ(written([](KmlWriter& w) { writeFooter(w); }), crlf("</Document>\n</kml>\n"));
}

TEST(KmlFragments, RootDocumentByDisplayOrder) {
    const std::string low =
        written([](KmlWriter& w) { writeRootDocument(w, "area&co", tile(), DisplayOrder::Low); });
    EXPECT_EQ(low, crlf(R"(    <name>area&amp;co</name>
    <Region>
        <LatLonAltBox>
            <north>20.000</north>
        <south>18.976</south>
        <east>11.024</east>
        <west>10</west>
            <minAltitude>0.000000</minAltitude>
            <maxAltitude>0.000000</maxAltitude>
        </LatLonAltBox>
        <Lod>
       <minLodPixels>0</minLodPixels>
            <maxLodPixels>-1</maxLodPixels>
            <minFadeExtent>0</minFadeExtent>
            <maxFadeExtent>0</maxFadeExtent>
        </Lod>
    </Region>
)"));
    const std::string high =
        written([](KmlWriter& w) { writeRootDocument(w, "area&co", tile(), DisplayOrder::High); });
    EXPECT_NE(high.find("\r\n            <minLodPixels>384</minLodPixels>\r\n"), std::string::npos);
    EXPECT_EQ(high.size(), low.size() + 7);  // only that line differs
}

TEST(KmlFragments, RootLinkHasNoFadeLines) {
    const KmlLink link{"area0", tile(), "C:/t/kml/a.kml"};
    EXPECT_EQ(written([&](KmlWriter& w) { writeRootLink(w, link, DisplayOrder::High); }),
              crlf(R"(<NetworkLink>
    <name>area0</name>
    <Region>
        <LatLonAltBox>
<north>20.000</north>
<south>18.976</south>
<east>11.024</east>
<west>10</west>
    <minAltitude>0.000000</minAltitude>
    <maxAltitude>0.000000</maxAltitude>
        </LatLonAltBox>
        <Lod>
            <minLodPixels>384</minLodPixels>
            <maxLodPixels>-1</maxLodPixels>
        </Lod>
        </Region>
    <Link>
        <href>C:/t/kml/a.kml</href>
        <viewRefreshMode>onRegion</viewRefreshMode>
    </Link>
</NetworkLink>
)"));
}

TEST(KmlFragments, TileRegionAndTileLink) {
    EXPECT_EQ(written([](KmlWriter& w) {
                  writeTileRegion(w, tile(), DisplayOrder::Low, FadePair::High);
              }),
              crlf(R"(   <Region>
<LatLonAltBox>
<north>20.000</north>
<south>18.976</south>
<east>11.024</east>
<west>10</west>
    <minAltitude>0.000000</minAltitude>
    <maxAltitude>0.000000</maxAltitude>
 </LatLonAltBox>
 <Lod>
       <minLodPixels>0</minLodPixels>
<maxLodPixels>-1</maxLodPixels>
<minFadeExtent>384</minFadeExtent>
<maxFadeExtent>1536</maxFadeExtent>
</Lod>
</Region>
)"));
    const KmlLink link{"a_4", QuadrantBounds(tile(), 4), "u/kml/a_4.kml"};
    EXPECT_EQ(written([&](KmlWriter& w) { writeTileLink(w, link, FadePair::Fixed); }),
              crlf(R"(<NetworkLink>
<name>a_4</name>
    <Region>
   <LatLonAltBox>
<north>19.488</north>
<south>18.976</south>
<east>11.024</east>
<west>10.512</west>
       <minAltitude>0.000000</minAltitude>
       <maxAltitude>0.000000</maxAltitude>
   </LatLonAltBox>
   <Lod>
       <minLodPixels>102</minLodPixels>
       <maxLodPixels>-1</maxLodPixels>
<minFadeExtent>0</minFadeExtent>
<maxFadeExtent>0</maxFadeExtent>
   </Lod>
   </Region>
<Link>
<href>u/kml/a_4.kml</href>
<viewRefreshMode>onRegion</viewRefreshMode>
</Link>
</NetworkLink>
)"));
}

TEST(KmlFragments, CellRegionAndCellLinkIndented) {
    const LatLonBounds cell = CellBounds(QuadPath{{1, 1, 1, 0}}, tile());
    EXPECT_EQ(written([&](KmlWriter& w) {
                  writeCellRegion(w, cell, {198, FadePair::Fixed, BoundsStyle::Indented});
              }),
              crlf(R"(     <Region>
 <LatLonAltBox>
           <north>20</north>
           <south>19.872</south>
           <east>10.128</east>
           <west>10</west>
     <minAltitude>0.000000</minAltitude>
     <maxAltitude>0.000000</maxAltitude>
 </LatLonAltBox>
 <Lod>
     <minLodPixels>198</minLodPixels>
     <maxLodPixels>-1</maxLodPixels>
<minFadeExtent>0</minFadeExtent>
<maxFadeExtent>0</maxFadeExtent>
 </Lod>
  </Region>
)"));
    const KmlLink link{"a_1_1_1", cell, "u/kml/a_1_1_1.kml"};
    EXPECT_EQ(written([&](KmlWriter& w) {
                  writeCellLink(w, link, {198, FadePair::High, BoundsStyle::Indented});
              }),
              crlf(R"(<NetworkLink>
   <name>a_1_1_1</name>
       <Region>
           <LatLonAltBox>
           <north>20</north>
           <south>19.872</south>
           <east>10.128</east>
           <west>10</west>
               <minAltitude>0.000000</minAltitude>
               <maxAltitude>0.000000</maxAltitude>
           </LatLonAltBox>
           <Lod>
               <minLodPixels>198</minLodPixels>
               <maxLodPixels>-1</maxLodPixels>
<minFadeExtent>384</minFadeExtent>
<maxFadeExtent>1536</maxFadeExtent>
           </Lod>
        </Region>
       <Link>
           <href>u/kml/a_1_1_1.kml</href>
            <viewRefreshMode>onRegion</viewRefreshMode>
       </Link>
    </NetworkLink>
)"));
}

TEST(KmlFragments, DocumentNameAndGroundOverlay) {
    EXPECT_EQ(written([](KmlWriter& w) { writeDocumentName(w, "a_1_3"); }),
              crlf("<name>a_1_3</name>\n"));
    const GroundOverlay overlay{21, "u/Tgroup1/Sgroup1/a.JPG", tile(), BoundsStyle::Plain};
    EXPECT_EQ(written([&](KmlWriter& w) { writeGroundOverlay(w, overlay); }),
              crlf(R"(<GroundOverlay>
<drawOrder>21</drawOrder>
<Icon>
<href>u/Tgroup1/Sgroup1/a.JPG</href>
</Icon>
<LatLonBox>
<north>20.000</north>
<south>18.976</south>
<east>11.024</east>
<west>10</west>
</LatLonBox>
</GroundOverlay>
)"));
}

TEST(KmlDisplayOrder, OnlyExactHighIsHigh) {
    EXPECT_EQ(displayOrderOf("HIGH"), DisplayOrder::High);
    for (const char* text : {"high", "LOW", "", " HIGH"}) {
        EXPECT_EQ(displayOrderOf(text), DisplayOrder::Low) << text;
    }
    EXPECT_EQ(DrawOrder(DisplayOrder::Low, 1), 21);
    EXPECT_EQ(DrawOrder(DisplayOrder::High, 1), 26);
    EXPECT_EQ(DrawOrder(DisplayOrder::High, 5), 30);
    EXPECT_EQ(fadePairFor(false, DisplayOrder::High), FadePair::Fixed);
    EXPECT_EQ(fadePairFor(true, DisplayOrder::Low), FadePair::Fixed);
    EXPECT_EQ(fadePairFor(true, DisplayOrder::High), FadePair::High);
}

}  // namespace
}  // namespace orvanta
