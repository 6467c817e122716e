#include "platform/console_host.h"

#include <unistd.h>

#include <cctype>
#include <csignal>

#include "platform/process.h"

namespace orvanta {
namespace {

volatile std::sig_atomic_t cancelSignalled = 0;

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

ConsoleHost::ConsoleHost(std::optional<bool> presetAnswer, std::FILE* input, std::FILE* output)
    : presetAnswer_(presetAnswer),
      input_(input),
      output_(output),
      interactive_(isatty(fileno(input)) && isatty(fileno(output))) {}

void ConsoleHost::endProgressLine() {
    if (!progressLineOpen_)
        return;
    std::fputc('\n', output_);
    progressLineOpen_ = false;
}

void ConsoleHost::messageBox(const std::string& text, const std::string& title) {
    endProgressLine();
    ++messageCount_;
    std::fprintf(output_, "%s: %s\n", title.c_str(), text.c_str());
    std::fflush(output_);
}

bool ConsoleHost::askYesNo(const std::string& text, const std::string& title, MessageIcon) {
    endProgressLine();
    std::fprintf(output_, "%s: %s [y/N] ", title.c_str(), text.c_str());
    bool yes = presetAnswer_.value_or(false);
    if (!presetAnswer_ && interactive_) {
        std::fflush(output_);
        int c = std::fgetc(input_);
        yes = c == 'y' || c == 'Y';
        while (c != EOF && c != '\n')
            c = std::fgetc(input_);
    } else {
        std::fputs(yes ? "y\n" : "n\n", output_);
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
    if (text == lastStatus_)
        return;
    lastStatus_ = text;
    endProgressLine();
    std::fprintf(output_, "%s\n", text.c_str());
    std::fflush(output_);
}

void ConsoleHost::progress(int done, int total) {
    if (total <= 0)
        return;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::steady_clock::now() - started_)
                             .count();
    if (interactive_) {
        constexpr int kWidth = 30;
        const int filled = done * kWidth / total;
        std::fprintf(output_, "\r[%s%s] %d/%d  %02lld:%02lld", std::string(filled, '#').c_str(),
                     std::string(kWidth - filled, ' ').c_str(), done, total,
                     static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
        progressLineOpen_ = done < total;
        if (!progressLineOpen_)
            std::fputc('\n', output_);
    } else {
        std::fprintf(output_, "Progress: %d of %d (%llds)\n", done, total,
                     static_cast<long long>(seconds));
    }
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
        std::fprintf(output_, "Open %s in a web browser.\n", url.c_str());
    }
}

}  // namespace orvanta
