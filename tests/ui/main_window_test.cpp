#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "app/window_rules.h"
#include "support/scratch_dir.h"
#include "ui_support.h"

namespace orvanta {
namespace {

using testing::WindowFixture;

TEST(MainWindowInterlocks, TransparentImageLocksPngAndWebserverSwitchesTheUrl) {
    WindowFixture f;
    auto* format = f.child<QComboBox>("Combo2");
    EXPECT_EQ(format->currentText(), "JPG");
    f.click("Check4");
    EXPECT_EQ(format->currentText(), "PNG");
    EXPECT_FALSE(format->isEnabled());
    EXPECT_EQ(f.window->app().settings.outputFormat, PictureFormat::Png);
    f.click("Check4");
    EXPECT_TRUE(format->isEnabled());
    EXPECT_EQ(format->currentText(), "PNG");

    auto* url = f.child<QLineEdit>("Text11");
    EXPECT_FALSE(url->isEnabled());
    f.click("Check1");
    EXPECT_TRUE(url->isEnabled());
    f.click("Check1");
    EXPECT_FALSE(url->isEnabled());
}

TEST(MainWindowInterlocks, MultipleDirectoriesGroupFollowsItsBoxAndEmptiesTheList) {
    WindowFixture f;
    const char* group[] = {"List2", "Command15", "Command28", "Command16", "Command17"};
    for (const char* name : group)
        EXPECT_FALSE(f.child<QWidget>(name)->isEnabled()) << name;
    f.click("Check2");
    for (const char* name : group)
        EXPECT_TRUE(f.child<QWidget>(name)->isEnabled()) << name;
    f.window->app().settings.batchFolders = {"/tiles/a", "/tiles/b"};
    f.window->refreshFromState();
    EXPECT_EQ(f.child<QListWidget>("List2")->count(), 2);
    f.click("Check2");
    EXPECT_EQ(f.child<QListWidget>("List2")->count(), 0);
    EXPECT_TRUE(f.window->app().settings.batchFolders.empty());
    for (const char* name : group)
        EXPECT_FALSE(f.child<QWidget>(name)->isEnabled()) << name;
}

TEST(MainWindowInterlocks, MultiResolutionBoxWarnsAndDisablesTheRunButtons) {
    WindowFixture f;
    f.window->app().enabled.transform = f.window->app().enabled.loadInGoogleEarth = true;
    f.window->refreshFromState();
    EXPECT_TRUE(f.child<QPushButton>("Command25")->isEnabled());
    f.click("Check6");
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_EQ(f.dialogs.messages[0].text,
              "Please add first the High Resolution Image then add the low resolution Image.");
    EXPECT_EQ(f.dialogs.messages[0].title, "Orvanta");
    for (const char* name : {"List1", "Command11", "Command12", "Command13"}) {
        EXPECT_TRUE(f.child<QWidget>(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(f.child<QPushButton>("Command25")->isEnabled());
    EXPECT_FALSE(f.child<QPushButton>("Command26")->isEnabled());
    f.window->app().settings.multiResolutionImages = {"/hi.jpg"};
    f.window->app().settings.multiResolutionFolders = {"/"};
    f.click("Check6");
    EXPECT_EQ(f.dialogs.messages.size(), 1u);  // clearing the box asks nothing
    EXPECT_FALSE(f.child<QWidget>("Command11")->isEnabled());
    EXPECT_TRUE(f.window->app().settings.multiResolutionImages.empty());
    EXPECT_TRUE(f.window->app().settings.multiResolutionFolders.empty());
}

TEST(MainWindowColour, SwatchTakesTheChosenColourAndShowsItsText) {
    WindowFixture f;
    f.dialogs.colourAnswers = {0xFF0000u, std::nullopt};  // pure blue, then a cancel
    f.click("Label25");
    EXPECT_EQ(f.window->app().settings.transparentColour, (Rgb{0, 0, 255}));
    EXPECT_EQ(f.child<QLabel>("Label26")->text(), "RGB(0, 0, 255)");
    EXPECT_TRUE(f.child<QToolButton>("Label25")->styleSheet().contains("rgb(0, 0, 255)"));
    f.click("Label25");
    EXPECT_EQ(f.child<QLabel>("Label26")->text(), "RGB(0, 0, 255)");
}

TEST(MainWindowEdits, FieldsWriteTheProjectRecord) {
    WindowFixture f;
    QTest::keyClicks(f.child<QLineEdit>("projname"), "Area");
    EXPECT_EQ(f.window->app().settings.projectName, "DefaultArea");
    auto* order = f.child<QComboBox>("Combo4");
    order->setCurrentIndex(0);
    emit order->activated(0);
    EXPECT_EQ(f.window->app().settings.drawOrder, DisplayOrder::High);
    f.click("Check3");
    EXPECT_FALSE(f.window->app().settings.openWhenDone);
}

// The window offers three qualities and shows another stored one (from a project file or the
// command line) as it is; a text typed over it that is no quality is not taken, nor listed.
TEST(MainWindowEdits, QualityShowsAStoredValueAndTakesOnlyQualities) {
    WindowFixture f;
    AppState& app = f.window->app();
    auto* quality = f.child<QComboBox>("Combo5");
    app.settings.jpegQuality = 60;
    f.window->refreshFromState();
    EXPECT_EQ(quality->currentText(), "60");
    quality->lineEdit()->selectAll();
    QTest::keyClicks(quality->lineEdit(), "abc");
    QTest::keyClick(quality->lineEdit(), Qt::Key_Return);
    emit quality->activated(quality->currentIndex());
    EXPECT_EQ(app.settings.jpegQuality, 60);
    EXPECT_EQ(quality->count(), 3);
    quality->setCurrentIndex(1);
    emit quality->activated(1);
    EXPECT_EQ(app.settings.jpegQuality, 90);
}

// At its default size, 800 x 600 pixels, the window shows the output folder row: in a picture
// of the window, the field is where it is, whole, as it paints itself.
TEST(MainWindowSize, TheOutputFolderRowIsInThePictureOfTheDefaultSize) {
    WindowFixture f;
    QCoreApplication::processEvents();
    const QImage shot = f.window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(800, 600));
    auto* field = f.child<QLineEdit>("outputFolder");
    field->setText("/maps/out");
    QCoreApplication::processEvents();
    const QRect inner = field->rect().adjusted(4, 4, -4, -4);
    const QImage own = field->grab(inner).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shown = f.window->grab(inner.translated(field->mapTo(f.window.get(), QPoint())))
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, own);
}

// The window grows with its frame, and its pages and fields with it; it never gets smaller
// than 12000 x 9000 twips.
TEST(MainWindowSize, GrowsWithItsFrameNeverBelowTwelveThousandByNineThousandTwips) {
    WindowFixture f;
    const double tpp = twipsPerPixel(*f.window);
    f.window->show();
    QCoreApplication::processEvents();
    const QSize pages = f.child<QWidget>("Frame1")->size();
    const int field = f.child<QWidget>("Projectimage")->width();
    f.window->resize(f.window->size() + QSize(400, 300));
    QCoreApplication::processEvents();
    EXPECT_GT(f.window->width() * tpp, kMainWidthTwips + 300 * tpp);
    EXPECT_EQ(f.child<QWidget>("Frame1")->size(), pages + QSize(400, 300));
    EXPECT_GT(f.child<QWidget>("Projectimage")->width(), field + 200);
    f.window->resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_NEAR(f.window->width() * tpp, kMainWidthTwips, tpp);
    EXPECT_NEAR(f.window->height() * tpp, kMainHeightTwips, tpp);
}

TEST(MainWindowPlacement, ClosingSavesThePlacement) {
    WindowFixture f;
    f.window->resize(600, 450);
    QCoreApplication::processEvents();
    f.window->close();
    const auto width = f.store.value("Settings", "MainWidth");
    ASSERT_TRUE(width);
    EXPECT_GT(std::stod(*width), 0.0);
}

TEST(MainWindowToolbar, SaveOpenAndNewKeysDoWhatTheySay) {
    testing::ScratchDir dir;
    WindowFixture f;
    const std::string path = dir / "job.ovt";
    f.window->app().settings.projectName = "Coast";
    f.dialogs.fileAnswers = {path};
    f.child<QAction>("Save")->trigger();
    EXPECT_EQ(f.window->app().statusText(), "Project file " + path + " was saved!");

    WindowFixture g;
    g.dialogs.fileAnswers = {path};
    g.child<QAction>("openproject")->trigger();
    EXPECT_EQ(g.child<QLineEdit>("projname")->text(), "Coast");
    EXPECT_EQ(g.child<QLabel>("StatusText")->text().toStdString(),
              "Project file " + path + " was loaded successfully!");
    g.child<QAction>("New")->trigger();  // closes the project
    EXPECT_EQ(g.child<QLineEdit>("projname")->text(), "");
    EXPECT_EQ(g.child<QLabel>("StatusText")->text(), "Status...");
}

TEST(MainWindowToolbar, PropertiesKeyOpensTheOptionsDialog) {
    WindowFixture f;
    QString shown;
    QTimer::singleShot(0, [&] {
        for (QWidget* dialog : QApplication::topLevelWidgets()) {
            if (dialog->objectName() == "frmOptions" && dialog->isVisible()) {
                shown = dialog->windowTitle();
                dialog->close();
            }
        }
    });
    f.child<QAction>("Properties")->trigger();
    EXPECT_EQ(shown, "OVT Large Image Options");
}

TEST(MainWindowHelp, ContentsHomepageAndSupportOpenTheManual) {
    WindowFixture f;
    f.child<QAction>("mnuHelpContents")->trigger();
    f.child<QAction>("mnuHelpHomepage")->trigger();
    f.child<QAction>("mnuHelpSupport")->trigger();
    f.child<QAction>("Help")->trigger();
    ASSERT_EQ(f.dialogs.openedUrls.size(), 4u);
    for (int index : {0, 1, 3}) {
        EXPECT_TRUE(f.dialogs.openedUrls[index].ends_with("docs/manual/index.html"));
    }
    EXPECT_TRUE(f.dialogs.openedUrls[2].ends_with("docs/manual/troubleshooting.html"));
}

}  // namespace
}  // namespace orvanta
