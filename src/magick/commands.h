#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The only interface to the image library. Every pixel operation of the program is an argument
// vector of the library's command-line programs, run in-process.
namespace orvanta {

// Starts the image library once per process; later calls and calls from other threads wait
// for the first and then do nothing. The program's own resource policy lifts the system's caps
// on width, height, area, memory, map and disk, which would refuse large images. Every other
// function here starts the library itself, so calling this is only needed to start it early.
void startMagick();

// Run an argument vector in-process; argv[0] names the program ("convert", "composite",
// "identify") and is otherwise ignored. Only the first frame of an animation or a multi-page
// file is read. Convert makes pictures for viewers: right after its input (an argument that is
// not an option) the pixels go to sRGB and the profiles and orientation are dropped. They
// return the text the command produced for its caller (the "-format" text of identify), empty
// when there is none. An error of the library throws RunError(errors::ImageTool, the library's
// reason); warnings are not failures.
std::string runConvert(const std::vector<std::string>& argv);
std::string runComposite(const std::vector<std::string>& argv);
std::string runIdentify(const std::vector<std::string>& argv);

// `path` as a file name in an argument vector. The commands read '%' in a file name as the start
// of a pattern ("%d" for a frame number, "%[...]" for a property) and "%%" as one '%', so every
// '%' is doubled.
std::string commandFileName(const std::string& path);

// Decodes the image file `path` and keeps it in the library's memory under `key`, so that
// commands read it as "mpr:" followed by the key instead of decoding the file again; throws as
// a command reading the file would. `forgetDecoded` frees it.
void keepDecoded(const std::string& key, const std::string& path);
void forgetDecoded(const std::string& key);

// Limits how many threads the library uses for one operation (at least 1); the limit in force.
void setMagickThreads(int threads);
int magickThreads();

struct PixelSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool operator==(const PixelSize&) const = default;
};

// The pixel size of an image file read from its header only (the pixels are not decoded);
// nothing when the library cannot read the file. The first frame counts.
std::optional<PixelSize> pingImageSize(const std::string& path);

// True when the image file has an alpha channel (read from its header); false when it has
// none or cannot be read.
bool imageHasAlpha(const std::string& path);

// The library's version text, as it names itself.
std::string magickVersion();

}  // namespace orvanta
