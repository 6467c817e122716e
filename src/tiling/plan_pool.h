#pragma once

#include "tiling/tile_executor.h"

namespace orvanta {

// Hands the outcome of every step to the policy in plan order, then to `afterStep`;
// `perform(index)` performs step `index`, or waits for it and throws its error. Returns false
// when the policy ended the operation.
bool handOutcomesInOrder(const TilePlan& plan, StepPolicy& policy,
                         const std::function<void(std::size_t)>& perform,
                         const StepObserver& afterStep);

// Runs the steps of a plan on a pool of limits.jobs workers, each step once the steps it waits
// for are done, and the lowest-numbered ready step first. The calling thread hands each
// outcome to the policy in plan order, then to `afterStep`; every worker has ended when this
// returns or throws.
bool executePlanConcurrently(const TilePlan& plan, StepPolicy& policy, const ConvertRunner& convert,
                             const ExecutorSettings& limits, const StepObserver& afterStep);

}  // namespace orvanta
