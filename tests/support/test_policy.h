#pragma once

#include <string>

#include "platform/host.h"
#include "platform/step_policy.h"

namespace orvanta::testing {

// The error policy of the operations without a window: an error that ends the operation is
// shown on the host as "number description".
class TestPolicy : public StepPolicy {
  public:
    explicit TestPolicy(Host& host) : host_(host) {}

  protected:
    void endWith(const RunError& error) override {
        host_.messageBox(std::to_string(error.number()) + " " + error.description(), kAppTitle);
    }

  private:
    Host& host_;
};

}  // namespace orvanta::testing
