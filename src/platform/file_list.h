#pragma once

#include <string>
#include <vector>

namespace orvanta {

// The pattern of the image file lists; ".jpeg" and ".tiff" are read like ".jpg" and ".tif".
inline constexpr const char* kImagePattern = "*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff";

// True when the file name matches one of the ";"-separated patterns, without regard to case.
bool matchesPattern(const std::string& fileName, const std::string& pattern);

// Orders file names as the file lists show them: by their lower-case form (so "_" sorts before
// letters), ties broken by the exact bytes.
void sortFileNames(std::vector<std::string>& names);

// The names (without folder) of the files directly in `folder` that match `pattern`, in
// file-name order. A folder that does not exist or cannot be read gives an empty list.
std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern);

}  // namespace orvanta
