#pragma once

#include <functional>
#include <optional>

#include "platform/run_error.h"

namespace orvanta {

// How a long operation treats a step that fails. The operation runs each step inside `run`:
// errors 75 and -2147215503 skip the step, are counted and the operation goes on; any other
// error ends the operation, and `endWith` tells the person of it.
class StepPolicy {
  public:
    virtual ~StepPolicy() = default;

    // Runs one step. Returns false when the operation must end now.
    bool run(const std::function<void()>& step);
    // True once a step has ended the operation.
    bool ended() const { return ended_; }
    int skippedSteps() const { return skipped_; }
    // The error of the first skipped step.
    const std::optional<RunError>& firstSkipped() const { return firstSkipped_; }

  protected:
    // Tells of the error that ends the operation.
    virtual void endWith(const RunError& error) = 0;

  private:
    bool ended_ = false;
    int skipped_ = 0;
    std::optional<RunError> firstSkipped_;
};

}  // namespace orvanta
