#include "cli/option_table.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orvanta::cli {
namespace {

// A value each option takes: the first of its choices, or a number or colour that fits.
std::string sampleValue(const std::string& value) {
    if (value == "R,G,B")
        return "1,2,3";
    if (value == "N" || value == "MB" || value == "GB")
        return "2";
    return value.substr(0, value.find('|'));
}

// Every row against every command: a command takes exactly the options it reads, its help
// lists exactly those under their headings, and its completion offers exactly those.
TEST(CliOptionTable, EachCommandTakesListsAndCompletesOnlyWhatItReads) {
    const std::string completion = bashCompletion();
    for (const auto& [name, command] : commandList()) {
        const std::string help = usageText(command);
        const std::size_t completed = completion.find("        " + name + ") ");
        ASSERT_NE(completed, std::string::npos) << name;
        const std::string offered =
            completion.substr(completed, completion.find('\n', completed) - completed) + " ";
        for (const OptionRow& row : optionTable()) {
            std::vector<std::string> args = {name, "in"};
            if (command == Command::Multires)
                args.emplace_back("in2");
            args.emplace_back(row.name);
            if (*row.value)
                args.push_back(sampleValue(row.value));
            bool refused = false;
            try {
                parseArguments(args);
            } catch (const UsageError& error) {
                refused = error.message.find("does not take") != std::string::npos;
            }
            const bool reads = commandReads(row, command);
            EXPECT_EQ(refused, !reads) << name << " " << row.name;
            EXPECT_EQ(help.find(std::string(" ") + row.name + " ") != std::string::npos, reads)
                << name << " " << row.name;
            EXPECT_EQ(offered.find(std::string(" ") + row.name + " ") != std::string::npos ||
                          offered.find(std::string("\"") + row.name + " ") != std::string::npos,
                      reads)
                << name << " " << row.name;
        }
        EXPECT_NE(help.find("\nGeneral:\n"), std::string::npos) << name;
        EXPECT_LT(help.find("\nGeneral:\n"), help.find("\nExample:\n  orvanta-cli " + name))
            << name;
    }
    // Every command a row names is one of the commands.
    for (const OptionRow& row : optionTable()) {
        std::istringstream readers(row.commands);
        for (std::string reader; readers >> reader;) {
            bool known = false;
            for (const auto& [name, command] : commandList())
                known = known || name == reader;
            EXPECT_TRUE(known) << row.name << " names " << reader;
        }
    }
    EXPECT_EQ(parseArguments({"info", "in", "-q"}).verbosity, Verbosity::Quiet);
    EXPECT_NE(usageText().find("--version"), std::string::npos);
}

}  // namespace
}  // namespace orvanta::cli
