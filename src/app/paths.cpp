#include "app/paths.h"

#include <algorithm>
#include <filesystem>

#include "imagery/piece_world_files.h"

#include "platform/os_services.h"
#include "platform/run_error.h"

namespace orvanta {

std::string GetProjDir(const std::string& sFile, ProjectSettings& settings) {
    const std::size_t slash = sFile.rfind(kPathSeparator);
    if (slash == std::string::npos)
        return {};
    std::string folder = sFile.substr(0, slash);
    settings.kmlFolder = folder;
    const std::size_t dot = sFile.rfind('.');
    if (dot == std::string::npos || dot < slash) {
        throw RunError(errors::InvalidArgument, "Invalid procedure call or argument");
    }
    settings.imageName = sFile.substr(slash + 1, dot - slash - 1);
    return folder;
}

void addkmlpath(const std::string& sFile, ProjectSettings& settings) {
    const std::size_t slash = sFile.rfind(kPathSeparator);
    if (slash == std::string::npos)
        return;
    if (settings.multiResolution) {
        settings.multiResolutionFolders.push_back(sFile.substr(0, slash));
    } else {
        settings.multiResolutionFolders.clear();
    }
}

std::string outputBase(const ProjectSettings& settings, const std::string& inputFolder) {
    return settings.outputFolder.empty() ? inputFolder : settings.outputFolder;
}

std::string batchFolderRoot(const ProjectSettings& settings, const std::string& folder) {
    return settings.outputFolder.empty()
               ? folder
               : joinPath(settings.outputFolder, std::filesystem::path(folder).filename().string());
}

std::string madeWorldFileFolder(const ProjectSettings& settings, const std::string& inputFolder) {
    const std::vector<std::string>& batch = settings.batchFolders;
    const bool batchFolder = settings.multipleFolders &&
                             std::find(batch.begin(), batch.end(), inputFolder) != batch.end();
    return batchFolder ? batchFolderRoot(settings, inputFolder) : outputBase(settings, inputFolder);
}

std::string singleImageTopFile(const ProjectSettings& settings, const std::string& root) {
    return settings.nameGiven ? joinPath(folderOf(root), settings.projectName + ".kml")
                              : root + ".kml";
}

std::string largePieceFolder(const ProjectSettings& settings) {
    return pieceFolder(outputBase(settings, settings.imageFolder), settings.imageName);
}

}  // namespace orvanta
