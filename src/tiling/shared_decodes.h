#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tiling/tile_executor.h"

namespace orvanta {

// For each step of a plan, the group of convert steps that read the same file in the same
// version (no step writes it between them), or -1 for a step that is not a convert operation
// or reads its version alone.
std::vector<int> sharedReadGroups(const TilePlan& plan);

// Performs the steps of one plan, decoding a file that several convert steps read in the same
// version only once when the runner can keep decoded images: the first of them decodes it,
// each reads the decoded image instead of the file, the last one frees it. A step whose
// decoded run fails is performed again as it stands, so every outcome and message is that of
// a run without sharing. A step that reads a file which an earlier step failed to make is not
// performed: it fails naming that file, and what it would have made counts as not made too, so
// no tile is cut from a stale or missing picture. Safe to use from several workers at once.
class SharedDecodes {
  public:
    SharedDecodes(const TilePlan& plan, const ConvertRunner& convert);
    // Frees the images of groups whose last step never ran (the run ended early).
    ~SharedDecodes();
    SharedDecodes(const SharedDecodes&) = delete;
    SharedDecodes& operator=(const SharedDecodes&) = delete;

    // Performs step `index` of the plan.
    void perform(std::size_t index);

  private:
    enum class State { Untried, Decoding, Kept, Failed, Freed };
    struct Group {
        std::string key;
        int readersLeft = 0;
        State state = State::Untried;
    };

    // The key to read the group's image under, after decoding it if this is the first reader;
    // empty when it could not be decoded.
    std::string acquire(Group& group, const std::string& path);
    void release(Group& group);
    void performShared(std::size_t index);

    // The files that failed steps did not make.
    std::set<std::string> unmade_;

    const std::vector<TileOp>& ops_;
    const ConvertRunner& convert_;
    const std::vector<int> groupOf_;
    std::vector<Group> groups_;
    std::mutex mutex_;
    std::condition_variable decoded_;
};

}  // namespace orvanta
