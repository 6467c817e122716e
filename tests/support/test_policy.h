#pragma once

#include <string>

#include "platform/host.h"
#include "platform/run_error.h"
#include "platform/step_policy.h"

namespace orvanta::testing {

// The error policy of the operations without a window: errors 75 and -2147215503 skip the
// step and are counted, any other one is shown on the host as "number description" and ends
// the operation.
class TestPolicy : public StepPolicy {
  public:
    explicit TestPolicy(Host& host) : host_(host) {}

    bool run(const std::function<void()>& step) override {
        if (ended_)
            return false;
        try {
            step();
            return true;
        } catch (...) {
            const RunError error = toRunError(std::current_exception());
            if (skipsStep(error)) {
                ++skipped;
                return true;
            }
            host_.messageBox(std::to_string(error.number()) + " " + error.description(),
                             kAppTitle);
            ended_ = true;
            return false;
        }
    }
    bool ended() const override { return ended_; }

    int skipped = 0;

  private:
    Host& host_;
    bool ended_ = false;
};

}  // namespace orvanta::testing
