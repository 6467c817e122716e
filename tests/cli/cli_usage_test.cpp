#include <gtest/gtest.h>

#include "support/run_program.h"

namespace orvanta {
namespace {

using testing::runProgram;

TEST(CliProgram, VersionAndUsageErrors) {
    const auto version = runProgram({ORVANTA_CLI, "--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, std::string("orvanta-cli ") + ORVANTA_VERSION + "\n");

    const auto wrong = runProgram({ORVANTA_CLI, "transform", "a", "--quality", "80"});
    EXPECT_EQ(wrong.exitStatus, 2);
    EXPECT_TRUE(wrong.out.empty());
    EXPECT_NE(wrong.err.find("--quality takes one of 100, 90, 75"), std::string::npos);
    EXPECT_NE(wrong.err.find("Usage: orvanta-cli transform"), std::string::npos);
    EXPECT_EQ(runProgram({ORVANTA_CLI}).exitStatus, 2);
}

}  // namespace
}  // namespace orvanta
