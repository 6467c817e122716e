#include "app/batch.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <variant>

#include "app/app_state.h"
#include "app/batch_shards.h"
#include "app/job_run.h"
#include "app/transform.h"
#include "kml/fragments.h"
#include "platform/path_names.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

// The shard files of the batch NAME in the folder, by file name.
std::vector<FoundShard> findShards(const std::string& kmlFolder, const std::string& name) {
    namespace fs = std::filesystem;
    std::vector<FoundShard> shards;
    std::error_code error;
    for (fs::directory_iterator entry(kmlFolder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string file = entry->path().filename().string();
        if (!file.starts_with(name + ".shard-") || !file.ends_with(".txt"))
            continue;
        const std::string path = joinPath(kmlFolder, file);
        const std::optional<ShardRecord> record = parseShardFile(readTextLines(path, 10000000));
        if (!record)
            throw RunError(errors::TypeMismatch, path + " is not a shard file of a batch");
        if (record->name == name)  // else the shard of a batch whose name starts the same
            shards.push_back({path, *record});
    }
    if (error)
        throw RunError(errors::PathNotFound, "Path not found: " + kmlFolder);
    if (shards.empty()) {
        throw RunError(errors::FileNotFound, "There are no shard files of " + name + " in " +
                                                 kmlFolder + " (" + name + ".shard-I-of-N.txt)");
    }
    std::sort(shards.begin(), shards.end(),
              [](const FoundShard& a, const FoundShard& b) { return a.file < b.file; });
    return shards;
}

}  // namespace

std::string batchTopKmlText(const std::string& projectName, const LatLonBounds& bounds,
                            DisplayOrder order, const std::vector<std::string>& folders,
                            const std::string& linksFrom) {
    KmlWriter out;
    writeHeader(out, true);
    writeRootDocument(out, projectName, bounds, order);
    for (std::size_t j = 0; j < folders.size(); ++j) {
        const std::string name = projectName + std::to_string(j);
        out.line("<NetworkLink>");
        out.line("    <name>", xmlText(name), "</name>");
        out.line("    <Link>");
        const std::string folder =
            linksFrom.empty() ? slashForm(folders[j]) : relativeLink(folders[j], linksFrom);
        out.line("        <href>", xmlText(folder + "/" + name + ".kml"), "</href>");
        out.line("        <viewRefreshMode>onRegion</viewRefreshMode>");
        out.line("    </Link>");
        out.line("</NetworkLink>");
    }
    writeFooter(out);
    return out.text();
}

Outcome MultipleDirectories(AppState& app, bool kmlOnly) {
    JobSettings settings = jobSettings(app, kmlOnly);
    settings.project.multiResolution = false;
    settings.project.projectImage.clear();
    settings.project.multipleFolders = true;
    return performJob(settings, {app.host(), app.settings.googleEarthProgram});
}

Outcome MergeBatchShards(Host& host, const std::string& kmlFolder, const std::string& name) {
    Outcome outcome;
    const auto fail = [&](const std::string& message) {
        host.messageBox(message, kAppTitle);
        outcome.note(Ending::Failed);
        return outcome;
    };
    try {
        const auto merged = mergeShards(findShards(kmlFolder, name));
        if (const std::string* message = std::get_if<std::string>(&merged))
            return fail(*message + "\nNo top file was written.");
        const MergedBatch& m = std::get<MergedBatch>(merged);
        const std::string topKmlPath = joinPath(kmlFolder, name + ".kml");
        writeFileAtomically(topKmlPath, batchTopKmlText(name, m.bounds, m.batch.order,
                                                        m.batch.roots, m.batch.linksFrom));
        outcome.topKmlFiles.push_back(topKmlPath);
        host.statusChanged("Project files was written successfully...");
    } catch (const RunError& error) {
        return fail(std::to_string(error.number()) + " " + error.description());
    }
    return outcome;
}

}  // namespace orvanta
