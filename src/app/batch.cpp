#include "app/batch.h"

#include "app/app_state.h"
#include "app/error_policy.h"
#include "app/google_earth.h"
#include "app/paths.h"
#include "app/size_class_run.h"
#include "imagery/folder_scan.h"
#include "kml/fragments.h"
#include "platform/os_services.h"
#include "platform/text_file.h"

namespace orvanta {

std::string batchTopKmlText(const std::string& projname, const LatLonBounds& bounds,
                            const std::string& order, const std::vector<std::string>& folders) {
    KmlWriter out;
    writeHeader(out, true);
    writeRootDocument(out, projname, bounds, displayOrderOf(order));
    for (std::size_t j = 0; j < folders.size(); ++j) {
        const std::string name = projname + std::to_string(j);
        out.line("<NetworkLink>");
        out.line("    <name>", xmlText(name), "</name>");
        out.line("    <Link>");
        out.line("        <href>", xmlText(slashForm(folders[j]) + "/" + name + ".kml"),
                 "</href>");
        out.line("        <viewRefreshMode>onRegion</viewRefreshMode>");
        out.line("    </Link>");
        out.line("</NetworkLink>");
    }
    writeFooter(out);
    return out.text();
}

void MultipleDirectories(AppState& app) {
    ProjectSettings& s = app.settings;
    const int openWhenDone = s.Check3;
    // The folder scans move kmlpath to each folder they check; the top file still belongs in
    // the output folder chosen before the batch.
    const std::string outputFolder = s.kmlpath;
    RunErrorPolicy policy(app);
    LatLonBounds batchBounds;
    const std::vector<std::string> folders = s.List2;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const bool goOn = policy.run([&] {
            app.tilescount = std::to_string(i);
            s.Check3 = 0;
            getdirinfo(app, folders[i]);
            runSizeClass(app, {folders[i], folders[i]}, app.run.KmlOnlyMode);
        });
        if (!goOn)
            break;
        if (i == 0) {
            batchBounds = app.folderBounds;
        } else {
            IncludeTile(batchBounds, app.folderBounds);
        }
        app.host().progress(static_cast<int>(i) + 1, static_cast<int>(folders.size()));
    }
    s.Check3 = openWhenDone;
    s.kmlpath = outputFolder;
    if (policy.ended())
        return;
    app.run.TopKmlPath = s.kmlpath + kPathSeparator + s.projname + ".kml";
    policy.run([&] {
        writeFileAtomically(app.run.TopKmlPath,
                            batchTopKmlText(s.projname, batchBounds, s.Combo4, folders));
        app.setStatus("Project files was written successfully...");
        app.doEvents();
        if (s.Check3 == 1)
            StartGoogleEarth(app, app.run.TopKmlPath);
    });
    policy.finish();
}

}  // namespace orvanta
