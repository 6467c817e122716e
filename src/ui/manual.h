#pragma once

#include <string>

namespace orvanta {

// The path of a page of the HTML user manual: first the manual installed beside the program
// (docs/manual next to it), then the one of the source tree the program was built from. Empty
// when neither holds the page.
std::string manualPagePath(const std::string& page);

}  // namespace orvanta
