#include "kml/display_order.h"

namespace orvanta {

DisplayOrder displayOrderOf(const std::string& text) {
    return text == "HIGH" ? DisplayOrder::High : DisplayOrder::Low;
}

std::string displayOrderName(DisplayOrder order) {
    return order == DisplayOrder::High ? "HIGH" : "LOW";
}

int DrawOrderBase(DisplayOrder order) {
    return order == DisplayOrder::High ? 3 : -2;
}

int DrawOrder(DisplayOrder order, int level) {
    return DrawOrderBase(order) + 22 + level;
}

int topMinLodPixels(DisplayOrder order) {
    return order == DisplayOrder::High ? 384 : 0;
}

FadePair fadePairFor(bool followsSetting, DisplayOrder order) {
    return followsSetting && order == DisplayOrder::High ? FadePair::High : FadePair::Fixed;
}

}  // namespace orvanta
