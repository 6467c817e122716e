#include "platform/console_host.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>

#include "platform/process.h"

namespace orvanta {
namespace {

volatile std::sig_atomic_t cancelSignalled = 0;

// Every line the command line writes of itself starts so.
constexpr const char* kPrefix = "orvanta-cli: ";

// A message as lines that each carry the prefix; a title other than the program's comes first.
std::string prefixedLines(const std::string& text, const std::string& title) {
    std::string lines = kPrefix;
    if (title != kAppTitle)
        lines += title + ": ";
    for (const char c : text) {
        lines += c;
        if (c == '\n')
            lines += kPrefix;
    }
    return lines;
}

extern "C" void noteCancel(int) {
    cancelSignalled = 1;
}

}  // namespace

void ConsoleHost::cancelOnSignals() {
    std::signal(SIGINT, noteCancel);
    std::signal(SIGTERM, noteCancel);
}

void ConsoleHost::doEvents() {
    if (cancelSignalled)
        throw RunCancelled{};
}

ConsoleHost::ConsoleHost(std::optional<bool> presetAnswer, std::FILE* input, std::FILE* output,
                         Verbosity verbosity)
    : presetAnswer_(presetAnswer),
      input_(input),
      output_(output),
      verbosity_(verbosity),
      interactive_(isatty(fileno(input)) && isatty(fileno(output))),
      terminal_(isatty(fileno(output))) {}

long long ConsoleHost::elapsedSeconds() const {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() -
                                                            started_)
        .count();
}

void ConsoleHost::endProgressLine() {
    if (!progressLineOpen_)
        return;
    // A bar still running is cleared, to be drawn again below what comes now; a dotted line or
    // a finished bar stays.
    std::fputs(terminal_ && job_.fraction() < 1 ? "\r\033[K" : "\n", output_);
    progressLineOpen_ = false;
    for (const std::string& status : heldStatuses_)
        std::fprintf(output_, "%s\n", status.c_str());
    heldStatuses_.clear();
}

void ConsoleHost::messageBox(const std::string& text, const std::string& title) {
    endProgressLine();
    std::fprintf(output_, "%s\n", prefixedLines(text, title).c_str());
    std::fflush(output_);
}

bool ConsoleHost::askYesNo(const std::string& text, const std::string& title, MessageIcon) {
    endProgressLine();
    std::fprintf(output_, "%s [y/N] ", prefixedLines(text, title).c_str());
    bool yes = presetAnswer_.value_or(false);
    if (!presetAnswer_ && interactive_) {
        std::fflush(output_);
        int c = std::fgetc(input_);
        yes = c == 'y' || c == 'Y';
        while (c != EOF && c != '\n')
            c = std::fgetc(input_);
    } else if (presetAnswer_) {
        std::fputs(yes ? "y\n" : "n\n", output_);
    } else {
        std::fputs("n (no terminal to answer on: --yes answers Yes)\n", output_);
    }
    std::fflush(output_);
    return yes;
}

std::string ConsoleHost::chooseOpenFile(const std::string&, const std::string&) {
    return {};
}

std::string ConsoleHost::chooseSaveFile(const std::string&, const std::string&,
                                        const std::string&) {
    return {};
}

std::string ConsoleHost::chooseFolder(const std::string&) {
    return {};
}

std::optional<std::uint32_t> ConsoleHost::chooseColour(std::uint32_t) {
    return std::nullopt;
}

void ConsoleHost::statusChanged(const std::string& text) {
    if (verbosity_ == Verbosity::Quiet || text == kIdleStatus ||
        (text == lastStatus_ && verbosity_ == Verbosity::Normal))
        return;
    lastStatus_ = text;
    // A dotted line is not broken by the status texts of the next phase; they follow it.
    if (progressLineOpen_ && !terminal_ && verbosity_ == Verbosity::Normal) {
        heldStatuses_.push_back(text);
        return;
    }
    endProgressLine();
    if (verbosity_ == Verbosity::Verbose)
        std::fprintf(output_, "[%s] ", clockText(elapsedSeconds()).c_str());
    std::fprintf(output_, "%s\n", text.c_str());
    std::fflush(output_);
}

void ConsoleHost::progress(int done, int total) {
    if (verbosity_ != Verbosity::Quiet && total > 0)
        showProgress(job_.report(done, total));
}

void ConsoleHost::endProgress(bool done) {
    if (verbosity_ != Verbosity::Quiet && done && job_.phase() > 0 && job_.fraction() < 1)
        showProgress(1);
    endProgressLine();
}

void ConsoleHost::showProgress(double fraction) {
    std::string text;
    if (terminal_) {
        constexpr int kWidth = 30;
        const auto filled = static_cast<std::size_t>(fraction * kWidth);
        const auto left = job_.secondsLeft(static_cast<double>(elapsedSeconds()));
        const std::string eta = left ? "  " + clockText(*left) + " left" : std::string();
        char percent[8];
        std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(fraction * 100));
        // Blanks after the text clear what a longer earlier line left.
        text = "\r[" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] " +
               percent + eta + std::string(16 - std::min<std::size_t>(eta.size(), 16), ' ');
    } else {
        text = dottedProgress(fraction, dotMarks_);
        if (text.empty())
            return;
    }
    std::fputs(text.c_str(), output_);
    progressLineOpen_ = true;
    if (fraction >= 1)
        endProgressLine();
    std::fflush(output_);
}

void ConsoleHost::startDetached(const std::vector<std::string>& argv) {
    startProgramDetached(argv);
}

std::optional<int> ConsoleHost::runAndWait(const std::vector<std::string>& argv,
                                           std::chrono::milliseconds limit) {
    return runProgramAndWait(argv, limit);
}

void ConsoleHost::openUrl(const std::string& url) {
    try {
        startProgramDetached({"xdg-open", url});
    } catch (const std::exception&) {
        std::fprintf(output_, "%sOpen %s in a web browser.\n", kPrefix, url.c_str());
    }
}

}  // namespace orvanta
