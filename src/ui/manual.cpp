#include "ui/manual.h"

#include <filesystem>

#include "platform/os_services.h"

namespace orvanta {

std::string manualPagePath(const std::string& page) {
    namespace fs = std::filesystem;
    const fs::path folders[] = {
        fs::path(programFolder()) / "docs" / "manual",
        fs::path(programFolder()) / ".." / "share" / "doc" / "orvanta" / "manual",
        fs::path(ORVANTA_MANUAL_DIR)};
    for (const fs::path& folder : folders) {
        std::error_code error;
        const fs::path candidate = folder / page;
        if (fs::is_regular_file(candidate, error))
            return fs::weakly_canonical(candidate).string();
    }
    return {};
}

}  // namespace orvanta
