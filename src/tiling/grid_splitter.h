#pragma once

#include <string>

#include "app/app_state.h"
#include "tiling/tile_executor.h"

namespace orvanta {

// The grid splitter: cuts square images of 1024, 2048 or 4096 pixels into a pyramid of 256x256
// tiles under a tile root and then writes the KML tree of the same class. Failing steps are
// skipped under the error policy and reported at the end. Each returns true when every step
// ran.
bool Split1024(AppState& app,
               const ConvertRunner& convert = magickConvertRunner());  // "Split 1024"
bool Split2048(AppState& app,
               const ConvertRunner& convert = magickConvertRunner());  // "Single Split 2048"
bool Split4096(AppState& app,
               const ConvertRunner& convert = magickConvertRunner());  // "Split 4096"

// The switches an edge image may change for itself: "Transparent Image", the transparent
// colour text and the output format.
struct TransparencyState {
    int Check4 = 0;
    std::string Label26;
    std::string Combo2;
};
TransparencyState SaveTransparencyState(const ProjectSettings& settings);
void restoreTransparencyState(ProjectSettings& settings, const TransparencyState& saved);

// When the image lies on the right or bottom edge of a padded large image, makes its
// background colour transparent and its tiles PNG; true for such an image.
bool edgeCheck(AppState& app, const std::string& name);

}  // namespace orvanta
