#include "app/outcome.h"

namespace orvanta {

int Outcome::kept() const {
    int count = 0;
    for (const FolderResult& folder : folders)
        count += folder.kept;
    return count;
}

int Outcome::cut() const {
    int count = 0;
    for (const FolderResult& folder : folders)
        count += folder.cut;
    return count;
}

std::string resumeSummary(const Outcome& outcome) {
    const auto images = [](int count) {
        return std::to_string(count) + (count == 1 ? " image" : " images");
    };
    return "Resumed: " + images(outcome.kept()) + " kept the tiles of the earlier run, " +
           images(outcome.cut()) + " cut again.";
}

}  // namespace orvanta
