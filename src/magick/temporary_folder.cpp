#include "magick/temporary_folder.h"

#include <wand/MagickWand.h>

#include <stdlib.h>

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

// Removes the temporary folders that this person's processes which no longer run left behind.
void removeStaleFolders(const std::filesystem::path& parent) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(parent, error), end; !error && entry != end;
         entry.increment(error)) {
        removeStaleScratchFolder(entry->path().string(), kFolderPrefix);
    }
}

}  // namespace

std::string useOwnTemporaryFolder() {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::temp_directory_path(error);
    if (error)
        return {};
    removeStaleFolders(parent);
    // A new folder open to its owner only: one of that name that someone else made is never
    // taken over.
    std::string folder =
        (parent / (kFolderPrefix + std::to_string(currentProcessId()) + "-XXXXXX")).string();
    if (mkdtemp(folder.data()) == nullptr)
        return {};
    ownFolder = folder;
    std::atexit(removeOwnFolder);
    std::unique_ptr<ExceptionInfo, ExceptionInfo* (*)(ExceptionInfo*)> exception(
        AcquireExceptionInfo(), DestroyExceptionInfo);
    SetImageRegistry(StringRegistryType, "temporary-path", ownFolder.c_str(), exception.get());
    return ownFolder;
}

}  // namespace orvanta
