#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/scratch_files.h"

namespace orvanta {

// The output of an image command, written into a scratch folder of this process beside its
// final files and renamed when the command has succeeded, so that a failed, cancelled or killed
// command never leaves a half-made or flat grey file under a real name, nor replaces a good one,
// and the library, which opens its files by name, never writes through a link someone planted.
//
// A command with "-crop" writes numbered files: the last "%d" of its output marks where the
// number goes (0, 1, 2… row by row); any other output is one file. Either way every other
// character of the name, "%" included, is taken literally.
// Where the number goes in the output (the last argument) of a command that writes numbered
// files; npos for a command that writes one file.
std::size_t numberSlot(const std::vector<std::string>& args);

class ScratchOutput {
  public:
    explicit ScratchOutput(const std::vector<std::string>& argv);
    // Removes the scratch files that were not renamed (with the scratch folder).
    ~ScratchOutput() = default;
    ScratchOutput(const ScratchOutput&) = delete;
    ScratchOutput& operator=(const ScratchOutput&) = delete;

    // The command's arguments with the output replaced by the scratch name, as the library
    // reads it: a numbered name with its other "%" doubled; one file's name as it stands, to be
    // read literally.
    const std::vector<std::string>& arguments() const { return arguments_; }
    bool numbered() const { return numbered_; }

    // Renames every scratch file the command wrote to its final name. Throws RunError 75 when a
    // rename fails, and when a numbered command wrote no file or one file its name.
    void commit();

  private:
    std::string scratchFile(int number) const;
    // How many numbered scratch files the command wrote, counted once it has ended.
    int scratchFiles();
    std::string finalFile(int number) const;

    std::vector<std::string> arguments_;
    bool numbered_ = false;
    // One file: the prefixes are its final and scratch names. Numbered files: prefix + number +
    // suffix.
    std::string finalPrefix_, finalSuffix_, scratchPrefix_;
    int scratchFiles_ = -1;
    std::optional<ScratchFolder> folder_;
};

}  // namespace orvanta
