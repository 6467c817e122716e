#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <filesystem>

#include "app/user_settings.h"
#include "platform/text_file.h"
#include "support/scratch_dir.h"
#include "ui/options_dialog.h"
#include "ui_support.h"

namespace orvanta {
namespace {

struct OptionsFixture {
    OptionsFixture() {
        testing::qtApp();
        options.environment.memory = [] {
            return MemoryFigures{8192ull << 20, 4000ull << 20};  // 8 GB, 4000 MB free
        };
        options.environment.freeSpace = [](const std::string&) {
            return std::optional<std::uint64_t>(150ull << 30);
        };
        options.environment.fixedDisks = [] { return std::vector<std::string>{"/", "/data"}; };
        options.environment.settingsPath = dir / "settings.ini";
    }
    testing::ScratchDir dir;
    testing::FakeHost host;
    LargeImageOptions options;
};

QComboBox* combo(QDialog& dialog, const char* name) {
    return dialog.findChild<QComboBox*>(name);
}

TEST(OptionsDialog, ShowsTheMachineSizedDefaultsAndAppliesTheChosenColour) {
    OptionsFixture f;
    OptionsDialog dialog(f.options, f.host);
    EXPECT_EQ(dialog.windowTitle(), "OVT Large Image Options");
    EXPECT_EQ(combo(dialog, "Combo1")->currentText(), "3072");
    EXPECT_EQ(combo(dialog, "Combo6")->currentText(), "JPG");
    EXPECT_EQ(combo(dialog, "Combo4")->currentText(), "4096x4096");
    EXPECT_EQ(combo(dialog, "Combo5")->count(), 2);
    f.host.colourAnswers = {0x00FF00u};
    QTest::mouseClick(dialog.findChild<QToolButton*>("Label8"), Qt::LeftButton);
    EXPECT_EQ(f.options.background, (Rgb{0, 255, 0}));
    QTest::mouseClick(dialog.findChild<QPushButton*>("cmdApply"), Qt::LeftButton);
    const auto lines = splitLines(testing::readFile(f.options.environment.settingsPath));
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[0], "3072");
    EXPECT_EQ(lines[5], std::to_string(0x00FF00u));
    EXPECT_EQ(lines[6], "JPG");
}

TEST(OptionsDialog, MemoryChoiceAtOrAboveTheFreeMemoryFallsBackToTheDefault) {
    OptionsFixture f;
    f.options.environment.memory = [] { return MemoryFigures{1024ull << 20, 1000ull << 20}; };
    OptionsDialog dialog(f.options, f.host);
    QComboBox* memory = combo(dialog, "Combo1");
    const int index = memory->findText("1024");
    memory->setCurrentIndex(index);
    emit memory->activated(index);
    EXPECT_EQ(memory->currentText(), "256");
    EXPECT_EQ(f.options.ramMb, "256");
}

TEST(OptionsDialog, CancelWritesNothingAndForgetsTheChanges) {
    OptionsFixture f;
    {
        OptionsDialog dialog(f.options, f.host);
        QComboBox* format = combo(dialog, "Combo6");
        format->setCurrentIndex(format->findText("PNG"));
        emit format->activated(format->currentIndex());
        QTest::mouseClick(dialog.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
    }
    EXPECT_FALSE(std::filesystem::exists(f.options.environment.settingsPath));
    EXPECT_FALSE(f.options.loaded);
    EXPECT_EQ(ensureLoaded(f.options).pieceFormat, PictureFormat::Jpg);
}

// The number of tiling operations at once and the pixel engine are applied and kept per user;
// Cancel keeps the old number, and a stored value that is not a whole number in range counts
// as unset.
TEST(OptionsDialog, TilingOperationsAtOnceAndTheEngineAreAppliedAndKept) {
    OptionsFixture f;
    MemorySettingsStore store;
    int jobs = 2;
    PixelEngine engine = loadEngine(store);
    {
        OptionsDialog dialog(f.options, f.host);
        dialog.offerRunSettings(jobs, engine, store);
        auto* box = dialog.findChild<QSpinBox*>("spinJobs");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->value(), 2);
        box->setValue(5);
        dialog.findChild<QComboBox*>("comboEngine")->setCurrentText("magick");
        QTest::mouseClick(dialog.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    }
    EXPECT_EQ(jobs, 5);
    EXPECT_EQ(loadJobs(store), 5);
    EXPECT_EQ(engine, PixelEngine::Magick);
    EXPECT_EQ(loadEngine(store), PixelEngine::Magick);
    {
        OptionsDialog dialog(f.options, f.host);
        dialog.offerRunSettings(jobs, engine, store);
        dialog.findChild<QSpinBox*>("spinJobs")->setValue(1);
        QTest::mouseClick(dialog.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
    }
    EXPECT_EQ(jobs, 5);
    for (const std::string stored : {"0", "-3", "4x", "", "999"}) {
        store.setValue("Settings", "Jobs", stored);
        EXPECT_EQ(loadJobs(store), defaultJobs()) << stored;
    }
}

TEST(OptionsDialog, CtrlTabMovesThroughThePagesAndWraps) {
    OptionsFixture f;
    OptionsDialog dialog(f.options, f.host);
    dialog.show();
    auto* pages = dialog.findChild<QTabWidget*>("TabStrip1");
    const int count = pages->count();
    ASSERT_GE(count, 2);
    EXPECT_EQ(pages->currentIndex(), 0);
    QTest::keyClick(&dialog, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex(), 1);
    QTest::keyClick(&dialog, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(pages->currentIndex(), 0);
    QTest::keyClick(&dialog, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(pages->currentIndex(), count - 1);
    QTest::keyClick(&dialog, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex(), 0);
}

}  // namespace
}  // namespace orvanta
