#include "app/error_policy.h"

#include "app/app_state.h"

namespace orvanta {

RunErrorPolicy::RunErrorPolicy(AppState& app) : host_(app.host()), app_(&app) {}

void RunErrorPolicy::endWith(const RunError& error) {
    if (error.number() == errors::OutOfMemory) {
        host_.messageBox(kOutOfMemoryMessage, kAppTitle);
        if (app_)
            app_->closeProject();
        if (outcome_)
            outcome_->closeProject = true;
    } else {
        host_.messageBox(std::to_string(error.number()) + " " + error.description(), kAppTitle);
    }
    if (outcome_)
        outcome_->note(Ending::Failed);
}

bool RunErrorPolicy::finish() {
    if (skippedSteps() > 0) {
        host_.messageBox(skippedStepsMessage(skippedSteps(), *firstSkipped()), kAppTitle);
        if (outcome_) {
            outcome_->skippedSteps += skippedSteps();
            outcome_->note(Ending::Failed);
        }
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
