#include <gtest/gtest.h>

#include "support/run_program.h"

namespace orvanta {
namespace {

using testing::runProgram;

// A usage error is one line with the program's prefix and where the help is, never the whole
// help: that would scroll the mistake away.
TEST(CliProgram, VersionAndUsageErrors) {
    const auto version = runProgram({ORVANTA_CLI, "--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, std::string("orvanta-cli ") + ORVANTA_VERSION + "\n");

    const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
        {{"transform", "a", "--quality", "0"},
         "--quality takes a whole number from 1 to 100, not '0'\n"
         "Try 'orvanta-cli transform --help'."},
        {{"large", "a", "b"}, "expected one image\nTry 'orvanta-cli large --help'."},
        {{"frob"}, "unknown command 'frob'\nTry 'orvanta-cli --help'."},
        {{}, "no command given\nTry 'orvanta-cli --help'."},
    };
    for (const auto& [args, message] : mistakes) {
        std::vector<std::string> argv = {ORVANTA_CLI};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto wrong = runProgram(argv);
        EXPECT_EQ(wrong.exitStatus, 2) << message;
        EXPECT_TRUE(wrong.out.empty()) << message;
        EXPECT_EQ(wrong.err, "orvanta-cli: " + message + "\n");
    }
}

}  // namespace
}  // namespace orvanta
