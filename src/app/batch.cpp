#include "app/batch.h"

#include <algorithm>

#include "app/app_state.h"
#include "app/error_policy.h"
#include "app/google_earth.h"
#include "app/size_class_run.h"
#include "imagery/folder_scan.h"
#include "platform/os_services.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

constexpr const char* kKmlNamespace = "http://earth.google.com/kml/2.1";

std::string forwardSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

}  // namespace

LatLonBounds mergeBounds(const LatLonBounds& batch, const LatLonBounds& folder) {
    LatLonBounds merged = batch;
    if (folder.west.value() < merged.west.value())
        merged.west = folder.west;
    if (folder.south.value() < merged.south.value())
        merged.south = folder.south;
    if (folder.east.value() > merged.east.value())
        merged.east = folder.east;
    if (folder.north.value() > merged.north.value())
        merged.north = folder.north;
    return merged;
}

std::string batchTopKmlText(const std::string& projname, const LatLonBounds& bounds,
                            const std::string& order, const std::vector<std::string>& folders) {
    std::vector<std::string> lines = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
        std::string("<kml xmlns=\"") + kKmlNamespace + "\">",
        "<Document>",
        "    <name>" + projname + "</name>",
        "    <Region>",
        "        <LatLonAltBox>",
        "            <north>" + FormatCoord(bounds.north) + "</north>",
        "        <south>" + FormatCoord(bounds.south) + "</south>",
        "        <east>" + FormatCoord(bounds.east) + "</east>",
        "        <west>" + FormatCoord(bounds.west) + "</west>",
        "            <minAltitude>0.000000</minAltitude>",
        "            <maxAltitude>0.000000</maxAltitude>",
        "        </LatLonAltBox>",
        "        <Lod>",
        order == "HIGH" ? "            <minLodPixels>384</minLodPixels>"
                        : "       <minLodPixels>0</minLodPixels>",
        "            <maxLodPixels>-1</maxLodPixels>",
        "            <minFadeExtent>0</minFadeExtent>",
        "            <maxFadeExtent>0</maxFadeExtent>",
        "        </Lod>",
        "    </Region>",
    };
    for (std::size_t j = 0; j < folders.size(); ++j) {
        const std::string name = projname + std::to_string(j);
        lines.insert(lines.end(),
                     {"<NetworkLink>", "    <name>" + name + "</name>", "    <Link>",
                      "        <href>" + forwardSlashes(folders[j]) + "/" + name + ".kml</href>",
                      "        <viewRefreshMode>onRegion</viewRefreshMode>", "    </Link>",
                      "</NetworkLink>"});
    }
    lines.insert(lines.end(), {"</Document>", "</kml>"});
    return joinCrLf(lines);
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
        batchBounds = i == 0 ? app.folderBounds : mergeBounds(batchBounds, app.folderBounds);
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
