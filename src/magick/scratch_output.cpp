#include "magick/scratch_output.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "magick/commands.h"
#include "platform/run_error.h"
#include "platform/scratch_files.h"

namespace orvanta {
namespace {

bool exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

}  // namespace

std::size_t numberSlot(const std::vector<std::string>& args) {
    if (args.empty() || std::find(args.begin(), args.end(), "-crop") == args.end())
        return std::string::npos;
    return args.back().rfind("%d");
}

ScratchOutput::ScratchOutput(const std::vector<std::string>& argv) : arguments_(argv) {
    if (arguments_.size() < 2)
        return;
    std::string& output = arguments_.back();
    // An explicit format ("rgba:", "png:") names no file; a drive letter ("C:") does.
    const std::size_t colon = output.find(':');
    const bool formatPrefix = colon != std::string::npos && colon > 1 &&
                              std::all_of(output.begin(), output.begin() + colon,
                                          [](unsigned char c) { return std::isalnum(c); });
    const std::string format = formatPrefix ? output.substr(0, colon + 1) : std::string();
    const std::string path = output.substr(format.size());
    const std::size_t separator = path.find_last_of('/');
    folder_.emplace(separator == std::string::npos
                        ? std::string(".")
                        : path.substr(0, std::max<std::size_t>(separator, 1)));
    const std::size_t slot = numberSlot(argv);
    numbered_ = slot != std::string::npos;
    if (!numbered_) {
        finalPrefix_ = path;
        scratchPrefix_ = folder_->path() + "/" + path.substr(separator + 1);
        output = format + scratchPrefix_;
        return;
    }
    finalPrefix_ = path.substr(0, slot - format.size());
    finalSuffix_ = path.substr(slot - format.size() + 2);
    // The scratch names keep only the number and the suffix, so no "%" of the name is read as
    // a pattern.
    scratchPrefix_ = folder_->path() + "/";
    output = format + commandFileName(scratchPrefix_) + "%d" + commandFileName(finalSuffix_);
}

int ScratchOutput::scratchFiles() {
    if (scratchFiles_ < 0) {
        scratchFiles_ = 0;
        while (exists(scratchFile(scratchFiles_)))
            ++scratchFiles_;
    }
    return scratchFiles_;
}

std::string ScratchOutput::scratchFile(int number) const {
    return scratchPrefix_ + std::to_string(number) + finalSuffix_;
}

std::string ScratchOutput::finalFile(int number) const {
    return finalPrefix_ + std::to_string(number) + finalSuffix_;
}

void ScratchOutput::commit() {
    if (arguments_.size() < 2)
        return;
    if (!numbered_) {
        commitScratch(scratchPrefix_, finalPrefix_);
        return;
    }
    if (scratchFiles() == 0) {
        throw RunError(errors::PathFileAccess,
                       "Path/File access error: " + finalFile(0) + " was not written");
    }
    for (int number = 0; number < scratchFiles(); ++number)
        commitScratch(scratchFile(number), finalFile(number));
}

}  // namespace orvanta
