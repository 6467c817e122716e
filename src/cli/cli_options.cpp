#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>

namespace orvanta::cli {
namespace {

const std::map<std::string, Command>& commandNames() {
    static const std::map<std::string, Command> names = {{"transform", Command::Transform},
                                                         {"large", Command::Large},
                                                         {"batch", Command::Batch},
                                                         {"multires", Command::Multires},
                                                         {"regenerate", Command::Regenerate},
                                                         {"run", Command::Run},
                                                         {"open", Command::Open},
                                                         {"info", Command::Info}};
    return names;
}

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The value must be one of `choices` (compared in capitals); returns it in capitals.
std::string oneOf(const std::string& option, const std::string& value,
                  const std::vector<std::string>& choices) {
    const std::string upper = upperCase(value);
    if (std::find(choices.begin(), choices.end(), upper) != choices.end())
        return upper;
    std::string list;
    for (const std::string& choice : choices)
        list += (list.empty() ? "" : ", ") + choice;
    throw UsageError{option + " takes one of " + list + ", not '" + value + "'"};
}

int wholeNumber(const std::string& option, const std::string& value, int minimum) {
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || number < minimum || number > 1000000) {
        throw UsageError{option + " takes a whole number of at least " + std::to_string(minimum) +
                         ", not '" + value + "'"};
    }
    return static_cast<int>(number);
}

Rgb rgb(const std::string& option, const std::string& value) {
    std::array<int, 3> parts{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t comma = value.find(',', start);
        const bool last = i + 1 == parts.size();
        if (last != (comma == std::string::npos)) {
            throw UsageError{option + " takes R,G,B with three numbers from 0 to 255"};
        }
        const std::string part = value.substr(start, last ? std::string::npos : comma - start);
        const int number = wholeNumber(option, part, 0);
        if (number > 255)
            throw UsageError{option + " takes R,G,B with three numbers from 0 to 255"};
        parts[i] = number;
        start = comma + 1;
    }
    return {parts[0], parts[1], parts[2]};
}

// How many inputs each command takes: exact count, or at least one.
void checkInputs(const CliOptions& options) {
    const std::size_t count = options.inputs.size();
    auto need = [&](std::size_t wanted, const char* what) {
        if (count != wanted)
            throw UsageError{std::string("expected ") + what};
    };
    switch (options.command) {
        case Command::Transform:
        case Command::Info:
            need(1, "one image or folder");
            break;
        case Command::Large:
            need(1, "one image");
            break;
        case Command::Run:
        case Command::Open:
            need(1, "one project file");
            break;
        case Command::Multires:
            need(2, "a high and a low resolution image");
            break;
        case Command::Batch:
            if (count == 0)
                throw UsageError{"expected one or more folders"};
            break;
        case Command::Regenerate:
            switch (options.regenerateInput) {
                case RegenerateInput::Path:
                    need(1, "one image or folder");
                    break;
                case RegenerateInput::Project:
                    need(1, "one project file");
                    break;
                case RegenerateInput::Multires:
                    need(2, "a high and a low resolution image");
                    break;
                case RegenerateInput::Batch:
                    if (count == 0)
                        throw UsageError{"expected one or more folders"};
                    break;
            }
            break;
        case Command::Help:
        case Command::Version:
            break;
    }
}

}  // namespace

CliOptions parseArguments(const std::vector<std::string>& args) {
    CliOptions options;
    if (args.empty())
        throw UsageError{"no command given"};
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help")
        return options;
    if (first == "--version") {
        options.command = Command::Version;
        return options;
    }
    const auto found = commandNames().find(first);
    if (found == commandNames().end())
        throw UsageError{"unknown command '" + first + "'"};
    options.command = found->second;

    bool onlyInputs = false;  // after "--" every argument is an input, even one starting with "-"
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyInputs || arg.empty() || arg[0] != '-' || arg == "-") {
            options.inputs.push_back(arg);
            continue;
        }
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError{arg + " needs a value"};
            return args[++i];
        };
        if (arg == "--")
            onlyInputs = true;
        else if (arg == "--help" || arg == "-h") {
            options.helpFor = options.command;
            options.command = Command::Help;
            return options;
        } else if (arg == "--name")
            options.name = value();
        else if (arg == "--format")
            options.format = parsePictureFormat(oneOf(arg, value(), {"JPG", "PNG", "GIF", "TIF"}));
        else if (arg == "--quality")
            options.quality = std::stoi(oneOf(arg, value(), {"100", "90", "75"}));
        else if (arg == "--order")
            options.order = displayOrderOf(oneOf(arg, value(), {"HIGH", "LOW"}));
        else if (arg == "--url")
            options.url = value();
        else if (arg == "--transparent")
            options.transparent = rgb(arg, value());
        else if (arg == "--kml-folder")
            options.kmlFolder = value();
        else if (arg == "--open")
            options.open = true;
        else if (arg == "--resume")
            options.resume = true;
        else if (arg == "--relative-links")
            options.relativeLinks = true;
        else if (arg == "--skip-empty-tiles")
            options.skipEmptyTiles = true;
        else if (arg == "--kmz")
            options.kmz = value();
        else if (arg == "--output")
            options.output = value();
        else if (arg == "--google-earth")
            options.googleEarth = value();
        else if (arg == "--yes")
            options.answer = true;
        else if (arg == "--no")
            options.answer = false;
        else if (arg == "--save-project")
            options.saveProject = value();
        else if (arg == "--jobs")
            options.jobs = wholeNumber(arg, value(), 1);
        else if (arg == "--engine")
            options.engine = parsePixelEngine(oneOf(arg, value(), {"VIPS", "MAGICK"}));
        else if (arg == "--ram")
            options.ramMegabytes = wholeNumber(arg, value(), 1);
        else if (arg == "--disk")
            options.diskGigabytes = wholeNumber(arg, value(), 1);
        else if (arg == "--piece-format")
            options.pieceFormat =
                parsePictureFormat(oneOf(arg, value(), {"JPG", "PNG", "GIF", "TIF"}));
        else if (arg == "--background")
            options.background = rgb(arg, value());
        else if (options.command == Command::Regenerate && arg == "--batch")
            options.regenerateInput = RegenerateInput::Batch;
        else if (options.command == Command::Regenerate && arg == "--multires")
            options.regenerateInput = RegenerateInput::Multires;
        else if (options.command == Command::Regenerate && arg == "--project")
            options.regenerateInput = RegenerateInput::Project;
        else
            throw UsageError{"unknown option '" + arg + "'"};
    }
    if (options.kmz && options.url)
        throw UsageError{"--kmz packs files that link each other; it cannot go with --url"};
    checkInputs(options);
    return options;
}

}  // namespace orvanta::cli
