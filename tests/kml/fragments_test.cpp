#include "kml/fragments.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

// The text of every fragment is pinned by the golden trees of the tree tests; what those cannot
// show is how a setting's text maps to the display order.
TEST(KmlDisplayOrder, OnlyExactHighIsHigh) {
    EXPECT_EQ(displayOrderOf("HIGH"), DisplayOrder::High);
    for (const char* text : {"high", "LOW", "", " HIGH"}) {
        EXPECT_EQ(displayOrderOf(text), DisplayOrder::Low) << text;
    }
}

}  // namespace
}  // namespace orvanta
