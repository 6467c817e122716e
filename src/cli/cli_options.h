#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvanta::cli {

enum class Command {
    Transform,
    Large,
    Batch,
    Multires,
    Regenerate,
    Run,
    Open,
    Info,
    Help,
    Version
};

// A red, green, blue triple as given on the command line ("255,0,255").
struct Rgb {
    int red = 0, green = 0, blue = 0;
    // The 24-bit colour value with red in the low byte.
    std::uint32_t value() const {
        return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
               static_cast<std::uint32_t>(blue) << 16;
    }
    bool operator==(const Rgb&) const = default;
};

// What regenerate works on.
enum class RegenerateInput { Path, Batch, Multires, Project };

// Everything one call of orvanta-cli asks for.
struct CliOptions {
    Command command = Command::Help;
    std::vector<std::string> inputs;  // images, folders or a project file
    RegenerateInput regenerateInput = RegenerateInput::Path;
    // The command whose help is asked for with "COMMAND --help".
    std::optional<Command> helpFor;

    std::optional<std::string> name, format, quality, order, url, kmlFolder, googleEarth,
        saveProject, pieceFormat;
    std::optional<Rgb> transparent, background;
    std::optional<bool> answer;  // --yes / --no
    bool open = false;
    std::optional<int> jobs, ramMegabytes, diskGigabytes;
};

// Reads the arguments (without the program name). Throws UsageError on any mistake.
CliOptions parseArguments(const std::vector<std::string>& args);

struct UsageError {
    std::string message;
};

// The help text of the program, or of one command.
std::string usageText(std::optional<Command> command = std::nullopt);

}  // namespace orvanta::cli
