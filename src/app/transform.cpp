#include "app/transform.h"

#include <array>
#include <cstdlib>

#include "app/app_state.h"
#include "app/batch.h"
#include "app/error_policy.h"
#include "app/google_earth.h"
#include "app/paths.h"
#include "app/size_class_run.h"
#include "imagery/image_header.h"
#include "platform/file_lookup.h"
#include "platform/os_services.h"
#include "tiling/large_slicer.h"

namespace orvanta {
namespace {

// The two passes of a multi-resolution job: the first image of List1 as HIGH, the second as
// LOW, then Google Earth on both results, the high resolution first. Returns false when an
// image cannot be tiled (the project is closed then and nothing is started).
bool runMultiResolution(AppState& app, bool kmlOnly) {
    ProjectSettings& s = app.settings;
    app.run.SingleImageMode = true;
    const std::array<const char*, 2> orders = {"HIGH", "LOW"};
    std::vector<std::string> topKmlPaths;
    const std::vector<std::string> images = s.List1;
    for (std::size_t pass = 0; pass < orders.size() && pass < images.size(); ++pass) {
        s.Check3 = 0;
        s.Combo4 = orders[pass];
        s.Projectimage = images[pass];
        s.projdir = GetProjDir(s.Projectimage, s);
        if (!kmlOnly && GetImageInfo(app, s.Projectimage) == 1) {
            app.CloseProject();
            return false;
        }
        topKmlPaths.push_back(singleImageRoot(app) + ".kml");
        runSizeClass(app, {singleImageRoot(app), singleImageRoot(app)}, kmlOnly);
        app.doEvents();
    }
    for (const std::string& path : topKmlPaths)
        StartGoogleEarth(app, path);
    return true;
}

// The single image of the project, by its size class.
void runSingleImage(AppState& app, bool kmlOnly) {
    app.run.SingleImageMode = true;
    if (!kmlOnly && app.run.sizeClass == SizeClass::None && app.run.LargeImageMode) {
        app.settings.Largeimage = app.settings.Projectimage;
        // The pieces are a folder of 4096 images now; only a folder the scan accepted is
        // transformed, so a refused one cannot send the run round again.
        if (SliceLargeImage(app) && app.run.sizeClass == SizeClass::S4096)
            Transform(app);
        return;
    }
    runSizeClass(app, {std::nullopt, singleImageRoot(app)}, kmlOnly);
}

// The tiles folder of the project, by its size class.
void runFolder(AppState& app, bool kmlOnly) {
    app.run.SingleImageMode = false;
    runSizeClass(app, {std::nullopt, app.settings.tilesdirr}, kmlOnly);
}

// Runs the kind of job the project names; false when it did not return normally.
bool runJob(AppState& app, bool kmlOnly) {
    switch (chooseRun(app.settings)) {
        case RunKind::MultiResolution:
            return runMultiResolution(app, kmlOnly);
        case RunKind::SingleImage:
            runSingleImage(app, kmlOnly);
            break;
        case RunKind::Batch:
            app.run.SingleImageMode = false;
            MultipleDirectories(app);
            break;
        case RunKind::Folder:
            runFolder(app, kmlOnly);
            break;
    }
    return true;
}

}  // namespace

RunKind chooseRun(const ProjectSettings& settings) {
    if (settings.Check6 == 1)
        return RunKind::MultiResolution;
    if (!settings.Projectimage.empty())
        return RunKind::SingleImage;
    if (settings.Check2 == 1 && !settings.List2.empty())
        return RunKind::Batch;
    return RunKind::Folder;
}

void Transform(AppState& app) {
    app.run.KmlOnlyMode = false;
    app.setStatus("Process Started...");
    app.doEvents();
    RunErrorPolicy policy(app);
    bool normal = false;
    policy.run([&] { normal = runJob(app, false); });
    if (normal && !policy.ended()) {
        app.enabled.Command26 = true;
        app.enabled.Command30 = true;
    }
    policy.finish();
}

void ReGenerateKmlFiles(AppState& app) {
    app.run.KmlOnlyMode = true;
    RunErrorPolicy policy(app);
    policy.run([&] { runJob(app, true); });
    policy.finish();
}

std::string projectTopKmlPath(const AppState& app) {
    const ProjectSettings& s = app.settings;
    if (!s.Projectimage.empty() && !s.projdir.empty() && !s.imagename.empty() &&
        s.tilesdirr.empty()) {
        return singleImageRoot(app) + ".kml";
    }
    if (s.Check2 == 1) {
        const std::size_t index = static_cast<std::size_t>(std::atoi(app.tilescount.c_str()));
        if (index >= s.List2.size())
            return {};
        return s.List2[index] + kPathSeparator + s.projname + app.tilescount + ".kml";
    }
    return s.tilesdirr + kPathSeparator + s.projname + ".kml";
}

void LoadInGoogleEarth(AppState& app) {
    const std::string wanted = projectTopKmlPath(app);
    const std::string found = wanted.empty() ? std::string{} : findFileLoosely(wanted);
    if (found.empty()) {
        app.host().messageBox(kMissingProjectKmlMessage, kAppTitle);
        return;
    }
    RunErrorPolicy policy(app);
    policy.run([&] { StartGoogleEarth(app, found); });
    policy.finish();
}

}  // namespace orvanta
