#include "app/error_policy.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/app_state.h"
#include "support/fake_host.h"

namespace orvanta {
namespace {

using testing::FakeHost;

class ErrorPolicyTest : public ::testing::Test {
  protected:
    ErrorPolicyTest() : app(host) {}
    FakeHost host;
    AppState app;
    RunErrorPolicy policy{app};
};

TEST_F(ErrorPolicyTest, AccessAndImageToolErrorsSkipTheStepAndAreReportedAtTheEnd) {
    RunErrorPolicy clean{app};
    EXPECT_TRUE(clean.run([] {}));
    EXPECT_TRUE(clean.finish());
    int ran = 0;
    EXPECT_TRUE(policy.run(
        [&] { throw RunError(errors::PathFileAccess, "Path/File access error: /t/a"); }));
    EXPECT_TRUE(policy.run([&] { throw RunError(errors::ImageTool, "corrupt image"); }));
    EXPECT_TRUE(policy.run([&] { ++ran; }));
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(policy.finish());
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{"2 steps failed and were skipped. The first failure: 75 "
                                       "Path/File access error: /t/a"});
}

TEST_F(ErrorPolicyTest, OutOfMemoryShowsItsMessageAndClosesTheProject) {
    app.settings.projectName = "Big";
    EXPECT_FALSE(policy.run([] { throw std::bad_alloc(); }));
    EXPECT_TRUE(policy.ended());
    EXPECT_EQ(host.messages, (std::vector<FakeHost::Message>{{kOutOfMemoryMessage, "Orvanta"}}));
    EXPECT_EQ(std::string(kOutOfMemoryMessage).substr(0, 26), "Not enough memory to proce");
    EXPECT_EQ(app.settings.projectName, "");
    EXPECT_EQ(app.statusText(), "Status...");
    // Nothing runs after the operation ended.
    bool ran = false;
    EXPECT_FALSE(policy.run([&] { ran = true; }));
    EXPECT_FALSE(ran);
}

TEST_F(ErrorPolicyTest, OtherErrorsShowNumberAndDescriptionAndEnd) {
    EXPECT_FALSE(policy.run(
        [] { throw RunError(errors::InvalidArgument, "Invalid procedure call or argument"); }));
    EXPECT_EQ(
        host.messages,
        (std::vector<FakeHost::Message>{{"5 Invalid procedure call or argument", "Orvanta"}}));
    EXPECT_FALSE(policy.finish());
}

TEST_F(ErrorPolicyTest, FilesystemErrorsBecomeRunErrors) {
    namespace fs = std::filesystem;
    auto numberOf = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            return toRunError(std::current_exception()).number();
        }
        return 0;
    };
    EXPECT_EQ(numberOf([] { (void)fs::file_size("/no/such/folder/file"); }), errors::PathNotFound);
    EXPECT_EQ(numberOf([] { (void)fs::file_size(fs::temp_directory_path() / "no-such-file-x"); }),
              errors::FileNotFound);
    EXPECT_EQ(numberOf([] {
                  throw fs::filesystem_error("x", "/p",
                                             std::make_error_code(std::errc::permission_denied));
              }),
              errors::PathFileAccess);
}

}  // namespace
}  // namespace orvanta
