#include <cstdio>
#include <string>
#include <vector>

#include "cli/info_command.h"

namespace {

constexpr const char* kUsage =
    "Usage: orvanta-cli COMMAND [ARGUMENTS] [OPTIONS]\n"
    "\n"
    "Turns georeferenced WGS84 imagery into a tile pyramid and a KML super-overlay.\n"
    "\n"
    "Options:\n"
    "  --help       show this help\n"
    "  --version    show the version\n";

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (args[0] == "--version") {
        std::printf("orvanta-cli %s\n", ORVANTA_VERSION);
        return 0;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args[0] == "info")
        return orvanta::runInfoCommand({args.begin() + 1, args.end()});
    std::fprintf(stderr, "orvanta-cli: unknown command '%s'\n\n%s", args[0].c_str(), kUsage);
    return 2;
}
