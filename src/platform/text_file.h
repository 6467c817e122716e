#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orvanta {

// Splits text into lines at CR LF, LF or a lone CR; a last line without an end counts too.
std::vector<std::string> splitLines(const std::string& text);

// Reads a text file's lines (see splitLines), at most `maxLines` of them. Throws RunError 53
// when the file does not exist and 75 when it cannot be read.
std::vector<std::string> readTextLines(const std::string& path,
                                       std::size_t maxLines = static_cast<std::size_t>(-1));

// The size a text file someone hands over may have; a bigger one is damaged, not read whole.
struct TextLimits {
    std::size_t fileBytes;
    std::size_t lineBytes;
};

// What makes lines break the limits ("line 3 is longer than 64 KB", "it is larger than 1 MB",
// lines counted from 0), or nothing. Writers check what they write with it, so that their
// readers take it back.
std::optional<std::string> textBeyondLimits(const std::vector<std::string>& lines,
                                            TextLimits limits);

// Reads a text file's lines (see splitLines) within the limits: the lines, or what the file
// breaks (as textBeyondLimits says it) once it does, before reading further. `pause` runs
// between reads and while the file has nothing to give, so an endless or silent source (a pipe,
// a device) can be cancelled. Throws RunError 53 when the file does not exist and 75 when it
// cannot be read.
std::variant<std::vector<std::string>, std::string> readLimitedTextLines(
    const std::string& path, TextLimits limits, const std::function<void()>& pause);

// Joins lines, each ended by CR LF.
std::string joinCrLf(const std::vector<std::string>& lines);

// Writes the file whole or not at all: the text goes to a scratch file beside it that then
// replaces it. Throws RunError 76 when the folder does not exist and 75 when it cannot be written.
void writeFileAtomically(const std::string& path, const std::string& content);

}  // namespace orvanta
