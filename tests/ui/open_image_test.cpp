#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "support/scratch_dir.h"
#include "support/test_images.h"
#include "ui_support.h"

namespace orvanta {
namespace {

TEST(WindowOpenImage, OpensOnTheWorkerShowsTheFactsAndThePreview) {
    testing::ScratchDir dir;
    const std::string image = dir / "area.jpg";
    testing::makeImage(image, 1024, 1024);
    testing::writeWorldFile(dir / "area.jgw", 0.001, -0.001, 10.0, 50.0);
    testing::WindowFixture f;
    f.click("Check5");
    f.dialogs.fileAnswers = {image};
    f.click("Command10");
    f.waitForRun();
    EXPECT_TRUE(f.dialogs.messages.empty()) << f.dialogs.messages[0].text;
    EXPECT_EQ(f.child<QLabel>("Label1")->text(), "1024");
    EXPECT_EQ(f.child<QLabel>("Label2")->text(), "1024");
    EXPECT_TRUE(f.child<QPushButton>("Command25")->isEnabled());
    auto* viewer = f.window->findChild<QWidget*>("imgeview");
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), "Image Viewer");
    // 1024 pixels are shown at (whole hundredths of 600 / 1024) x 0.72 = 0.4176: 427 pixels.
    EXPECT_EQ(viewer->findChild<QLabel*>("picDisplay")->pixmap().size(), QSize(427, 427));
}

TEST(WindowOpenImage, AnImageWithoutWorldFileIsRefusedAndTheProjectClosed) {
    testing::ScratchDir dir;
    const std::string image = dir / "bare.png";
    testing::makeImage(image, 1024, 1024);
    testing::WindowFixture f;
    f.dialogs.fileAnswers = {image};
    f.click("Command10");
    f.waitForRun();
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_NE(f.dialogs.messages[0].text.find("'bare.pgw'"), std::string::npos);
    EXPECT_FALSE(f.child<QPushButton>("Command25")->isEnabled());
    EXPECT_EQ(f.child<QLabel>("StatusText")->text(), "Status...");
}

}  // namespace
}  // namespace orvanta
