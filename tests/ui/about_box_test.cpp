#include <gtest/gtest.h>

#include <QLabel>

#include "ui/about_box.h"
#include "ui_support.h"

namespace orvanta {
namespace {

TEST(AboutBox, ShowsTheVersionWithoutLeadingZeros) {
    testing::qtApp();
    testing::FakeHost host;
    AboutBox about(host);
    EXPECT_EQ(about.windowTitle(), "About Orvanta");
    EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), "Version 2.3.1");
    EXPECT_EQ(about.findChild<QLabel*>("lblTitle")->text(), "Orvanta");
    EXPECT_EQ(versionLabel("2.03.0001"), "Version 2.3.1");
    EXPECT_EQ(versionLabel("10.0.12"), "Version 10.0.12");
}

}  // namespace
}  // namespace orvanta
