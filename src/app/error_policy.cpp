#include "app/error_policy.h"

#include "app/app_state.h"

namespace orvanta {

void RunErrorPolicy::endWith(const RunError& error) {
    if (error.number() == errors::OutOfMemory) {
        app_.host().messageBox(kOutOfMemoryMessage, kAppTitle);
        app_.closeProject();
    } else {
        app_.host().messageBox(std::to_string(error.number()) + " " + error.description(),
                               kAppTitle);
    }
    app_.outcome.note(Ending::Failed);
}

bool RunErrorPolicy::finish() {
    if (skippedSteps() > 0) {
        app_.host().messageBox(skippedStepsMessage(skippedSteps(), *firstSkipped()), kAppTitle);
        app_.outcome.skippedSteps += skippedSteps();
        app_.outcome.note(Ending::Failed);
    }
    return !ended() && skippedSteps() == 0;
}

std::string skippedStepsMessage(int count, const RunError& first) {
    return std::to_string(count) + (count == 1 ? " step" : " steps") + " failed and " +
           (count == 1 ? "was" : "were") +
           " skipped. The first failure: " + std::to_string(first.number()) + " " +
           first.description();
}

}  // namespace orvanta
