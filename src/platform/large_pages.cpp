#include "platform/large_pages.h"

#include <cstdlib>
#include <string>

#if defined(__linux__) && defined(__GLIBC__)
#include <unistd.h>
#endif

namespace orvanta {
namespace {

constexpr const char* kTunables = "GLIBC_TUNABLES";
constexpr const char* kHugePages = "glibc.malloc.hugetlb";
// Set for the run started again: "=" and the tunables the person had, or "-" for none.
constexpr const char* kStartedWith = "ORVANTA_STARTED_WITH_TUNABLES";

// Puts the tunables back as `before` ("=" and the person's value, or "-" for none) says.
void putBack(const std::string& before) {
    if (before.starts_with("="))
        setenv(kTunables, before.c_str() + 1, 1);
    else
        unsetenv(kTunables);
    unsetenv(kStartedWith);
}

}  // namespace

std::optional<std::string> largePageTunables(const char* tunables, bool restarted) {
    const std::string current = tunables ? tunables : "";
    if (restarted || current.find(kHugePages) != std::string::npos)
        return std::nullopt;
    return (current.empty() ? "" : current + ":") + kHugePages + "=1";
}

void restartWithLargePages([[maybe_unused]] char** argv) {
#if defined(__linux__) && defined(__GLIBC__)
    const char* tunables = std::getenv(kTunables);
    const char* startedWith = std::getenv(kStartedWith);
    const std::optional<std::string> wanted = largePageTunables(tunables, startedWith != nullptr);
    if (!wanted) {
        // The C library read its tunables when this run started; the programs this one starts
        // get what the person had.
        if (startedWith)
            putBack(startedWith);
        return;
    }
    const std::string before = tunables ? std::string("=") + tunables : std::string("-");
    if (setenv(kStartedWith, before.c_str(), 1) != 0 || setenv(kTunables, wanted->c_str(), 1) != 0)
        return;
    execv("/proc/self/exe", argv);
    // The exec failed: the program goes on as it was started.
    putBack(before);
#endif
}

}  // namespace orvanta
