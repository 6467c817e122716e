#include "app/window_rules.h"

#include <cstdio>
#include <string>

namespace orvanta {
namespace {

std::string decimalText(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(value));
    return buffer;
}

}  // namespace

WindowPlacement applySizeRule(WindowPlacement placement) {
    if (placement.width < kMainWidthTwips)
        placement.width = kMainWidthTwips;
    if (placement.height < kMainHeightTwips)
        placement.height = kMainHeightTwips;
    return placement;
}

void saveWindowPlacement(SettingsStore& store, const WindowPlacement& placement, bool minimised) {
    if (minimised)
        return;
    store.setValue("Settings", "MainLeft", decimalText(placement.left));
    store.setValue("Settings", "MainTop", decimalText(placement.top));
    store.setValue("Settings", "MainWidth", decimalText(placement.width));
    store.setValue("Settings", "MainHeight", decimalText(placement.height));
}

}  // namespace orvanta
