#include <map>

#include "cli/cli_options.h"

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
    "  multires HIGH LOW          a high and a low resolution image of one area\n"
    "  regenerate IMAGE|FOLDER    rewrite the KML files over existing tiles\n"
    "             --batch FOLDER... | --multires HIGH LOW | --project PROJECT.ovt\n"
    "  run PROJECT.ovt            load a project file and transform it\n"
    "  open PROJECT.ovt           start Google Earth on a project's KML file\n"
    "  info IMAGE|FOLDER          header facts, size class, world file and bounds\n"
    "\n"
    "Run 'orvanta-cli COMMAND --help' for the options of a command.\n"
    "When the job ran to its end the top KML files it wrote are printed, one a line; messages\n"
    "and progress go to the error stream.\n"
    "Exit status: 0 done; 1 refused, declined at a question or failed (nothing is printed),\n"
    "or done but Google Earth did not start (the files are still printed); 2 wrong usage;\n"
    "130 cancelled.\n";

constexpr const char* kOutputOptions =
    "Output options:\n"
    "  --output DIR            write tiles, KML files and pieces under DIR (default: beside\n"
    "                          the input, which is otherwise only read)\n"
    "  --name NAME             project name; names the top KML file (default: Default)\n"
    "  --format JPG|PNG|GIF|TIF  tile format (default: JPG)\n"
    "  --quality 100|90|75     JPEG quality of the tiles (default: 100)\n"
    "  --order HIGH|LOW        display order of the imagery (default: LOW)\n"
    "  --url URL               host the tiles on a web server: links are built on URL\n"
    "  --transparent R,G,B     make this colour transparent (tiles become PNG)\n"
    "  --kml-folder DIR        folder of the top KML file of a batch\n"
    "  --relative-links        links relative to the KML file that holds them, so that the\n"
    "                          result can be moved or shared as a whole\n"
    "  --kmz FILE.kmz          also pack the result into one file (links become relative)\n"
    "  --skip-empty-tiles      leave out the tiles of a large image's padded edges that hold\n"
    "                          nothing but padding\n"
    "  --open                  start Google Earth on the result when finished\n"
    "  --google-earth PROGRAM  the Google Earth program to start\n"
    "  --yes | --no            answer questions when not on a terminal (default: no)\n"
    "  --save-project FILE.ovt save the project file after the job\n"
    "  --jobs N                how many tiling steps run at once (default: one per core)\n"
    "  --resume                keep the pictures of an earlier run that are complete and\n"
    "                          newer than their source (after a run was stopped or killed)\n"
    "  --engine vips|magick    pixel engine that slices and tiles: vips (default) decodes each\n"
    "                          image once and reads a large one in bands of 4096 lines;\n"
    "                          magick runs ImageMagick, one operation per file\n";

constexpr const char* kLargeOptions =
    "Large-image options:\n"
    "  --ram MB                memory the image library may use\n"
    "  --disk GB               disk the image library may use for its cache\n"
    "  --piece-format FMT      format of the 4096 pieces (default: JPG)\n"
    "  --background R,G,B      colour that pads the short edge pieces\n";

struct CommandHelp {
    const char* synopsis;
    const char* example;
    bool largeOptions;
};

const std::map<Command, CommandHelp>& commandHelp() {
    static const std::map<Command, CommandHelp> help = {
        {Command::Transform,
         {"orvanta-cli transform IMAGE|FOLDER [OPTIONS]\n\n"
          "Tiles one image of 1024, 2048 or 4096 pixels square, or every image of a folder of\n"
          "such tiles (all of one size), and writes the KML tree beside them.\n",
          "orvanta-cli transform ~/maps/tiles --name Area --open", false}},
        {Command::Large,
         {"orvanta-cli large IMAGE [OPTIONS]\n\n"
          "Cuts an image of any size into 4096x4096 pieces with their world files, pads the short\n"
          "edge pieces, and tiles the pieces.\n",
          "orvanta-cli large ~/maps/ortho.jpg --ram 2048 --disk 20", true}},
        {Command::Batch,
         {"orvanta-cli batch FOLDER... [OPTIONS]\n\n"
          "Tiles every folder and writes one top KML file that links the KML files of all of "
          "them.\n",
          "orvanta-cli batch ~/maps/north ~/maps/south --name Region --kml-folder ~/maps", false}},
        {Command::Multires,
         {"orvanta-cli multires HIGH LOW [OPTIONS]\n\n"
          "Tiles a high and a low resolution image of one area; the high one is shown over the\n"
          "low one.\n",
          "orvanta-cli multires ~/maps/city.jpg ~/maps/region.jpg --open", false}},
        {Command::Regenerate,
         {"orvanta-cli regenerate IMAGE|FOLDER [OPTIONS]\n"
          "orvanta-cli regenerate --batch FOLDER... | --multires HIGH LOW | --project FILE.ovt\n\n"
          "Writes the KML files again over tiles that exist, without cutting tiles.\n",
          "orvanta-cli regenerate --project ~/maps/area.ovt --order HIGH", false}},
        {Command::Run,
         {"orvanta-cli run PROJECT.ovt [OPTIONS]\n\nLoads a project file and transforms it.\n",
          "orvanta-cli run ~/maps/area.ovt", false}},
        {Command::Open,
         {"orvanta-cli open PROJECT.ovt [OPTIONS]\n\n"
          "Starts Google Earth on the KML file of a transformed project.\n",
          "orvanta-cli open ~/maps/area.ovt --google-earth /opt/google/earth/pro/google-earth-pro",
          false}},
        {Command::Info,
         {"orvanta-cli info IMAGE|FOLDER\n\n"
          "Prints the header facts, size class, world file and bounds of an image, or whether a\n"
          "folder of tiles can be used.\n",
          "orvanta-cli info ~/maps/tile_0.jpg", false}},
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
    std::string text = std::string("Usage: ") + help.synopsis + "\n";
    if (*command != Command::Info)
        text += kOutputOptions;
    if (help.largeOptions)
        text += std::string("\n") + kLargeOptions;
    return text + "\nExample:\n  " + help.example + "\n";
}

}  // namespace orvanta::cli
