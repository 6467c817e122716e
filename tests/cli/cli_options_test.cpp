#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace orvanta::cli {
namespace {

using Args = std::vector<std::string>;

TEST(CliArguments, CommandsTakeTheirInputsAndOptions) {
    const CliOptions transform = parseArguments(
        {"transform", "/d/tiles", "--name", "Area", "--format", "png", "--quality", "75", "--order",
         "high", "--transparent", "255,0,255", "--open", "--yes", "--jobs", "3"});
    EXPECT_EQ(transform.command, Command::Transform);
    EXPECT_EQ(transform.inputs, Args{"/d/tiles"});
    EXPECT_EQ(transform.name, "Area");
    EXPECT_EQ(transform.format, "PNG");
    EXPECT_EQ(transform.quality, "75");
    EXPECT_EQ(transform.order, "HIGH");
    EXPECT_EQ(transform.transparent->value(), 0xFF00FFu);
    EXPECT_TRUE(transform.open);
    EXPECT_EQ(transform.answer, true);
    EXPECT_EQ(transform.jobs, 3);

    const CliOptions batch = parseArguments({"batch", "a", "b", "c", "--no"});
    EXPECT_EQ(batch.inputs, (Args{"a", "b", "c"}));
    EXPECT_EQ(batch.answer, false);
    EXPECT_FALSE(batch.open);

    const CliOptions regenerate = parseArguments({"regenerate", "--multires", "hi.jpg", "lo.jpg"});
    EXPECT_EQ(regenerate.regenerateInput, RegenerateInput::Multires);
    EXPECT_EQ(regenerate.inputs, (Args{"hi.jpg", "lo.jpg"}));

    const CliOptions large = parseArguments(
        {"large", "big.jpg", "--ram", "2048", "--disk", "20", "--background", "0,0,0"});
    EXPECT_EQ(large.ramMegabytes, 2048);
    EXPECT_EQ(large.background, (Rgb{0, 0, 0}));
}

TEST(CliArguments, PathsStartingWithADashFollowTheDoubleDash) {
    const CliOptions options = parseArguments({"transform", "--", "-odd folder"});
    EXPECT_EQ(options.inputs, Args{"-odd folder"});
}

TEST(CliArguments, HelpForEachCommandHasAnExample) {
    const CliOptions options = parseArguments({"large", "--help"});
    EXPECT_EQ(options.command, Command::Help);
    EXPECT_EQ(options.helpFor, Command::Large);
    const std::string help = usageText(options.helpFor);
    EXPECT_NE(help.find("--background R,G,B"), std::string::npos);
    EXPECT_NE(help.find("Example:\n  orvanta-cli large"), std::string::npos);
    EXPECT_NE(usageText().find("regenerate"), std::string::npos);
}

TEST(CliArguments, MistakesAreUsageErrors) {
    const std::vector<Args> wrong = {
        {},
        {"frobnicate"},
        {"transform"},
        {"transform", "a", "b"},
        {"multires", "hi.jpg"},
        {"batch"},
        {"transform", "a", "--format", "BMP"},
        {"transform", "a", "--quality", "80"},
        {"transform", "a", "--transparent", "255,0"},
        {"transform", "a", "--transparent", "256,0,0"},
        {"transform", "a", "--transparent", "1,2,3,4"},
        {"transform", "a", "--jobs", "0"},
        {"transform", "a", "--jobs", "two"},
        {"transform", "a", "--name"},
        {"transform", "a", "--batch"},
        {"regenerate", "--project"},
    };
    for (const Args& args : wrong) {
        EXPECT_THROW(parseArguments(args), UsageError) << ::testing::PrintToString(args);
    }
}

}  // namespace
}  // namespace orvanta::cli
