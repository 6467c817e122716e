#pragma once

#include "platform/settings_store.h"

namespace orvanta {

// Sizes and positions of the main window in twips (1/1440 inch).
struct WindowPlacement {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

inline constexpr float kMainWidthTwips = 12000;
inline constexpr float kMainHeightTwips = 9000;

// The window may be made larger than 12000 x 9000 twips, never smaller: its controls need that
// room, and every larger size gives them more.
WindowPlacement applySizeRule(WindowPlacement placement);

// Saves the placement under application "Orvanta", section "Settings"; a minimised window
// saves nothing.
void saveWindowPlacement(SettingsStore& store, const WindowPlacement& placement, bool minimised);

}  // namespace orvanta
