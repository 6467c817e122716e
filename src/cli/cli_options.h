#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/batch_shards.h"
#include "geo/warp.h"
#include "kml/display_order.h"
#include "platform/colour.h"
#include "platform/console_host.h"
#include "platform/picture_format.h"
#include "platform/pixel_engine.h"

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
    Merge,
    Help,
    Version,
    Completion
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

    std::optional<std::string> name, url, kmlFolder, googleEarth, saveProject, kmz, output;
    std::optional<PictureFormat> format, pieceFormat;
    std::optional<int> quality;
    std::optional<DisplayOrder> order;
    std::optional<Rgb> transparent, background;
    std::optional<bool> answer;  // --yes / --no
    bool open = false;
    bool resume = false;
    bool relativeLinks = false;
    bool preview = false;
    bool skipEmptyTiles = false;
    bool exactEdges = false;
    std::optional<int> jobs, ramMegabytes, diskGigabytes;
    std::optional<PixelEngine> engine;
    std::optional<BatchShard> shard;  // batch --shard I/N
    // Images in another coordinate system are warped to WGS84 (--reproject), resampled so, from
    // the system named (WKT of --source-srs) instead of their own.
    bool reproject = false;
    std::optional<Resampling> resampling;
    std::optional<std::string> sourceSystem;
    Verbosity verbosity = Verbosity::Normal;
};

// The most tiling steps a run takes on at once on a machine with `cores` cores: four per core,
// at least four, at most what the window offers. More only use up memory and open files.
int jobsLimit(unsigned cores);

// Reads the arguments (without the program name). Throws UsageError on any mistake.
CliOptions parseArguments(const std::vector<std::string>& args);

struct UsageError {
    std::string message;
};

// The help text of the program, or of one command.
std::string usageText(std::optional<Command> command = std::nullopt);

// What a usage error prints: the mistake on one line, then where to read the help of the
// command the arguments name (of the program when they name none).
std::string usageErrorText(const std::string& message, std::optional<Command> command);

}  // namespace orvanta::cli
