#include "tiling/shared_decodes.h"

#include <atomic>
#include <map>
#include <utility>

#include "platform/run_error.h"

namespace orvanta {
namespace {

// A name in the image library's memory that no other plan of this process uses.
std::string newKey() {
    static std::atomic<unsigned long long> next{0};
    return "orvanta-decoded-" + std::to_string(++next);
}

}  // namespace

std::vector<int> sharedReadGroups(const TilePlan& plan) {
    const std::vector<TileOp>& ops = plan.ops();
    std::map<std::string, std::size_t> lastWriter;
    std::map<std::pair<std::string, std::size_t>, int> groupOfVersion;
    std::vector<int> groups(ops.size(), -1);
    std::vector<int> readers;
    for (std::size_t index = 0; index < ops.size(); ++index) {
        const TileOp& op = ops[index];
        if (op.kind == TileOp::Kind::Convert) {
            const auto writer = lastWriter.find(op.call.input());
            const std::size_t version = writer == lastWriter.end() ? SIZE_MAX : writer->second;
            const auto [entry, isNew] = groupOfVersion.try_emplace(
                {op.call.input(), version}, static_cast<int>(readers.size()));
            if (isNew)
                readers.push_back(0);
            ++readers[entry->second];
            groups[index] = entry->second;
        }
        for (const std::string& path : op.writes)
            lastWriter[path] = index;
    }
    // Only versions read more than once are shared; renumber them from 0.
    std::vector<int> shared(readers.size(), -1);
    int count = 0;
    for (int& group : groups) {
        if (group < 0 || readers[group] < 2)
            group = -1;
        else
            group = shared[group] < 0 ? (shared[group] = count++) : shared[group];
    }
    return groups;
}

SharedDecodes::SharedDecodes(const TilePlan& plan, const ConvertRunner& convert)
    : ops_(plan.ops()), convert_(convert), groupOf_(sharedReadGroups(plan)) {
    for (int group : groupOf_) {
        if (group < 0)
            continue;
        if (static_cast<std::size_t>(group) >= groups_.size())
            groups_.resize(group + 1);
        ++groups_[group].readersLeft;
    }
}

SharedDecodes::~SharedDecodes() {
    for (Group& group : groups_) {
        if (group.state == State::Kept)
            convert_.forgetDecoded(group.key);
    }
}

void SharedDecodes::perform(std::size_t index) {
    const TileOp& op = ops_[index];
    try {
        {
            const std::lock_guard lock(mutex_);
            for (const std::string& path : op.reads) {
                if (unmade_.count(path) > 0) {
                    throw RunError(errors::PathFileAccess, "Path/File access error: " + path +
                                                               " was not made: an earlier step "
                                                               "failed");
                }
            }
        }
        performShared(index);
    } catch (...) {
        const std::lock_guard lock(mutex_);
        unmade_.insert(op.writes.begin(), op.writes.end());
        throw;
    }
}

void SharedDecodes::performShared(std::size_t index) {
    const TileOp& op = ops_[index];
    const int group = groupOf_[index];
    if (op.kind != TileOp::Kind::Convert || group < 0 || !convert_.keepDecoded) {
        performTileOp(op, convert_);
        return;
    }
    Group& shared = groups_[group];
    const std::string key = acquire(shared, op.call.input());
    bool done = false;
    if (!key.empty()) {
        ConvertCall decoded = op.call;
        decoded.args.front() = "mpr:" + key;
        try {
            convert_(decoded);
            done = true;
        } catch (...) {
            // Performed again below from the file, for the message a run without sharing gives.
        }
    }
    release(shared);
    if (!done)
        convert_(op.call);
}

std::string SharedDecodes::acquire(Group& group, const std::string& path) {
    std::unique_lock lock(mutex_);
    if (group.state == State::Untried) {
        group.state = State::Decoding;
        group.key = newKey();
        lock.unlock();
        bool kept = true;
        try {
            convert_.keepDecoded(group.key, path);
        } catch (...) {
            kept = false;
        }
        lock.lock();
        group.state = kept ? State::Kept : State::Failed;
        decoded_.notify_all();
    }
    decoded_.wait(lock, [&] { return group.state != State::Decoding; });
    return group.state == State::Kept ? group.key : std::string();
}

void SharedDecodes::release(Group& group) {
    const std::lock_guard lock(mutex_);
    if (--group.readersLeft == 0 && group.state == State::Kept) {
        convert_.forgetDecoded(group.key);
        group.state = State::Freed;
    }
}

}  // namespace orvanta
