#include "platform/job_progress.h"

#include <algorithm>

namespace orvanta {
namespace {

constexpr int kMarks = 40;  // one mark per 2.5 %, a number every fourth

}  // namespace

void JobProgress::expectPhases(int phases) {
    phases_ = std::max({phases, phase_, 1});
}

double JobProgress::report(int done, int total) {
    if (total <= 0)
        return shown_;
    done = std::clamp(done, 0, total);
    if (phase_ == 0 || total != total_ || done <= done_) {
        if (phase_ > 0)
            finishedSteps_ += total_;
        ++phase_;
        phases_ = std::max(phases_, phase_);
    }
    done_ = done;
    total_ = total;
    const double average = static_cast<double>(finishedSteps_ + total_) / phase_;
    const double all = static_cast<double>(finishedSteps_ + total_) + average * (phases_ - phase_);
    shown_ = std::max(shown_, (static_cast<double>(finishedSteps_) + done_) / all);
    return shown_;
}

std::optional<long long> JobProgress::secondsLeft(double elapsedSeconds) const {
    // Before a twentieth of the job and a few seconds the pace says little.
    if (shown_ < 0.05 || elapsedSeconds < 3 || shown_ >= 1)
        return std::nullopt;
    return static_cast<long long>(elapsedSeconds * (1 - shown_) / shown_ + 0.5);
}

std::string dottedProgress(double fraction, int& shownMarks) {
    const int marks = std::clamp(static_cast<int>(fraction * kMarks + 1e-9), 0, kMarks);
    std::string text;
    if (shownMarks < 0) {
        text = "0";
        shownMarks = 0;
    }
    for (; shownMarks < marks; ++shownMarks) {
        const int mark = shownMarks + 1;
        text += mark % 4 == 0 ? std::to_string(mark / 4 * 10) : std::string(".");
    }
    if (marks == kMarks && !text.empty())
        text += " - done.";
    return text;
}

std::string clockText(long long seconds) {
    const auto two = [](long long n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    const std::string minutesAndSeconds = two(seconds / 60 % 60) + ":" + two(seconds % 60);
    if (seconds >= 3600)
        return std::to_string(seconds / 3600) + ":" + minutesAndSeconds;
    return std::to_string(seconds / 60) + ":" + two(seconds % 60);
}

}  // namespace orvanta
