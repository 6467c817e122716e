#include "tiling/plan_pool.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "magick/commands.h"
#include "platform/run_error.h"
#include "platform/step_policy.h"
#include "tiling/shared_decodes.h"

namespace orvanta {
namespace {

// The memory in MiB a step may take from the budget: for a convert operation carrying
// "-limit memory", its limit, or less when the plan knows the operation needs less; 0 for
// steps that are not counted.
double memoryWeight(const TileOp& op) {
    if (op.kind != TileOp::Kind::Convert)
        return 0;
    const double limit = memoryLimitMb(op.call);
    return op.memoryMb > 0 && limit > 0 ? std::min(limit, op.memoryMb) : limit;
}

// The shared state of one run: which steps are ready, running and done, and their errors.
class PlanPool {
  public:
    PlanPool(const TilePlan& plan, const ConvertRunner& convert, const ExecutorSettings& limits)
        : ops_(plan.ops()),
          decodes_(plan, convert),
          memoryBudgetMb_(limits.memoryBudgetMb),
          waiting_(ops_.size()),
          dependents_(ops_.size()),
          done_(ops_.size(), false),
          errors_(ops_.size()) {
        for (std::size_t index = 0; index < ops_.size(); ++index) {
            waiting_[index] = ops_[index].after.size();
            for (std::size_t earlier : ops_[index].after)
                dependents_[earlier].push_back(index);
            if (waiting_[index] == 0)
                ready_.insert(index);
        }
        const int workers = std::min<int>(limits.jobs, static_cast<int>(ops_.size()));
        for (int worker = 0; worker < workers; ++worker)
            workers_.emplace_back([this] { work(); });
    }

    // No step starts any more; returns once every worker has ended.
    ~PlanPool() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (std::thread& worker : workers_)
            worker.join();
    }
    PlanPool(const PlanPool&) = delete;
    PlanPool& operator=(const PlanPool&) = delete;

    // Waits for step `index` to end; its error, if it failed.
    std::exception_ptr outcome(std::size_t index) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return done_[index]; });
        return errors_[index];
    }

  private:
    // A step counted against the memory budget starts when it fits beside those running, or
    // when none runs (one always may).
    bool fitsMemory(std::size_t index) const {
        const double weight = memoryWeight(ops_[index]);
        return weight <= 0 || memoryInUse_ <= 0 || memoryInUse_ + weight <= memoryBudgetMb_;
    }

    // The lowest-numbered ready step that may start now; called under the lock. No step after
    // one whose failure ends the operation starts, as none would in plan order.
    std::optional<std::size_t> take() {
        for (auto it = ready_.begin(); it != ready_.end() && *it < endsAt_; ++it) {
            if (!fitsMemory(*it))
                continue;
            const std::size_t index = *it;
            ready_.erase(it);
            memoryInUse_ += memoryWeight(ops_[index]);
            return index;
        }
        return std::nullopt;
    }

    void finish(std::size_t index, std::exception_ptr error) {
        memoryInUse_ -= memoryWeight(ops_[index]);
        done_[index] = true;
        if (error && !skipsStep(toRunError(error)))
            endsAt_ = std::min(endsAt_, index);
        errors_[index] = std::move(error);
        for (std::size_t later : dependents_[index]) {
            if (--waiting_[later] == 0)
                ready_.insert(later);
        }
    }

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            std::optional<std::size_t> next;
            changed_.wait(lock, [&] { return stopping_ || (next = take()).has_value(); });
            if (stopping_)
                return;
            lock.unlock();
            std::exception_ptr error;
            try {
                decodes_.perform(*next);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            finish(*next, std::move(error));
            changed_.notify_all();
        }
    }

    const std::vector<TileOp>& ops_;
    SharedDecodes decodes_;
    const double memoryBudgetMb_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::size_t> waiting_;  // unfinished steps each step waits for
    std::vector<std::vector<std::size_t>> dependents_;
    std::set<std::size_t> ready_;
    std::vector<bool> done_;
    std::vector<std::exception_ptr> errors_;
    double memoryInUse_ = 0;         // the weights of the steps running
    std::size_t endsAt_ = SIZE_MAX;  // the first step known to end the operation
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

// The image library's own threads are limited to one while the pool runs, so that the workers
// share the cores instead of each operation spreading over all of them.
class SingleMagickThread {
  public:
    SingleMagickThread() : saved_(magickThreads()) { setMagickThreads(1); }
    ~SingleMagickThread() { setMagickThreads(saved_); }
    SingleMagickThread(const SingleMagickThread&) = delete;
    SingleMagickThread& operator=(const SingleMagickThread&) = delete;

  private:
    int saved_;
};

bool hasConvert(const TilePlan& plan) {
    return std::any_of(plan.ops().begin(), plan.ops().end(),
                       [](const TileOp& op) { return op.kind == TileOp::Kind::Convert; });
}

}  // namespace

bool executePlanConcurrently(const TilePlan& plan, StepPolicy& policy, const ConvertRunner& convert,
                             const ExecutorSettings& limits, const StepObserver& afterStep) {
    std::optional<SingleMagickThread> singleThread;
    if (hasConvert(plan))
        singleThread.emplace();
    PlanPool pool(plan, convert, limits);
    return handOutcomesInOrder(
        plan, policy,
        [&](std::size_t index) {
            if (const std::exception_ptr error = pool.outcome(index))
                std::rethrow_exception(error);
        },
        afterStep);
}

}  // namespace orvanta
