#pragma once

#include <string>

namespace orvanta {

// What a file holds, as a short text: its size in bytes and a 64-bit hash of all of its bytes.
// A copy keeps it whatever its modification time; any change of content changes it (all but
// certainly). Throws RunError 53 when the file does not exist and 75 when it cannot be read.
std::string contentIdentity(const std::string& path);

// The same of bytes in memory.
std::string contentIdentityOf(const std::string& bytes);

}  // namespace orvanta
