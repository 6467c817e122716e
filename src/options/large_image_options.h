#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/colour.h"
#include "platform/os_services.h"
#include "platform/picture_format.h"

namespace orvanta {

// The fixed choice lists of the large-image options, in order.
inline const std::vector<std::string> kMemoryChoices = {"128",  "256",  "512",  "768", "1024",
                                                        "1280", "1536", "2048", "3072"};
inline const std::vector<std::string> kDiskChoices = {"1",  "2",  "3",  "5",  "10", "20", "30",
                                                      "40", "50", "60", "70", "80", "90", "100"};
inline const std::vector<std::string> kPieceSizeChoices = {"4096x4096", "2048x2048", "1024x1024"};

// Magenta (red 255, green 0, blue 255): the background colour until the person picks another.
inline constexpr std::uint32_t kDefaultBackgroundColour = 16711935;

// What loading the options asks of the machine. `system()` asks the operating system; tests
// script it.
struct OptionsEnvironment {
    std::function<MemoryFigures()> memory;
    // Free bytes on the drive whose root is given; nothing when unknown.
    std::function<std::optional<std::uint64_t>(const std::string&)> freeSpace;
    std::function<std::vector<std::string>()> fixedDisks;
    std::string settingsPath;  // where settings.ini is read and written

    static OptionsEnvironment system();
};

// Settings for work on large images as the options dialog shows them: how much memory and
// disk the image tool may use, the scratch drives, the piece size and format and the
// background colour of padded pieces.
struct LargeImageOptions {
    // Scratch-drive choices: the fixed disks of the machine, in the order the system lists them.
    std::vector<std::string> primaryDrives;
    std::vector<std::string> secondaryDrives;

    std::string ramMb;                               // "RAM memory available for OVT:" (MB)
    std::string diskGb = "3";                        // "Hard Disk Space available for OVT:" (GB)
    std::string primaryScratchDrive;                 // "Primary Scratch Drive to be used by OVT:"
    std::string secondaryScratchDrive;               // "Secondary Scratch Drive to be used by OVT:"
    std::string pieceSize = "4096x4096";             // "Split Large image into multiple of (WxH)"
    PictureFormat pieceFormat = PictureFormat::Jpg;  // "Large Tiles Image Format:"
    Rgb background = Rgb::fromValue(kDefaultBackgroundColour);  // "Backround Transparency Color:"

    // Display texts: total and free memory, free space of the primary and secondary drive (GB).
    std::string totalMemoryText, freeMemoryText, primaryFreeText, secondaryFreeText;

    float totalMb = 0;        // total physical memory, MB, one decimal
    std::int32_t freeMb = 0;  // free physical memory, MB

    bool loaded = false;  // the loading steps have run since the last unload
    OptionsEnvironment environment = OptionsEnvironment::system();
};

// What the large-image work reads of the options, as typed values.
struct LargeImageSettings {
    int ramLimitMb = 512;
    int diskLimitGb = 3;
    PictureFormat pieceFormat = PictureFormat::Jpg;
    Rgb background = Rgb::fromValue(kDefaultBackgroundColour);
};
// The settings of the options, loaded on first use.
LargeImageSettings largeImageSettings(LargeImageOptions& options);

// The memory default for a total of `totalMb`: the largest choice below half of it, at least
// "128".
std::string defaultMemoryChoice(float totalMb);
// The disk default for `freeGb` on the primary drive. 5 to 10 GB give "4", which is not a choice.
std::string defaultDiskChoice(double freeGb);
// Free bytes as gigabytes cut down (not rounded) to two decimals: "7.5", "150", "0.99".
std::string gigabytesText(std::uint64_t bytes);
// The number at the start of a text, 0 when there is none (so "" and "junk" give 0).
double optionNumber(const std::string& text);

// Runs the loading steps: choice defaults, memory figures, settings.ini (its lines when it
// exists, else nothing), the memory check, the drives' free space and the disk default.
void loadOptions(LargeImageOptions& options, const std::optional<std::vector<std::string>>& ini);
// The same, reading settings.ini from the environment's path.
void loadOptions(LargeImageOptions& options);
// The options as another step reads them: loaded on first use.
LargeImageOptions& ensureLoaded(LargeImageOptions& options);
// Forgets the loaded values; the next access loads them again (closing the dialog).
inline void unloadOptions(LargeImageOptions& options) {
    options.loaded = false;
}

// Checks run when a setting changes.
void ramChanged(LargeImageOptions& options);             // memory
void diskChanged(LargeImageOptions& options);            // disk
void primaryDriveChanged(LargeImageOptions& options);    // primary drive
void secondaryDriveChanged(LargeImageOptions& options);  // secondary drive

// The seven lines of settings.ini.
std::vector<std::string> settingsIniLines(const LargeImageOptions& options);
// Writes settings.ini ("&Apply"). Throws RunError 75 or 76 when it cannot be written.
void applyOptions(const LargeImageOptions& options);

// Where settings.ini lives: the program folder when it is writable, else the per-user
// configuration folder.
std::string settingsIniPath();

}  // namespace orvanta
