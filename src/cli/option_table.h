#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace orvanta::cli {

// The headings the options of a command's help are grouped under, in this order.
enum class OptionGroup { Input, Output, Processing, LargeImage, GoogleEarth, General };

// One option of orvanta-cli. The help, the parser's check that a command reads the option, and
// the shell completion all come from the table of these rows.
struct OptionRow {
    const char* name;       // "--format"
    const char* shortName;  // "-q", or empty
    const char* value;      // what follows it in the help ("JPG|PNG|GIF|TIF"), empty for a switch
    OptionGroup group;
    const char* commands;  // the commands that read it, separated by blanks
    const char* help;      // one line, or lines joined by "\n"
};

const std::vector<OptionRow>& optionTable();

// The commands in the order the help lists them, with their names.
const std::vector<std::pair<std::string, Command>>& commandList();
std::string commandName(Command command);
// The command a word names, when it names one.
std::optional<Command> namedCommand(const std::string& word);

// The row of an argument ("--quiet" or "-q"); nullptr when no option is called so.
const OptionRow* findOption(const std::string& arg);
bool commandReads(const OptionRow& row, Command command);

// The options `command` reads, grouped under headings, each with its help.
std::string optionHelp(Command command);

// A bash completion script for orvanta-cli: its commands, each command's options and the
// values of options that take one of a few.
std::string bashCompletion();

}  // namespace orvanta::cli
