#pragma once

#include <string>

namespace orvanta {

// "Image display order:": HIGH draws the imagery over other layers and shows it from farther
// away. Only the exact text "HIGH" is HIGH; anything else is LOW.
enum class DisplayOrder { High, Low };

DisplayOrder displayOrderOf(const std::string& text);
// "HIGH" or "LOW".
std::string displayOrderName(DisplayOrder order);

// Added to 22 + level to give a GroundOverlay's draw order: 3 for HIGH, -2 for LOW.
int DrawOrderBase(DisplayOrder order);

// The draw order of a GroundOverlay at a level (the tile itself is level 1).
int DrawOrder(DisplayOrder order, int level);

// The minLodPixels of a root document, a root file's links and a tile's own Region: 384 for
// HIGH, 0 for LOW.
int topMinLodPixels(DisplayOrder order);

// The fade lines of a Lod block: 0 and 0, or 384 and 1536.
enum class FadePair { Fixed, High };

// The pair of a fragment: HIGH's pair only where the fragment follows the setting.
FadePair fadePairFor(bool followsSetting, DisplayOrder order);

}  // namespace orvanta
