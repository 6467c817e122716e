#pragma once

#include <concepts>
#include <functional>
#include <type_traits>

#include "tiling/tile_plan.h"

namespace orvanta {

class StepPolicy;

// Runs convert operations: `run` performs one and throws RunError on failure. A runner that
// can keep a decoded image for several operations also has `keepDecoded` (decodes the file
// under a key that operations then read as "mpr:" key; throws when it cannot) and
// `forgetDecoded`; test doubles have neither.
struct ConvertRunner {
    ConvertRunner() = default;
    template <typename Run>
    requires(!std::same_as<std::remove_cvref_t<Run>, ConvertRunner> &&
             std::invocable<Run, const ConvertCall&>) ConvertRunner(Run perform)
        : run(std::move(perform)) {}

    void operator()(const ConvertCall& call) const { run(call); }

    std::function<void(const ConvertCall&)> run;
    std::function<void(const std::string& key, const std::string& path)> keepDecoded;
    std::function<void(const std::string& key)> forgetDecoded;
};

// Runs convert operations in-process through the image library, and keeps decoded images.
ConvertRunner magickConvertRunner();

// Performs one step. Making a folder that exists is not an error, nor is deleting a scratch
// file that a failed step never made; anything else that fails throws.
void performTileOp(const TileOp& op, const ConvertRunner& convert);

// How much of the machine one plan may use at once.
struct ExecutorSettings {
    int jobs = 1;  // steps running at the same time; 1 runs them one after another
    // Memory in MiB that the convert operations carrying "-limit memory" may use together. Each
    // counts with its limit, or with what the plan knows it needs when that is less; one such
    // operation may always run, more only while their sum stays within the budget.
    int memoryBudgetMb = 0;
};

// Called on the calling thread with the number of a step once its outcome has been handed to
// the policy; it shows progress and may throw to cancel the run.
using StepObserver = std::function<void(std::size_t step)>;

// Performs the steps under the error policy. With one job they run in plan order; with more,
// a pool of workers starts each step as soon as the steps it waits for are done. Either way
// the outcome of every step is handed to the policy on the calling thread and in plan order,
// so messages, counts and the first failure are those of a run one step after another. When
// the policy ends the operation, or `afterStep` throws, no further step starts, and the steps
// already started are waited for. Returns false when the policy ended the operation.
bool executePlan(const TilePlan& plan, StepPolicy& policy, const ConvertRunner& convert,
                 const ExecutorSettings& limits = {}, const StepObserver& afterStep = {});

// The memory limit in MiB that a convert operation carries with "-limit memory"; 0 for none.
double memoryLimitMb(const ConvertCall& call);

}  // namespace orvanta
