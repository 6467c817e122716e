#include "cli/option_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
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

std::vector<std::string> sortedWords(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> list{std::istream_iterator<std::string>(in), {}};
    std::sort(list.begin(), list.end());
    return list;
}

// The options of each command written out here, not read from the table: a row that loses or
// gains a command (large no longer reading --resume) changes the help, the parser and the
// completion alike, which the test above then finds in agreement.
TEST(CliOptionTable, EachCommandTakesTheOptionsItIsKnownToRead) {
    const std::string general = " --yes --no --quiet --verbose --help";
    const std::string tiling =
        "--output --name --format --quality --order --url --transparent --relative-links --kmz "
        "--skip-empty-tiles --exact-edges --preview --save-project --jobs --resume --engine --ram "
        "--open --google-earth --reproject --resampling --source-srs";
    const std::map<std::string, std::string> takes = {
        {"transform", tiling},
        {"large", tiling + " --disk --piece-format --background"},
        {"batch", tiling + " --kml-folder --shard"},
        {"multires", tiling},
        {"regenerate",
         "--batch --multires --project --output --name --format --order --url --transparent "
         "--kml-folder --relative-links --kmz --skip-empty-tiles --exact-edges --preview "
         "--save-project --open --google-earth"},
        {"run", tiling + " --kml-folder --disk --piece-format --background"},
        {"open", "--google-earth"},
        {"info", ""},
        {"merge", "--name --kml-folder"}};
    ASSERT_EQ(takes.size(), commandList().size());
    for (const auto& [name, command] : commandList()) {
        std::string reads;
        for (const OptionRow& row : optionTable()) {
            if (commandReads(row, command))
                reads += std::string(" ") + row.name;
        }
        EXPECT_EQ(sortedWords(reads), sortedWords(takes.at(name) + general)) << name;
    }
}

}  // namespace
}  // namespace orvanta::cli
