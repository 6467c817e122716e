#include "app/error_policy.h"

#include "app/app_state.h"

namespace orvanta {
bool RunErrorPolicy::run(const std::function<void()>& step) {
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
        switch (error.number()) {
            case errors::OutOfMemory:
                app_.host().messageBox(kOutOfMemoryMessage, kAppTitle);
                app_.closeProject();
                break;
            default:
                app_.host().messageBox(std::to_string(error.number()) + " " + error.description(),
                                       kAppTitle);
                break;
        }
        ended_ = true;
        app_.outcome.note(Ending::Failed);
        return false;
    }
}

bool RunErrorPolicy::finish() {
    if (skipped_ > 0) {
        app_.host().messageBox(skippedStepsMessage(skipped_, *firstSkipped_), kAppTitle);
        app_.outcome.skippedSteps += skipped_;
        app_.outcome.note(Ending::Failed);
    }
    return !ended_ && skipped_ == 0;
}

std::string skippedStepsMessage(int count, const RunError& first) {
    return std::to_string(count) + (count == 1 ? " step" : " steps") + " failed and " +
           (count == 1 ? "was" : "were") +
           " skipped. The first failure: " + std::to_string(first.number()) + " " +
           first.description();
}

}  // namespace orvanta
