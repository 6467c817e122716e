#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/job_progress.h"

namespace orvanta {

// How much the command line says on the error stream: Quiet only messages and questions,
// Normal also status texts and progress, Verbose also the time of every status text.
enum class Verbosity { Quiet, Normal, Verbose };

// The Host of the command line: messages and status texts go to the error stream, questions
// are asked on a terminal or answered by a preset answer, choosers cancel.
class ConsoleHost : public Host {
  public:
    // `presetAnswer` answers Yes/No questions when the input is not a terminal (No when unset).
    // Progress is a bar on a terminal and a dotted line ("0...10...20") elsewhere.
    explicit ConsoleHost(std::optional<bool> presetAnswer = std::nullopt, std::FILE* input = stdin,
                         std::FILE* output = stderr, Verbosity verbosity = Verbosity::Normal);

    void messageBox(const std::string& text, const std::string& title) override;
    bool askYesNo(const std::string& text, const std::string& title, MessageIcon icon) override;
    std::string chooseOpenFile(const std::string& title, const std::string& filter) override;
    std::string chooseSaveFile(const std::string& title, const std::string& filter,
                               const std::string& proposedName) override;
    std::string chooseFolder(const std::string& title) override;
    std::optional<std::uint32_t> chooseColour(std::uint32_t initial) override;
    // Ends the run in hand (throws RunCancelled) once an interrupt or terminate signal came.
    void doEvents() override;
    void statusChanged(const std::string& text) override;
    void progress(int done, int total) override;
    void startDetached(const std::vector<std::string>& argv) override;
    std::optional<int> runAndWait(const std::vector<std::string>& argv,
                                  std::chrono::milliseconds limit) override;
    void openUrl(const std::string& url) override;

    // How many phases the progress of the job runs through (see JobProgress).
    void expectPhases(int phases) { job_.expectPhases(phases); }
    // Ends the progress display, at 100 % when the job ran to its end.
    void endProgress(bool done);

    // From now on SIGINT and SIGTERM ask to cancel: the run ends after the step in hand.
    static void cancelOnSignals();

  private:
    void endProgressLine();
    void showProgress(double fraction);
    long long elapsedSeconds() const;

    std::optional<bool> presetAnswer_;
    std::FILE* input_;
    std::FILE* output_;
    Verbosity verbosity_;
    bool interactive_;
    bool terminal_;  // the output is a terminal: the bar is redrawn in place
    JobProgress job_;
    int dotMarks_ = -1;
    bool progressLineOpen_ = false;
    std::string lastStatus_;
    std::vector<std::string> heldStatuses_;  // status texts that wait for the dotted line's end
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

}  // namespace orvanta
