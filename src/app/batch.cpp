#include "app/batch.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <variant>

#include "app/app_state.h"
#include "app/batch_shards.h"
#include "app/error_policy.h"
#include "app/input_checks.h"
#include "app/paths.h"
#include "app/tile_run.h"
#include "kml/fragments.h"
#include "kml/web_text.h"
#include "platform/path_names.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

// The run of folder `index` of the batch: its tiles and the KML file that the top file links.
TileRun batchFolderRun(const AppState& app, std::size_t index, bool kmlOnly) {
    const ProjectSettings& s = app.settings;
    const std::string& folder = s.batchFolders[index];
    TileRun run;
    run.sizeClass = app.run.sizeClass;
    run.sources = folder;
    run.root = batchFolderRoot(s, folder);
    run.rootFile = joinPath(run.root, s.projectName + std::to_string(index) + ".kml");
    run.imageName = s.imageName;
    run.leftOut = app.run.imagesLeftOut;
    run.order = s.drawOrder;
    run.kmlOnly = kmlOnly;
    return run;
}

// A tile root that two folders of the batch share; empty when each has its own.
std::string sharedRoot(std::vector<std::string> roots) {
    std::sort(roots.begin(), roots.end());
    const auto twice = std::adjacent_find(roots.begin(), roots.end());
    return twice == roots.end() ? std::string() : *twice;
}

// The shard file of a batch run on a shard, and what it records so far.
struct ShardLog {
    std::string path;
    ShardRecord record;
};

// Runs the folders of the batch that the shard holds (all of them without a shard), adding
// each one's bounds to `bounds`. A shard records each folder finished without a failed step in
// its file at once. False when a folder ended the batch.
bool runFolders(AppState& app, RunErrorPolicy& policy, bool kmlOnly, std::optional<ShardLog>& log,
                std::vector<LatLonBounds>& bounds) {
    const std::vector<std::string> folders = app.settings.batchFolders;
    const BatchShard shard = app.shard.value_or(BatchShard{});
    int total = 0, done = 0;
    for (std::size_t i = 0; i < folders.size(); ++i)
        total += shard.holds(i) ? 1 : 0;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (!shard.holds(i))
            continue;
        const int skippedBefore = policy.skippedSteps() + app.outcome.skippedSteps;
        bool complete = true;
        const bool goOn = policy.run([&] {
            app.batchIndex = static_cast<int>(i);
            complete = scanTilesFolder(app, folders[i]) &&
                       runTiles(app, batchFolderRun(app, i, kmlOnly)).has_value();
        });
        if (!goOn || !complete)
            return false;
        bounds.push_back(app.folderBounds);
        if (log && skippedBefore == policy.skippedSteps() + app.outcome.skippedSteps) {
            log->record.finished[i] = app.folderBounds;
            if (!policy.run([&] { writeFileAtomically(log->path, shardFileText(log->record)); }))
                return false;
        }
        app.host().progress(++done, total);
    }
    return true;
}

// Writes the top file over all folders of the batch, and starts Google Earth on it when asked.
void writeTopFile(AppState& app, RunErrorPolicy& policy, const LatLonBounds& bounds,
                  const std::vector<std::string>& roots, const std::string& linksFrom) {
    const ProjectSettings& s = app.settings;
    const std::string topKmlPath = joinPath(s.kmlFolder, s.projectName + ".kml");
    policy.run([&] {
        writeFileAtomically(topKmlPath,
                            batchTopKmlText(s.projectName, bounds, s.drawOrder, roots, linksFrom));
        app.outcome.topKmlFiles.push_back(topKmlPath);
        app.setStatus("Project files was written successfully...");
        app.doEvents();
    });
    if (!policy.ended() && s.openWhenDone)
        openInGoogleEarth(app, topKmlPath);
}

}  // namespace

std::string topKmlText(const std::string& projectName, const LatLonBounds& bounds,
                       DisplayOrder order,
                       const std::vector<std::pair<std::string, std::string>>& links) {
    KmlWriter out;
    writeHeader(out, true);
    writeRootDocument(out, projectName, bounds, order);
    for (const auto& [name, href] : links) {
        out.line("<NetworkLink>");
        out.line("    <name>", xmlText(name), "</name>");
        out.line("    <Link>");
        out.line("        <href>", xmlText(hrefPath(href)), "</href>");
        out.line("        <viewRefreshMode>onRegion</viewRefreshMode>");
        out.line("    </Link>");
        out.line("</NetworkLink>");
    }
    writeFooter(out);
    return out.text();
}

std::string batchTopKmlText(const std::string& projectName, const LatLonBounds& bounds,
                            DisplayOrder order, const std::vector<std::string>& folders,
                            const std::string& linksFrom) {
    std::vector<std::pair<std::string, std::string>> links;
    for (std::size_t j = 0; j < folders.size(); ++j) {
        const std::string name = projectName + std::to_string(j);
        const std::string folder =
            linksFrom.empty() ? slashForm(folders[j]) : relativeLink(folders[j], linksFrom);
        links.push_back({name, folder + "/" + name + ".kml"});
    }
    return topKmlText(projectName, bounds, order, links);
}

void MultipleDirectories(AppState& app, bool kmlOnly) {
    ProjectSettings& s = app.settings;
    // The folder scans move the KML folder to each folder they check; the top file still
    // belongs in the output folder chosen before the batch.
    const std::string outputFolder = s.kmlFolder;
    RunErrorPolicy policy(app);
    std::vector<std::string> roots;
    for (std::size_t i = 0; i < s.batchFolders.size(); ++i)
        roots.push_back(batchFolderRun(app, i, kmlOnly).root);
    if (const std::string clash = sharedRoot(roots); !clash.empty()) {
        app.host().messageBox("Two folders of the batch would write their tiles into " + clash +
                                  ". Rename one of them, or choose no output folder.",
                              kAppTitle);
        app.outcome.note(Ending::Failed);
        return;
    }
    const std::string linksFrom = s.relativeLinks ? s.kmlFolder : std::string();
    std::optional<ShardLog> log;
    if (app.shard) {
        log = ShardLog{
            joinPath(s.kmlFolder, shardFileName(s.projectName, *app.shard)),
            ShardRecord{
                s.projectName, s.drawOrder, linksFrom, *app.shard, s.batchFolders, roots, {}}};
        // A shard run again starts from nothing finished; its file is written again as each
        // of its folders is finished.
        std::error_code ignored;
        std::filesystem::remove(log->path, ignored);
    }
    std::vector<LatLonBounds> bounds;
    const bool complete = runFolders(app, policy, kmlOnly, log, bounds);
    s.kmlFolder = outputFolder;
    if (policy.ended() || !complete) {
        app.outcome.note(Ending::Failed);
        return;
    }
    if (!log)
        writeTopFile(app, policy, batchBounds(bounds), roots, linksFrom);
    policy.finish();
}

Outcome MergeBatchShards(Host& host, const std::string& kmlFolder, const std::string& name) {
    Outcome outcome;
    const auto fail = [&](const std::string& message) {
        host.messageBox(message, kAppTitle);
        outcome.note(Ending::Failed);
        return outcome;
    };
    try {
        const auto merged = mergeShardFiles(kmlFolder, name, [&host] { host.doEvents(); });
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
