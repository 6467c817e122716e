#include "platform/step_policy.h"

namespace orvanta {

bool StepPolicy::run(const std::function<void()>& step) {
    if (ended_)
        return false;
    try {
        step();
        return true;
    } catch (...) {
        const RunError error = toRunError(std::current_exception());
        if (skipsStep(error)) {
            ++skipped_;
            if (!firstSkipped_)
                firstSkipped_ = error;
            return true;
        }
        ended_ = true;
        endWith(error);
        return false;
    }
}

}  // namespace orvanta
