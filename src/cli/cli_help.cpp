#include <map>

#include "cli/cli_options.h"
#include "cli/option_table.h"

namespace orvanta::cli {
namespace {

constexpr const char* kOverview =
    "Usage: orvanta-cli COMMAND ARGUMENTS [OPTIONS]\n"
    "\n"
    "Turns georeferenced imagery in WGS84 latitude/longitude (each image with a world file such\n"
    "as NAME.jgw) into a pyramid of 256x256 tiles and a KML super-overlay for Google Earth.\n"
    "\n"
    "Commands:\n"
    "  transform IMAGE|FOLDER     one 1024, 2048 or 4096 pixel image, or a folder of such tiles\n"
    "  large IMAGE                an image of any size: cut into 4096 pieces, then tiled\n"
    "  batch FOLDER...            several tile folders under one top KML file\n"
    "             --shard I/N     only share I of N (for a scheduler), then merge\n"
    "  multires HIGH LOW          a high and a low resolution image of one area\n"
    "  regenerate IMAGE|FOLDER    rewrite the KML files over existing tiles\n"
    "             --batch FOLDER... | --multires HIGH LOW | --project PROJECT.ovt\n"
    "  run PROJECT.ovt            load a project file and transform it\n"
    "  open PROJECT.ovt           start Google Earth on a project's KML file\n"
    "  info IMAGE|FOLDER          header facts, size class, world file and bounds\n"
    "  merge --kml-folder DIR     the top KML file of a batch run as shards\n"
    "\n"
    "Options:\n"
    "  -h, --help                print this help, or with a command that command's options\n"
    "  --version                 print the version and exit\n"
    "  --bash-completion         print a bash completion script for orvanta-cli\n"
    "\n"
    "Run 'orvanta-cli COMMAND --help' for the options of a command.\n"
    "When the job ran to its end the top KML files it wrote are printed, one a line; messages\n"
    "and progress go to the error stream.\n"
    "Exit status: 0 done; 1 refused, declined at a question or failed (nothing is printed),\n"
    "or done but Google Earth did not start (the files are still printed); 2 wrong usage;\n"
    "130 cancelled.\n";

struct CommandHelp {
    const char* synopsis;
    const char* example;
};

const std::map<Command, CommandHelp>& commandHelp() {
    static const std::map<Command, CommandHelp> help = {
        {Command::Transform,
         {"orvanta-cli transform IMAGE|FOLDER [OPTIONS]\n\n"
          "Tiles one image of 1024, 2048 or 4096 pixels square, or every image of a folder of\n"
          "such tiles (all of one size), and writes the KML tree beside them.\n",
          "orvanta-cli transform ~/maps/tiles --name Area --open"}},
        {Command::Large,
         {"orvanta-cli large IMAGE [OPTIONS]\n\n"
          "Cuts an image of any size into 4096x4096 pieces with their world files, pads the short\n"
          "edge pieces, and tiles the pieces.\n",
          "orvanta-cli large ~/maps/ortho.jpg --ram 2048 --disk 20"}},
        {Command::Batch,
         {"orvanta-cli batch FOLDER... [--shard I/N] [OPTIONS]\n\n"
          "Tiles every folder and writes one top KML file that links the KML files of all of "
          "them.\n"
          "With --shard I/N it tiles only the folders at positions I, I+N, I+2N ... (counted\n"
          "from 0) and records them in NAME.shard-I-of-N.txt beside the top file; merge then\n"
          "writes the top file.\n",
          "orvanta-cli batch ~/maps/north ~/maps/south --name Region --kml-folder ~/maps"}},
        {Command::Merge,
         {"orvanta-cli merge --kml-folder DIR [--name NAME]\n\n"
          "Writes the top KML file NAME.kml of a batch that ran in shards (see 'orvanta-cli\n"
          "batch --help') from the shard files NAME.shard-I-of-N.txt in DIR, once every folder\n"
          "of the batch is finished in exactly one of them.\n",
          "orvanta-cli merge --kml-folder /shared/out --name Region"}},
        {Command::Multires,
         {"orvanta-cli multires HIGH LOW [OPTIONS]\n\n"
          "Tiles a high and a low resolution image of one area; the high one is shown over the\n"
          "low one.\n",
          "orvanta-cli multires ~/maps/city.jpg ~/maps/region.jpg --open"}},
        {Command::Regenerate,
         {"orvanta-cli regenerate IMAGE|FOLDER [OPTIONS]\n"
          "orvanta-cli regenerate --batch FOLDER... | --multires HIGH LOW | --project FILE.ovt\n\n"
          "Writes the KML files again over tiles that exist, without cutting tiles.\n",
          "orvanta-cli regenerate --project ~/maps/area.ovt --order HIGH"}},
        {Command::Run,
         {"orvanta-cli run PROJECT.ovt [OPTIONS]\n\nLoads a project file and transforms it.\n",
          "orvanta-cli run ~/maps/area.ovt"}},
        {Command::Open,
         {"orvanta-cli open PROJECT.ovt [OPTIONS]\n\n"
          "Starts Google Earth on the KML file of a transformed project.\n",
          "orvanta-cli open ~/maps/area.ovt --google-earth "
          "/opt/google/earth/pro/google-earth-pro"}},
        {Command::Info,
         {"orvanta-cli info IMAGE|FOLDER\n\n"
          "Prints the header facts, size class, world file and bounds of an image, or whether a\n"
          "folder of tiles can be used.\n",
          "orvanta-cli info ~/maps/tile_0.jpg"}},
    };
    return help;
}

}  // namespace

std::string usageText(std::optional<Command> command) {
    if (!command)
        return kOverview;
    const auto found = commandHelp().find(*command);
    if (found == commandHelp().end())
        return kOverview;
    const CommandHelp& help = found->second;
    return std::string("Usage: ") + help.synopsis + "\n" + optionHelp(*command) + "\nExample:\n  " +
           help.example + "\n";
}

std::string usageErrorText(const std::string& message, std::optional<Command> command) {
    const std::string name = command ? commandName(*command) : std::string();
    return "orvanta-cli: " + message + "\nTry 'orvanta-cli " + (name.empty() ? "" : name + " ") +
           "--help'.\n";
}

}  // namespace orvanta::cli
