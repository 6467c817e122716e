#pragma once

#include <optional>
#include <string>

namespace orvanta {

class AppState;

// Where the tiles of one size-class run live.
struct SizeClassTarget {
    std::optional<std::string> root4096;  // replaces Root4096 when given
    std::string root;                     // becomes Root2048 or Root1024 for those classes
};

// Runs the splitter of the run's size class, which goes on into its KML generation, or only
// the KML generation when `kmlOnly`. A run of size class none does nothing.
void runSizeClass(AppState& app, const SizeClassTarget& target, bool kmlOnly);

// projdir + separator + imagename: the tile root of a single image.
std::string singleImageRoot(const AppState& app);

}  // namespace orvanta
