#pragma once

#include <functional>

#include "tiling/tile_plan.h"

namespace orvanta {

class RunErrorPolicy;

// Runs one convert operation; throws RunError on failure.
using ConvertRunner = std::function<void(const ConvertCall&)>;

// Runs convert operations in-process through the image library, a new operation per call.
ConvertRunner magickConvertRunner();

// Performs one step. Making a folder that exists is not an error, nor is deleting a scratch
// file that a failed step never made; anything else that fails throws.
void performTileOp(const TileOp& op, const ConvertRunner& convert);

// How much of the machine one plan may use at once.
struct ExecutorLimits {
    int jobs = 1;  // steps running at the same time; 1 runs them one after another
    // Memory in MiB that the convert operations carrying "-limit memory" may use together:
    // at most max(1, memoryBudgetMb / their limit) of them run at once (1 when this is 0).
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
bool executePlan(const TilePlan& plan, RunErrorPolicy& policy, const ConvertRunner& convert,
                 const ExecutorLimits& limits = {}, const StepObserver& afterStep = {});

// The memory limit in MiB that a convert operation carries with "-limit memory"; 0 for none.
double memoryLimitMb(const ConvertCall& call);

}  // namespace orvanta
