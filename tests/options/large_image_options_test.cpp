#include "options/large_image_options.h"

#include <gtest/gtest.h>

#include <map>

#include "support/scratch_dir.h"

namespace orvanta {
namespace {

constexpr std::uint64_t kMiB = 1ull << 20;
constexpr std::uint64_t kGiB = 1ull << 30;

// Options on a scripted machine: memory in MiB, free space per drive root, settings.ini in a
// scratch folder.
struct Machine {
    testing::ScratchDir dir;
    std::map<std::string, std::uint64_t> freeBytes;

    LargeImageOptions options(std::uint64_t totalMb, std::uint64_t freeMb) {
        LargeImageOptions result;
        result.environment.memory = [totalMb, freeMb] {
            return MemoryFigures{totalMb * kMiB, freeMb * kMiB};
        };
        result.environment.freeSpace = [this](const std::string& root) {
            auto found = freeBytes.find(root);
            return found == freeBytes.end() ? std::nullopt
                                            : std::optional<std::uint64_t>(found->second);
        };
        result.environment.fixedDisks = [] { return std::vector<std::string>{"/", "/data"}; };
        result.environment.settingsPath = dir / "settings.ini";
        return result;
    }
};

TEST(LargeImageOptions, MemoryDefaultIsTheLargestChoiceBelowHalfTheTotal) {
    EXPECT_EQ(defaultMemoryChoice(200), "128");
    EXPECT_EQ(defaultMemoryChoice(512), "128");
    EXPECT_EQ(defaultMemoryChoice(1024), "256");  // H = 512 exactly
    EXPECT_EQ(defaultMemoryChoice(1026), "512");
    EXPECT_EQ(defaultMemoryChoice(6144), "2048");
    EXPECT_EQ(defaultMemoryChoice(8192), "3072");
    EXPECT_EQ(defaultMemoryChoice(65536), "3072");
}

TEST(LargeImageOptions, DiskDefaultFollowsFreeSpaceWithTheFourForFiveToTenGigabytes) {
    EXPECT_EQ(defaultDiskChoice(0), "1");
    EXPECT_EQ(defaultDiskChoice(2), "1");
    EXPECT_EQ(defaultDiskChoice(2.5), "2");
    EXPECT_EQ(defaultDiskChoice(5), "3");
    EXPECT_EQ(defaultDiskChoice(7.5), "4");
    EXPECT_EQ(defaultDiskChoice(10), "4");
    EXPECT_EQ(defaultDiskChoice(10.01), "10");
    EXPECT_EQ(defaultDiskChoice(20), "10");
    EXPECT_EQ(defaultDiskChoice(55), "50");
    EXPECT_EQ(defaultDiskChoice(100), "90");
    EXPECT_EQ(defaultDiskChoice(150), "100");
    // Free space is cut, not rounded, to two decimals.
    EXPECT_EQ(gigabytesText(15 * kGiB / 2), "7.5");
    EXPECT_EQ(gigabytesText(8 * kGiB - 1), "7.99");
}

TEST(LargeImageOptions, LoadSizesTheDefaultsToTheMachine) {
    Machine machine;
    machine.freeBytes["/data/"] = 15 * kGiB / 2;
    LargeImageOptions options = machine.options(1024, 900);
    loadOptions(options);
    EXPECT_EQ(options.ramMb, "256");
    EXPECT_EQ(options.diskGb, "1");  // no primary drive
    EXPECT_EQ(options.pieceSize, "4096x4096");
    EXPECT_EQ(options.pieceFormat, PictureFormat::Jpg);
    EXPECT_EQ(options.background.value(), 16711935u);
    EXPECT_EQ(options.totalMemoryText, "1024 MB");
    EXPECT_EQ(options.freeMemoryText, "900 MB - 87% Free");
    EXPECT_EQ(options.primaryDrives, (std::vector<std::string>{"/", "/data"}));

    options.primaryScratchDrive = "/data";
    primaryDriveChanged(options);
    EXPECT_EQ(options.primaryFreeText, "7.5");
    EXPECT_EQ(options.diskGb, "4");
}

// The same rule for a choice made in the dialog is checked on the dialog.
TEST(LargeImageOptions, MemoryFromTheFileAtOrAboveFreeMemoryFallsBackToTheDefault) {
    Machine machine;
    testing::writeFile(machine.dir / "settings.ini",
                       "1024\r\n3\r\n\r\n\r\n4096x4096\r\n0\r\nJPG\r\n");
    LargeImageOptions options = machine.options(1024, 1000);
    loadOptions(options);
    EXPECT_EQ(options.ramMb, "256");

    options = machine.options(1024, 1024);
    testing::writeFile(machine.dir / "settings.ini", "512\n");
    loadOptions(options);
    EXPECT_EQ(options.ramMb, "512");
}

TEST(LargeImageOptions, DiskFollowsThePrimaryDrivesFreeSpace) {
    Machine machine;
    machine.freeBytes["/"] = 150 * kGiB;
    testing::writeFile(machine.dir / "settings.ini", "128\r\n5\r\n/\r\n\r\n");
    LargeImageOptions options = machine.options(8192, 8000);
    loadOptions(options);
    EXPECT_EQ(options.primaryFreeText, "150");
    EXPECT_EQ(options.diskGb, "100");

    // A choice above the primary drive's free space moves down the list.
    options.primaryFreeText = "7.5";
    options.diskGb = "20";
    diskChanged(options);
    EXPECT_EQ(options.diskGb, "5");
    options.primaryFreeText = "0.5";  // one gigabyte or less: no check
    options.diskGb = "20";
    diskChanged(options);
    EXPECT_EQ(options.diskGb, "20");
}

TEST(LargeImageOptions, SettingsFileRoundTrip) {
    Machine machine;
    machine.freeBytes["/data/"] = 33 * kGiB;
    LargeImageOptions options = machine.options(4096, 4000);
    loadOptions(options);
    options.ramMb = "768";
    options.primaryScratchDrive = "/data";
    primaryDriveChanged(options);
    options.secondaryScratchDrive = "/";
    options.pieceSize = "2048x2048";
    options.pieceFormat = PictureFormat::Png;
    applyOptions(options);
    EXPECT_EQ(testing::readFile(machine.dir / "settings.ini"),
              "768\r\n30\r\n/data\r\n/\r\n2048x2048\r\n16711935\r\nPNG\r\n");

    LargeImageOptions again = machine.options(4096, 4000);
    loadOptions(again);
    EXPECT_EQ(settingsIniLines(again), settingsIniLines(options));
    EXPECT_EQ(again.primaryFreeText, "33");
}

TEST(LargeImageOptions, JunkMissingAndBlankLinesLeaveTheDefaults) {
    Machine machine;
    testing::writeFile(machine.dir / "settings.ini",
                       "lots\r\n\r\n\r\n\r\n\r\n  255 \r\n../x\r\nextra\r\nlines\r\n");
    LargeImageOptions options = machine.options(2048, 2000);
    loadOptions(options);
    EXPECT_EQ(options.ramMb, "768");
    EXPECT_EQ(options.pieceSize, "4096x4096");
    EXPECT_EQ(options.background.value(), 255u);  // blanks around the colour are allowed
    EXPECT_EQ(options.pieceFormat, PictureFormat::Jpg);

    testing::writeFile(machine.dir / "settings.ini", "256\n2\n\n\n1024x1024\nmagenta\n");
    loadOptions(options);
    EXPECT_EQ(options.ramMb, "256");
    EXPECT_EQ(options.pieceSize, "1024x1024");
    EXPECT_EQ(options.background.value(), kDefaultBackgroundColour);
    EXPECT_EQ(options.pieceFormat, PictureFormat::Jpg);
}

}  // namespace
}  // namespace orvanta
