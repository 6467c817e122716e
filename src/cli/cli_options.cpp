#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>

#include "app/project_settings.h"
#include "app/user_settings.h"
#include "cli/option_table.h"
#include "kml/web_text.h"
#include "platform/run_error.h"

namespace orvanta::cli {
namespace {

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

// The coordinate system a code names, as WKT.
std::string coordinateSystem(const std::string& option, const std::string& code) {
    try {
        return coordinateSystemFromCode(code);
    } catch (const RunError&) {
        throw UsageError{option + " takes a coordinate system such as EPSG:32633, not '" + code +
                         "'"};
    }
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
        case Command::Merge:
            need(0, "no inputs: merge reads the shard files in --kml-folder");
            if (!options.kmlFolder)
                throw UsageError{"merge needs --kml-folder, the folder of the shard files"};
            break;
        case Command::Help:
        case Command::Version:
        case Command::Completion:
            break;
    }
    if (options.shard && options.command != Command::Batch)
        throw UsageError{"--shard goes only with batch"};
    if (options.shard && options.kmz)
        throw UsageError{"--kmz packs the whole batch; pack it after the merge, not per shard"};
}

// Sets what one option asks for; `value` takes the argument after it.
void readOption(CliOptions& options, const std::string& option,
                const std::function<const std::string&()>& value) {
    if (option == "--name")
        options.name = value();
    else if (option == "--format")
        options.format = parsePictureFormat(oneOf(option, value(), {"JPG", "PNG", "GIF", "TIF"}));
    else if (option == "--quality") {
        const std::string& text = value();
        options.quality = jpegQualityOf(text);
        if (!options.quality)
            throw UsageError{"--quality takes a whole number from 1 to 100, not '" + text + "'"};
    } else if (option == "--order")
        options.order = displayOrderOf(oneOf(option, value(), {"HIGH", "LOW"}));
    else if (option == "--url") {
        options.url = value();
        if (!isWebServerUrl(*options.url))
            throw UsageError{"--url takes an http, https, ftp or file URL, not '" + *options.url +
                             "'"};
    } else if (option == "--transparent")
        options.transparent = rgb(option, value());
    else if (option == "--kml-folder")
        options.kmlFolder = value();
    else if (option == "--open")
        options.open = true;
    else if (option == "--resume")
        options.resume = true;
    else if (option == "--relative-links")
        options.relativeLinks = true;
    else if (option == "--preview")
        options.preview = true;
    else if (option == "--skip-empty-tiles")
        options.skipEmptyTiles = true;
    else if (option == "--exact-edges")
        options.exactEdges = true;
    else if (option == "--kmz")
        options.kmz = value();
    else if (option == "--output")
        options.output = value();
    else if (option == "--google-earth")
        options.googleEarth = value();
    else if (option == "--yes")
        options.answer = true;
    else if (option == "--no")
        options.answer = false;
    else if (option == "--save-project")
        options.saveProject = value();
    else if (option == "--jobs")
        options.jobs = wholeNumber(option, value(), 1);
    else if (option == "--engine")
        options.engine = parsePixelEngine(oneOf(option, value(), {"VIPS", "MAGICK"}));
    else if (option == "--ram")
        options.ramMegabytes = wholeNumber(option, value(), 1);
    else if (option == "--disk")
        options.diskGigabytes = wholeNumber(option, value(), 1);
    else if (option == "--piece-format")
        options.pieceFormat =
            parsePictureFormat(oneOf(option, value(), {"JPG", "PNG", "GIF", "TIF"}));
    else if (option == "--background")
        options.background = rgb(option, value());
    else if (option == "--reproject")
        options.reproject = true;
    else if (option == "--resampling")
        options.resampling =
            parseResampling(oneOf(option, value(), {"NEAR", "BILINEAR", "CUBIC", "LANCZOS"}));
    else if (option == "--source-srs")
        options.sourceSystem = coordinateSystem(option, value());
    else if (option == "--shard") {
        const std::string& text = value();
        options.shard = parseBatchShard(text);
        if (!options.shard)
            throw UsageError{"--shard takes I/N, shard I (from 0 to N-1) of N, not '" + text + "'"};
    } else if (option == "--quiet")
        options.verbosity = Verbosity::Quiet;
    else if (option == "--verbose")
        options.verbosity = Verbosity::Verbose;
    else if (option == "--batch")
        options.regenerateInput = RegenerateInput::Batch;
    else if (option == "--multires")
        options.regenerateInput = RegenerateInput::Multires;
    else if (option == "--project")
        options.regenerateInput = RegenerateInput::Project;
}

}  // namespace

int jobsLimit(unsigned cores) {
    return std::clamp(4 * static_cast<int>(std::min(cores, 1024u)), 4, kMaxJobs);
}

CliOptions parseArguments(const std::vector<std::string>& args) {
    CliOptions options;
    if (args.empty())
        throw UsageError{"no command given"};
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help")
        return options;
    if (first == "--version" || first == "--bash-completion") {
        options.command = first == "--version" ? Command::Version : Command::Completion;
        return options;
    }
    const std::optional<Command> command = namedCommand(first);
    if (!command)
        throw UsageError{"unknown command '" + first + "'"};
    options.command = *command;

    bool onlyInputs = false;  // after "--" every argument is an input, even one starting with "-"
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyInputs || arg.empty() || arg[0] != '-' || arg == "-") {
            options.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyInputs = true;
            continue;
        }
        const OptionRow* row = findOption(arg);
        if (!row)
            throw UsageError{"unknown option '" + arg + "'"};
        if (!commandReads(*row, options.command))
            throw UsageError{first + " does not take " + arg};
        const std::string option = row->name;  // the long name, also for "-q"
        if (option == "--help") {
            options.helpFor = options.command;
            options.command = Command::Help;
            return options;
        }
        readOption(options, option, [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError{arg + " needs a value"};
            return args[++i];
        });
    }
    if (options.kmz && options.url)
        throw UsageError{"--kmz packs files that link each other; it cannot go with --url"};
    checkInputs(options);
    return options;
}

}  // namespace orvanta::cli
