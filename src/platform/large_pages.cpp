#include "platform/large_pages.h"

#include <cstdlib>
#include <string>

#if defined(__linux__) && defined(__GLIBC__)
#include <unistd.h>
#endif

namespace orvanta {

void restartWithLargePages([[maybe_unused]] char** argv) {
#if defined(__linux__) && defined(__GLIBC__)
    constexpr const char* kVariable = "GLIBC_TUNABLES";
    constexpr const char* kHugePages = "glibc.malloc.hugetlb";
    const char* tunables = std::getenv(kVariable);
    const std::string current = tunables ? tunables : "";
    // Set already: by the run before this one, or by a person who chose otherwise.
    if (current.find(kHugePages) != std::string::npos)
        return;
    const std::string wanted = (current.empty() ? "" : current + ":") + kHugePages + "=1";
    if (setenv(kVariable, wanted.c_str(), 1) != 0)
        return;
    execv("/proc/self/exe", argv);
    // The exec failed: the program goes on as it was started.
    if (tunables)
        setenv(kVariable, current.c_str(), 1);
    else
        unsetenv(kVariable);
#endif
}

}  // namespace orvanta
