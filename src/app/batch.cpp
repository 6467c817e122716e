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
#include "kml/web_text.h"
#include "platform/path_names.h"
#include "platform/text_file.h"

namespace orvanta {

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
