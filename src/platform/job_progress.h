#pragma once

#include <optional>
#include <string>

namespace orvanta {

// One progress figure for a whole job whose phases each count their own steps (tiles cut, then
// KML files written, ...) and restart at 1. The job says how many phases it has; a phase whose
// total is not known yet is taken to be as long as the average phase seen so far. The fraction
// never goes back.
class JobProgress {
  public:
    explicit JobProgress(int phases = 1) : phases_(phases < 1 ? 1 : phases) {}

    // How many phases the job has, once it is known.
    void expectPhases(int phases);
    // Takes one report of the phase in hand (`done` of `total`); a report that does not go on
    // from the last one (another total, or no more done) starts the next phase. Returns the
    // fraction of the whole job done, from 0 to 1.
    double report(int done, int total);
    double fraction() const { return shown_; }
    // The phase in hand, from 1.
    int phase() const { return phase_; }
    // Seconds left at the pace so far; nothing while the estimate means little (too early).
    std::optional<long long> secondsLeft(double elapsedSeconds) const;

  private:
    int phases_;
    int phase_ = 0;
    long long finishedSteps_ = 0;  // steps of the phases before the one in hand
    int done_ = 0;
    int total_ = 0;
    double shown_ = 0;
};

// Progress as a dotted line, one mark per 2.5 %: "0...10...20...30" and so on. Returns the
// marks from `shownMarks` (how many were printed; -1 before the leading "0") up to `fraction`,
// and " - done." with the last; `shownMarks` is moved on.
std::string dottedProgress(double fraction, int& shownMarks);

// "1:05" or "1:02:03".
std::string clockText(long long seconds);

}  // namespace orvanta
