#include "app/batch.h"

#include <algorithm>
#include <filesystem>

#include "app/app_state.h"
#include "app/error_policy.h"
#include "app/input_checks.h"
#include "app/paths.h"
#include "app/tile_run.h"
#include "kml/fragments.h"
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
    run.root = s.outputFolder.empty()
                   ? folder
                   : joinPath(s.outputFolder, std::filesystem::path(folder).filename().string());
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

void MultipleDirectories(AppState& app, bool kmlOnly) {
    ProjectSettings& s = app.settings;
    // The folder scans move the KML folder to each folder they check; the top file still
    // belongs in the output folder chosen before the batch.
    const std::string outputFolder = s.kmlFolder;
    RunErrorPolicy policy(app);
    LatLonBounds batchBounds;
    const std::vector<std::string> folders = s.batchFolders;
    std::vector<std::string> roots;
    for (std::size_t i = 0; i < folders.size(); ++i)
        roots.push_back(batchFolderRun(app, i, kmlOnly).root);
    if (const std::string clash = sharedRoot(roots); !clash.empty()) {
        app.host().messageBox("Two folders of the batch would write their tiles into " + clash +
                                  ". Rename one of them, or choose no output folder.",
                              kAppTitle);
        app.outcome.note(Ending::Failed);
        return;
    }
    bool complete = true;
    for (std::size_t i = 0; i < folders.size() && complete; ++i) {
        const bool goOn = policy.run([&] {
            app.batchIndex = static_cast<int>(i);
            complete = scanTilesFolder(app, folders[i]) &&
                       runTiles(app, batchFolderRun(app, i, kmlOnly)).has_value();
        });
        if (!goOn || !complete)
            break;
        if (i == 0) {
            batchBounds = app.folderBounds;
        } else {
            IncludeTile(batchBounds, app.folderBounds);
        }
        app.host().progress(static_cast<int>(i) + 1, static_cast<int>(folders.size()));
    }
    s.kmlFolder = outputFolder;
    if (policy.ended() || !complete) {
        app.outcome.note(Ending::Failed);
        return;
    }
    const std::string topKmlPath = joinPath(s.kmlFolder, s.projectName + ".kml");
    policy.run([&] {
        writeFileAtomically(topKmlPath,
                            batchTopKmlText(s.projectName, batchBounds, s.drawOrder, roots,
                                            s.relativeLinks ? s.kmlFolder : std::string()));
        app.outcome.topKmlFiles.push_back(topKmlPath);
        app.setStatus("Project files was written successfully...");
        app.doEvents();
    });
    if (!policy.ended() && s.openWhenDone)
        openInGoogleEarth(app, topKmlPath);
    policy.finish();
}

}  // namespace orvanta
