#include "platform/file_list.h"
#include "platform/text_case.h"

#include <fnmatch.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace orvanta {
bool matchesPattern(const std::string& fileName, const std::string& pattern) {
    std::size_t start = 0;
    while (start <= pattern.size()) {
        std::size_t end = pattern.find(';', start);
        if (end == std::string::npos)
            end = pattern.size();
        const std::string one = pattern.substr(start, end - start);
        if (!one.empty() && fnmatch(one.c_str(), fileName.c_str(), FNM_CASEFOLD) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

void sortFileNames(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = lowerCase(a), lb = lowerCase(b);
        return la != lb ? la < lb : a < b;
    });
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        const std::string name = it->path().filename().string();
        if (matchesPattern(name, pattern))
            names.push_back(name);
    }
    sortFileNames(names);
    return names;
}

}  // namespace orvanta
