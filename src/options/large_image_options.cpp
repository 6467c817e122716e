#include "options/large_image_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "platform/text_case.h"

namespace orvanta {
namespace {

bool isNumber(const std::string& text) {
    if (text.empty())
        return false;
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

// The background colour of line 6: a whole number within 24 bits, else nothing.
std::optional<std::uint32_t> colourValue(const std::string& text) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return std::nullopt;
    }
    if (text.size() > 8)
        return std::nullopt;
    const unsigned long value = std::stoul(text);
    if (value > 0xFFFFFFu)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// The root of a drive: the drive and a separator ("C:" gives "C:\", "/" stays "/").
std::string driveRoot(const std::string& drive) {
    if (!drive.empty() && drive.back() == kPathSeparator)
        return drive;
    return drive + kPathSeparator;
}

std::string freeSpaceText(const LargeImageOptions& options, const std::string& drive) {
    const std::optional<std::uint64_t> bytes = options.environment.freeSpace
                                                   ? options.environment.freeSpace(driveRoot(drive))
                                                   : std::nullopt;
    return gigabytesText(bytes.value_or(0));
}

void readMemoryFigures(LargeImageOptions& options) {
    const MemoryFigures figures =
        options.environment.memory ? options.environment.memory() : MemoryFigures{};
    const double totalMb = static_cast<double>(figures.totalBytes) / 1024 / 1024;
    options.totalMb = static_cast<float>(std::round(totalMb * 10) / 10);
    options.freeMb =
        static_cast<std::int32_t>(std::round(static_cast<double>(figures.freeBytes) / 1024 / 1024));
    const int percent = options.totalMb > 0
                            ? static_cast<int>(std::floor(options.freeMb / options.totalMb * 100))
                            : 0;
    options.freeMemoryText =
        std::to_string(options.freeMb) + " MB - " + std::to_string(percent) + "% Free";
    options.totalMemoryText =
        std::to_string(static_cast<long long>(std::floor(options.totalMb))) + " MB";
}

// Lines of settings.ini, in file order; a missing or unusable value leaves the default.
void readIniLines(LargeImageOptions& options, const std::vector<std::string>& lines) {
    auto line = [&](std::size_t index) {
        return index < lines.size() ? trimBlanks(lines[index]) : std::string();
    };
    if (isNumber(line(0)))
        options.ramMb = line(0);
    if (!line(1).empty())
        options.diskGb = line(1);
    if (lines.size() > 2)
        options.primaryScratchDrive = line(2);
    if (lines.size() > 3)
        options.secondaryScratchDrive = line(3);
    if (!line(4).empty())
        options.pieceSize = line(4);
    if (auto colour = colourValue(line(5)))
        options.background = Rgb::fromValue(*colour);
    // The piece format names the extension of every piece file: anything else is not taken.
    if (auto format = parsePictureFormat(line(6)))
        options.pieceFormat = *format;
}

}  // namespace

std::string defaultMemoryChoice(float totalMb) {
    const double half = std::floor(totalMb) / 2;
    std::string choice = kMemoryChoices.front();
    for (const std::string& candidate : kMemoryChoices) {
        if (std::stod(candidate) < half)
            choice = candidate;
    }
    return choice;
}

std::string defaultDiskChoice(double freeGb) {
    if (freeGb <= 2)
        return "1";
    if (freeGb <= 3)
        return "2";
    if (freeGb <= 5)
        return "3";
    if (freeGb <= 10)
        return "4";
    if (freeGb > 100)
        return "100";
    // 10 < G <= 100: the step of ten below G.
    return std::to_string(static_cast<int>(std::ceil(freeGb / 10) - 1) * 10);
}

std::string gigabytesText(std::uint64_t bytes) {
    const std::uint64_t hundredths =
        bytes / (1ull << 30) * 100 + bytes % (1ull << 30) * 100 / (1ull << 30);
    std::string text = std::to_string(hundredths / 100);
    const unsigned fraction = static_cast<unsigned>(hundredths % 100);
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            text += static_cast<char>('0' + fraction % 10);
    }
    return text;
}

double optionNumber(const std::string& text) {
    const std::string value = trimBlanks(text);
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    return end == value.c_str() ? 0 : number;
}

void loadOptions(LargeImageOptions& options, const std::optional<std::vector<std::string>>& ini) {
    // Values that were not applied are lost: start from the defaults again.
    LargeImageOptions fresh;
    fresh.primaryDrives = std::move(options.primaryDrives);
    fresh.secondaryDrives = std::move(options.secondaryDrives);
    fresh.environment = std::move(options.environment);
    options = std::move(fresh);
    if (options.primaryDrives.empty() && options.environment.fixedDisks) {
        options.primaryDrives = options.secondaryDrives = options.environment.fixedDisks();
    }
    readMemoryFigures(options);
    options.ramMb = defaultMemoryChoice(options.totalMb);
    if (ini)
        readIniLines(options, *ini);
    ramChanged(options);
    if (!options.primaryScratchDrive.empty())
        options.primaryFreeText = freeSpaceText(options, options.primaryScratchDrive);
    if (!options.secondaryScratchDrive.empty())
        options.secondaryFreeText = freeSpaceText(options, options.secondaryScratchDrive);
    options.diskGb = defaultDiskChoice(optionNumber(options.primaryFreeText));
    options.loaded = true;
}

LargeImageOptions& ensureLoaded(LargeImageOptions& options) {
    if (!options.loaded)
        loadOptions(options);
    return options;
}

void ramChanged(LargeImageOptions& options) {
    if (optionNumber(options.ramMb) >= options.freeMb)
        options.ramMb = defaultMemoryChoice(options.totalMb);
}

void diskChanged(LargeImageOptions& options) {
    const double freeGb = optionNumber(options.primaryFreeText);
    if (!(freeGb > 1 && freeGb < optionNumber(options.diskGb)))
        return;
    for (auto it = kDiskChoices.rbegin(); it != kDiskChoices.rend(); ++it) {
        if (std::stod(*it) <= freeGb) {
            options.diskGb = *it;
            return;
        }
    }
}

void primaryDriveChanged(LargeImageOptions& options) {
    options.primaryFreeText = options.primaryScratchDrive.empty()
                                  ? ""
                                  : freeSpaceText(options, options.primaryScratchDrive);
    options.diskGb = defaultDiskChoice(optionNumber(options.primaryFreeText));
}

void secondaryDriveChanged(LargeImageOptions& options) {
    options.secondaryFreeText = options.secondaryScratchDrive.empty()
                                    ? ""
                                    : freeSpaceText(options, options.secondaryScratchDrive);
}

std::vector<std::string> settingsIniLines(const LargeImageOptions& options) {
    return {options.ramMb,
            options.diskGb,
            options.primaryScratchDrive,
            options.secondaryScratchDrive,
            options.pieceSize,
            std::to_string(options.background.value()),
            formatName(options.pieceFormat)};
}

LargeImageSettings largeImageSettings(LargeImageOptions& options) {
    const LargeImageOptions& loaded = ensureLoaded(options);
    LargeImageSettings settings;
    settings.ramLimitMb = static_cast<int>(optionNumber(loaded.ramMb));
    settings.diskLimitGb = static_cast<int>(optionNumber(loaded.diskGb));
    settings.pieceFormat = loaded.pieceFormat;
    settings.background = loaded.background;
    return settings;
}

}  // namespace orvanta
