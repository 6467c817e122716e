#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvanta {

// The application title: the caption of every message box.
inline constexpr const char* kAppTitle = "Orvanta";
// The status text of a window with nothing in hand; a console has no status bar to reset.
inline constexpr const char* kIdleStatus = "Status...";

// Thrown from Host::doEvents once the person has asked to cancel the run in hand. It does not
// derive from std::exception, so the error policy does not turn it into a run-time error: it
// travels to the top of the operation, which ends there.
struct RunCancelled {};

enum class MessageIcon { None, Question, Exclamation, Information, Critical };

// Everything the logic asks of the person or of the operating system. The window implements it
// with dialogs, the command line with the console, the tests with a scripted fake.
class Host {
  public:
    virtual ~Host() = default;

    // A message box with an OK button only.
    virtual void messageBox(const std::string& text, const std::string& title) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& title, MessageIcon icon) = 0;

    // Choosers; each returns an empty text (or nothing) when the person cancels.
    // Filters are written "Description (*.a;*.b)|*.a;*.b", several pairs joined by "|".
    virtual std::string chooseOpenFile(const std::string& title, const std::string& filter) = 0;
    virtual std::string chooseSaveFile(const std::string& title, const std::string& filter,
                                       const std::string& proposedName) = 0;
    virtual std::string chooseFolder(const std::string& title) = 0;
    // Colours are 24-bit values with red in the low byte.
    virtual std::optional<std::uint32_t> chooseColour(std::uint32_t initial) = 0;

    // Lets pending window events run: the front end repaints, shows the status text and
    // progress, and sees a cancel request.
    virtual void doEvents() = 0;
    // The status text changed.
    virtual void statusChanged(const std::string& text) = 0;
    // Progress of a long operation, in images (or steps) done of a total.
    virtual void progress(int done, int total) = 0;

    // Starts a program without waiting for it; argv[0] is the program. Throws RunError 53
    // when it cannot be started.
    virtual void startDetached(const std::vector<std::string>& argv) = 0;
    // Runs a program and waits at most `limit` for it to end. Returns its exit status, or
    // nothing when it could not be started or did not end in time (it is then killed).
    virtual std::optional<int> runAndWait(const std::vector<std::string>& argv,
                                          std::chrono::milliseconds limit) = 0;
    // Opens a web page or a local document in the default browser.
    virtual void openUrl(const std::string& url) = 0;
};

}  // namespace orvanta
