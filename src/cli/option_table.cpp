#include "cli/option_table.h"

#include <algorithm>
#include <sstream>

namespace orvanta::cli {
namespace {

// The commands that read an option, spelled out in every row so that a row says all about it.
const std::vector<OptionRow> kOptions = {
    {"--batch", "", "", OptionGroup::Input, "regenerate", "the inputs are the folders of a batch"},
    {"--multires", "", "", OptionGroup::Input, "regenerate",
     "the inputs are a high and a low resolution image"},
    {"--project", "", "", OptionGroup::Input, "regenerate", "the input is a project file"},

    {"--output", "", "DIR", OptionGroup::Output, "transform large batch multires regenerate run",
     "write tiles, KML files and pieces under DIR (default: beside\n"
     "the input, which is otherwise only read)"},
    {"--name", "", "NAME", OptionGroup::Output,
     "transform large batch multires regenerate run merge",
     "project name; names the top KML file (default: Default)"},
    {"--format", "", "JPG|PNG|GIF|TIF", OptionGroup::Output,
     "transform large batch multires regenerate run", "tile format (default: JPG)"},
    {"--quality", "", "1-100", OptionGroup::Output, "transform large batch multires run",
     "JPEG quality of the tiles, from 1 to 100 (default: 100)"},
    {"--order", "", "HIGH|LOW", OptionGroup::Output,
     "transform large batch multires regenerate run",
     "display order of the imagery (default: LOW)"},
    {"--url", "", "URL", OptionGroup::Output, "transform large batch multires regenerate run",
     "host the tiles on a web server: links are built on URL\n(http, https, ftp or file)"},
    {"--transparent", "", "R,G,B", OptionGroup::Output,
     "transform large batch multires regenerate run",
     "make this colour transparent (tiles become PNG)"},
    {"--kml-folder", "", "DIR", OptionGroup::Output, "batch regenerate run merge",
     "folder of the top KML file of a batch"},
    {"--relative-links", "", "", OptionGroup::Output,
     "transform large batch multires regenerate run",
     "links relative to the KML file that holds them, so that the\n"
     "result can be moved or shared as a whole"},
    {"--kmz", "", "FILE.kmz", OptionGroup::Output, "transform large batch multires regenerate run",
     "also pack the result into one file (links become relative);\n"
     "an existing one is replaced only with --yes"},
    {"--skip-empty-tiles", "", "", OptionGroup::Output,
     "transform large batch multires regenerate run",
     "leave out the tiles of a large image's padded edges that hold\n"
     "nothing but padding"},
    {"--exact-edges", "", "", OptionGroup::Output, "transform large batch multires regenerate run",
     "put the edges of the imagery at the corners of its pixels, as\n"
     "GIS tools read a world file (default: from the centre of the\n"
     "upper-left pixel, the whole box half a pixel south-east)"},
    {"--preview", "", "", OptionGroup::Output, "transform large batch multires regenerate run",
     "also write NAME.html beside the top KML file: a map of the\n"
     "imagery that any browser opens from the disk, offline"},
    {"--save-project", "", "FILE.ovt", OptionGroup::Output,
     "transform large batch multires regenerate run",
     "save the project file after the job (an existing one is\n"
     "replaced only with --yes)"},

    {"--shard", "", "I/N", OptionGroup::Processing, "batch",
     "tile only the folders at positions I, I+N, I+2N ... (from 0)\n"
     "and record them for merge instead of writing the top file"},
    {"--jobs", "", "N", OptionGroup::Processing, "transform large batch multires run",
     "how many tiling steps run at once (default: one per core;\nat most four per core)"},
    {"--resume", "", "", OptionGroup::Processing, "transform large batch multires run",
     "keep the files an earlier run made from the same source and\n"
     "settings (after a run was stopped or killed); the rest is redone"},
    {"--engine", "", "vips|magick", OptionGroup::Processing, "transform large batch multires run",
     "pixel engine that slices and tiles: vips (default) decodes each\n"
     "image once and reads a large one in bands of 4096 lines;\n"
     "magick runs ImageMagick, one operation per file"},
    {"--reproject", "", "", OptionGroup::Processing, "transform large batch multires run",
     "warp images in another coordinate system (GeoTIFF tags, a .prj\n"
     "beside the world file, --source-srs) to WGS84 latitude/longitude\n"
     "and slice each as a large image, instead of refusing them"},
    {"--resampling", "", "near|bilinear|cubic|lanczos", OptionGroup::Processing,
     "transform large batch multires run", "how --reproject resamples (default: bilinear)"},
    {"--source-srs", "", "CODE", OptionGroup::Processing, "transform large batch multires run",
     "the images' coordinate system (EPSG:32633, a PROJ string, WKT),\n"
     "in place of the one they name"},

    {"--ram", "", "MB", OptionGroup::LargeImage, "transform large batch multires run",
     "memory the image library may use (a large image's slicing and\n"
     "every operation on a 4096 image)"},
    {"--disk", "", "GB", OptionGroup::LargeImage, "large run",
     "disk the image library may use for its cache"},
    {"--piece-format", "", "JPG|PNG|GIF|TIF", OptionGroup::LargeImage, "large run",
     "format of the 4096 pieces (default: JPG)"},
    {"--background", "", "R,G,B", OptionGroup::LargeImage, "large run",
     "colour that pads the short edge pieces"},

    {"--open", "", "", OptionGroup::GoogleEarth, "transform large batch multires regenerate run",
     "start Google Earth on the result when finished"},
    {"--google-earth", "", "PROGRAM", OptionGroup::GoogleEarth,
     "transform large batch multires regenerate run open", "the Google Earth program to start"},

    {"--yes", "", "", OptionGroup::General,
     "transform large batch multires regenerate run open info merge",
     "answer Yes to questions when not on a terminal"},
    {"--no", "", "", OptionGroup::General,
     "transform large batch multires regenerate run open info merge",
     "answer No to questions when not on a terminal (the default)"},
    {"--quiet", "-q", "", OptionGroup::General,
     "transform large batch multires regenerate run open info merge",
     "say only errors; the result's path is still printed"},
    {"--verbose", "-v", "", OptionGroup::General,
     "transform large batch multires regenerate run open info merge",
     "also say when each status text came"},
    {"--help", "-h", "", OptionGroup::General,
     "transform large batch multires regenerate run open info merge", "print this help and exit"},
};

const char* groupHeading(OptionGroup group) {
    switch (group) {
        case OptionGroup::Input:
            return "Input";
        case OptionGroup::Output:
            return "Output";
        case OptionGroup::Processing:
            return "Processing";
        case OptionGroup::LargeImage:
            return "Large image";
        case OptionGroup::GoogleEarth:
            return "Google Earth";
        case OptionGroup::General:
            return "General";
    }
    return "";
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> list;
    for (std::string word; in >> word;)
        list.push_back(word);
    return list;
}

std::string joined(const std::vector<std::string>& list) {
    std::string text;
    for (const std::string& item : list)
        text += (text.empty() ? "" : " ") + item;
    return text;
}

// The names of the options `command` reads, long and short.
std::vector<std::string> optionNames(Command command) {
    std::vector<std::string> names;
    for (const OptionRow& row : kOptions) {
        if (!commandReads(row, command))
            continue;
        names.emplace_back(row.name);
        if (*row.shortName)
            names.emplace_back(row.shortName);
    }
    return names;
}

}  // namespace

const std::vector<OptionRow>& optionTable() {
    return kOptions;
}

const std::vector<std::pair<std::string, Command>>& commandList() {
    static const std::vector<std::pair<std::string, Command>> list = {
        {"transform", Command::Transform},
        {"large", Command::Large},
        {"batch", Command::Batch},
        {"multires", Command::Multires},
        {"regenerate", Command::Regenerate},
        {"run", Command::Run},
        {"open", Command::Open},
        {"info", Command::Info},
        {"merge", Command::Merge}};
    return list;
}

std::string commandName(Command command) {
    for (const auto& [name, listed] : commandList()) {
        if (listed == command)
            return name;
    }
    return {};
}

std::optional<Command> namedCommand(const std::string& word) {
    for (const auto& [name, command] : commandList()) {
        if (name == word)
            return command;
    }
    return std::nullopt;
}

const OptionRow* findOption(const std::string& arg) {
    const auto found = std::find_if(kOptions.begin(), kOptions.end(), [&](const OptionRow& row) {
        return arg == row.name || arg == row.shortName;
    });
    return found == kOptions.end() || arg.empty() ? nullptr : &*found;
}

bool commandReads(const OptionRow& row, Command command) {
    const std::vector<std::string> readers = words(row.commands);
    return std::find(readers.begin(), readers.end(), commandName(command)) != readers.end();
}

std::string optionHelp(Command command) {
    constexpr std::size_t kColumn = 26;  // where the help of every option starts
    std::string text;
    for (const OptionGroup group :
         {OptionGroup::Input, OptionGroup::Output, OptionGroup::Processing, OptionGroup::LargeImage,
          OptionGroup::GoogleEarth, OptionGroup::General}) {
        std::string lines;
        for (const OptionRow& row : kOptions) {
            if (row.group != group || !commandReads(row, command))
                continue;
            std::string names = "  " + std::string(*row.shortName ? row.shortName : "") +
                                (*row.shortName ? ", " : "") + row.name + (*row.value ? " " : "") +
                                row.value;
            names += names.size() + 2 <= kColumn ? std::string(kColumn - names.size(), ' ') : "  ";
            std::string help = row.help;
            for (std::size_t at = help.find('\n'); at != std::string::npos;
                 at = help.find('\n', at + 1)) {
                help.insert(at + 1, kColumn, ' ');
            }
            lines += names + help + "\n";
        }
        if (!lines.empty())
            text += std::string(text.empty() ? "" : "\n") + groupHeading(group) + ":\n" + lines;
    }
    return text;
}

std::string bashCompletion() {
    std::vector<std::string> commands;
    for (const auto& [name, command] : commandList())
        commands.push_back(name);
    std::string script =
        "# bash completion for orvanta-cli\n"
        "_orvanta_cli() {\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
        "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
        "        COMPREPLY=($(compgen -W \"" +
        joined(commands) +
        " --help --version\" -- \"$cur\"))\n"
        "        return\n"
        "    fi\n"
        "    case $prev in\n";
    for (const OptionRow& row : kOptions) {
        const std::string value = row.value;
        if (value.find('|') == std::string::npos)
            continue;
        std::string choices = value;
        std::replace(choices.begin(), choices.end(), '|', ' ');
        script += std::string("        ") + row.name + ") COMPREPLY=($(compgen -W \"" + choices +
                  "\" -- \"$cur\")); return ;;\n";
    }
    script +=
        "    esac\n"
        "    [[ $cur == -* ]] || return\n"
        "    case ${COMP_WORDS[1]} in\n";
    for (const auto& [name, command] : commandList()) {
        script += "        " + name + ") COMPREPLY=($(compgen -W \"" +
                  joined(optionNames(command)) + "\" -- \"$cur\")) ;;\n";
    }
    return script +
           "    esac\n"
           "}\n"
           "complete -o default -F _orvanta_cli orvanta-cli\n";
}

}  // namespace orvanta::cli
