#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace orvanta::testing {

// A Host that records everything the logic shows or starts and answers from a script.
class FakeHost : public Host {
  public:
    struct Message {
        std::string text;
        std::string title;
        bool operator==(const Message&) const = default;
    };

    // What the logic showed, asked and started.
    std::vector<Message> messages;
    std::vector<Message> questions;
    std::vector<std::string> statuses;
    std::vector<std::pair<int, int>> progressReports;
    std::vector<std::vector<std::string>> started;  // startDetached
    std::vector<std::vector<std::string>> ran;      // runAndWait
    std::vector<std::string> openedUrls;
    int eventPumps = 0;

    // Scripted answers, taken from the front; an empty script answers No / cancels.
    std::deque<bool> yesNoAnswers;
    std::deque<std::string> fileAnswers;  // open, save and folder choosers
    std::deque<std::optional<std::uint32_t>> colourAnswers;
    // Called for runAndWait; returns the exit status. Unset: the program "exits" with 0.
    std::function<std::optional<int>(const std::vector<std::string>&)> onRun;
    // Called by startDetached; may throw to simulate a program that cannot be started.
    std::function<void(const std::vector<std::string>&)> onStart;

    void messageBox(const std::string& text, const std::string& title) override {
        messages.push_back({text, title});
    }
    bool askYesNo(const std::string& text, const std::string& title, MessageIcon) override {
        questions.push_back({text, title});
        return take(yesNoAnswers, false);
    }
    std::string chooseOpenFile(const std::string&, const std::string&) override {
        return take(fileAnswers, std::string{});
    }
    std::string chooseSaveFile(const std::string&, const std::string&,
                               const std::string&) override {
        return take(fileAnswers, std::string{});
    }
    std::string chooseFolder(const std::string&) override {
        return take(fileAnswers, std::string{});
    }
    std::optional<std::uint32_t> chooseColour(std::uint32_t) override {
        return take(colourAnswers, std::optional<std::uint32_t>{});
    }
    void doEvents() override { ++eventPumps; }
    void statusChanged(const std::string& text) override { statuses.push_back(text); }
    void progress(int done, int total) override { progressReports.emplace_back(done, total); }
    void startDetached(const std::vector<std::string>& argv) override {
        if (onStart)
            onStart(argv);
        started.push_back(argv);
    }
    std::optional<int> runAndWait(const std::vector<std::string>& argv,
                                  std::chrono::milliseconds) override {
        ran.push_back(argv);
        return onRun ? onRun(argv) : std::optional<int>(0);
    }
    void openUrl(const std::string& url) override { openedUrls.push_back(url); }

    // The texts of the message boxes, in order.
    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const Message& message : messages)
            texts.push_back(message.text);
        return texts;
    }

  private:
    template <typename T>
    static T take(std::deque<T>& script, T fallback) {
        if (script.empty())
            return fallback;
        T value = std::move(script.front());
        script.pop_front();
        return value;
    }
};

}  // namespace orvanta::testing
