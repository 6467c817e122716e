#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/option_table.h"
#include "platform/console_host.h"
#include "platform/large_pages.h"

int main(int argc, char** argv) {
    using namespace orvanta::cli;
    orvanta::restartWithLargePages(argv);
    // A write past a file-size limit then fails like one on a full disk and is reported,
    // instead of ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    orvanta::ConsoleHost::cancelOnSignals();
    CliOptions options;
    try {
        options = parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        const std::optional<Command> command = argc > 1 ? namedCommand(argv[1]) : std::nullopt;
        std::fputs(usageErrorText(error.message, command).c_str(), stderr);
        return 2;
    }
    switch (options.command) {
        case Command::Version:
            std::printf("orvanta-cli %s\n", ORVANTA_VERSION);
            return 0;
        case Command::Completion:
            std::fputs(bashCompletion().c_str(), stdout);
            return 0;
        case Command::Help:
            std::fputs(usageText(options.helpFor).c_str(), stdout);
            return 0;
        default:
            return runCommand(options, stdout, stderr);
    }
}
