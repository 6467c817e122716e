#pragma once

#include <functional>

namespace orvanta {

// How a long operation treats a step that fails: the operation runs each step inside `run`,
// which decides whether a failure skips the step or ends the operation (and tells the person).
class StepPolicy {
  public:
    virtual ~StepPolicy() = default;
    // Runs one step. Returns false when the operation must end now.
    virtual bool run(const std::function<void()>& step) = 0;
    // True once a step has ended the operation.
    virtual bool ended() const = 0;
};

}  // namespace orvanta
