#include "platform/file_lookup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace orvanta {
namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace

std::string findFileLoosely(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_regular_file(path, error))
        return path;
    const fs::path wanted(path);
    const fs::path folder = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
    const std::string name = wanted.filename().string();
    std::string found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (!sameIgnoringCase(candidate, name) || !it->is_regular_file(error))
            continue;
        // Several spellings: take the first in byte order, so the choice does not depend on
        // the order the folder lists them in.
        if (found.empty() || candidate < found)
            found = candidate;
    }
    if (found.empty())
        return {};
    return wanted.has_parent_path() ? (folder / found).string() : found;
}

}  // namespace orvanta
