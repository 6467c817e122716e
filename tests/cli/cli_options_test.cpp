#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

namespace orvanta::cli {
namespace {

using Args = std::vector<std::string>;

// Values are taken in any letter case and turned into their types.
TEST(CliArguments, CommandsTakeTheirInputsAndTypedOptions) {
    const CliOptions transform =
        parseArguments({"transform", "/d/tiles", "--format", "png", "--quality", "63", "--order",
                        "high", "--transparent", "255,0,128", "--open", "--yes", "--jobs", "3"});
    EXPECT_EQ(transform.command, Command::Transform);
    EXPECT_EQ(transform.inputs, Args{"/d/tiles"});
    EXPECT_EQ(transform.format, PictureFormat::Png);
    EXPECT_EQ(transform.quality, 63);
    EXPECT_EQ(transform.order, DisplayOrder::High);
    EXPECT_EQ(transform.transparent, (Rgb{255, 0, 128}));
    EXPECT_TRUE(transform.open && *transform.answer);
    EXPECT_EQ(transform.jobs, 3);

    const CliOptions regenerate = parseArguments({"regenerate", "--multires", "hi.jpg", "lo.jpg"});
    EXPECT_EQ(regenerate.regenerateInput, RegenerateInput::Multires);
    EXPECT_EQ(regenerate.inputs, (Args{"hi.jpg", "lo.jpg"}));
    EXPECT_EQ(parseArguments({"transform", "a", "--url", "HTTPS://h/t"}).url, "HTTPS://h/t");
    // Steps at once: four per core, at least four, at most what the window offers.
    EXPECT_EQ(jobsLimit(0), 4);
    EXPECT_EQ(jobsLimit(2), 8);
    EXPECT_EQ(jobsLimit(1000000), 64);
    const CliOptions large = parseArguments({"large", "big.jpg", "--ram", "2048", "--no"});
    EXPECT_EQ(large.ramMegabytes, 2048);
    EXPECT_FALSE(*large.answer || large.open);
}

TEST(CliArguments, MistakesAreUsageErrors) {
    for (const char* line :
         {"", "frobnicate", "transform", "transform a b", "multires hi.jpg", "batch",
          "transform a --format BMP", "transform a --quality 101",
          "transform a --transparent 255,0", "transform a --transparent 256,0,0",
          "transform a --jobs 0", "transform a --name", "transform a --batch",
          "regenerate --project", "batch a --shard 2/2", "transform a --shard 0/2",
          "batch a --shard 0/2 --kmz a.kmz", "merge", "merge a --kml-folder d"}) {
        std::istringstream words(line);
        const Args args{std::istream_iterator<std::string>(words), {}};
        EXPECT_THROW(parseArguments(args), UsageError) << line;
    }
    for (const char* url : {"javascript:alert(1)", "data:text/html,x", "/no/scheme"})
        EXPECT_THROW(parseArguments({"transform", "a", "--url", url}), UsageError) << url;
}

}  // namespace
}  // namespace orvanta::cli
