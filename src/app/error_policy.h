#pragma once

#include <string>

#include "app/outcome.h"
#include "platform/host.h"
#include "platform/run_error.h"
#include "platform/step_policy.h"

namespace orvanta {

class AppState;

// The text shown when a picture operation ran out of memory; the project is then closed.
inline constexpr const char* kOutOfMemoryMessage =
    "Not enough memory to proceed! To resolve this issue please: 1- Restart the OVT "
    "Application. 2-Close Google Earth if it is loaded to free up some memeory resourses. 3- "
    "Reduce the Screen resolution to 16-bit i is it set to 32-bit";

// The one error policy of every long operation. Each step runs inside `run`:
// - errors 75 and -2147215503 skip the step, and the operation goes on;
// - error 480 shows the memory message, closes the project and ends the operation;
// - any other error shows "number description" and ends the operation.
// Skipped steps are counted; `finish` tells the user how many failed, so that an operation
// with failed steps never reads as a plain success.
class RunErrorPolicy : public StepPolicy {
  public:
    // A job's policy: what ends or fails the job is recorded in its outcome, and a run out of
    // memory asks the front end to close the project (the job changes no setting itself).
    RunErrorPolicy(Host& host, Outcome& outcome) : host_(host), outcome_(&outcome) {}
    // The policy of an operation of the window on its own project: a run out of memory closes
    // the project at once.
    explicit RunErrorPolicy(AppState& app);

    // Ends the operation: reports the skipped steps, if any. Returns true when the operation
    // ran clean (no step skipped, none ended it).
    bool finish();

  protected:
    void endWith(const RunError& error) override;

  private:
    Host& host_;
    Outcome* outcome_ = nullptr;
    AppState* app_ = nullptr;
};

// The message that reports skipped steps.
std::string skippedStepsMessage(int count, const RunError& first);

}  // namespace orvanta
