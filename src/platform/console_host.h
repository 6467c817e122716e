#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/host.h"

namespace orvanta {

// The Host of the command line: messages and status texts go to the error stream, questions
// are asked on a terminal or answered by a preset answer, choosers cancel.
class ConsoleHost : public Host {
  public:
    // `presetAnswer` answers Yes/No questions when the input is not a terminal (No when unset).
    explicit ConsoleHost(std::optional<bool> presetAnswer = std::nullopt, std::FILE* input = stdin,
                         std::FILE* output = stderr);

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

    // How many message boxes were shown: a job that shows one ended on a message.
    int messageCount() const { return messageCount_; }

    // From now on SIGINT and SIGTERM ask to cancel: the run ends after the step in hand.
    static void cancelOnSignals();

  private:
    void endProgressLine();

    std::optional<bool> presetAnswer_;
    std::FILE* input_;
    std::FILE* output_;
    bool interactive_;
    bool progressLineOpen_ = false;
    int messageCount_ = 0;
    std::string lastStatus_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

}  // namespace orvanta
