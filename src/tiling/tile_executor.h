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

// Performs the steps in order, each under the error policy. Returns false when the policy
// ended the operation.
bool executePlan(const TilePlan& plan, RunErrorPolicy& policy, const ConvertRunner& convert);

}  // namespace orvanta
