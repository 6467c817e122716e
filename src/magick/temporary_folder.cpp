#include "magick/temporary_folder.h"

#include <wand/MagickWand.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/scratch_files.h"

namespace orvanta {
namespace {

constexpr const char* kFolderPrefix = "orvanta-scratch-";

std::string ownFolder;

void removeOwnFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(ownFolder, ignored);
}

// Removes the temporary folders of processes that no longer run.
void removeStaleFolders(const std::filesystem::path& parent) {
    const std::string prefix = kFolderPrefix;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(parent, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code ignored;
        if (leftByEndedProcess(entry->path().filename().string(), prefix, '\0'))
            std::filesystem::remove_all(entry->path(), ignored);
    }
}

}  // namespace

std::string useOwnTemporaryFolder() {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::temp_directory_path(error);
    if (error)
        return {};
    removeStaleFolders(parent);
    const long pid = currentProcessId();
    const std::filesystem::path folder = parent / (kFolderPrefix + std::to_string(pid));
    if (!std::filesystem::create_directory(folder, error) && error)
        return {};
    ownFolder = folder.string();
    std::atexit(removeOwnFolder);
    std::unique_ptr<ExceptionInfo, ExceptionInfo* (*)(ExceptionInfo*)> exception(
        AcquireExceptionInfo(), DestroyExceptionInfo);
    SetImageRegistry(StringRegistryType, "temporary-path", ownFolder.c_str(), exception.get());
    return ownFolder;
}

}  // namespace orvanta
