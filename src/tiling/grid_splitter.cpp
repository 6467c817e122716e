#include "tiling/grid_splitter.h"

#include <filesystem>
#include <functional>
#include <optional>

#include "app/error_policy.h"
#include "imagery/world_file.h"
#include "kml/kml_tree.h"
#include "options/large_image_options.h"
#include "platform/file_list.h"
#include "tiling/split_plans.h"

namespace orvanta {
namespace {

constexpr const char* kBuildingStatus = "Building Files... ";

struct SourceImage {
    std::string path;
    std::string name;
};

std::vector<SourceImage> folderImages(const std::string& folder) {
    std::vector<SourceImage> images;
    for (const std::string& entry : listFiles(folder, kImagePattern)) {
        images.push_back({joinPath(folder, entry), imageBaseName(entry)});
    }
    return images;
}

// The images of a run: the project image alone, or every image of the folder.
std::vector<SourceImage> runImages(const AppState& app, bool single, const std::string& folder) {
    if (single)
        return {{app.settings.Projectimage, app.settings.imagename}};
    return folderImages(folder);
}

// A setting's number as the image tool takes it: "100", "75"; 0 for a text without one.
std::string numberText(const std::string& text) {
    const double value = optionNumber(text);
    if (value == static_cast<long long>(value))
        return std::to_string(static_cast<long long>(value));
    return std::to_string(value);
}

TileSwitches switchesOf(AppState& app, bool edge) {
    TileSwitches switches;
    switches.format = app.settings.Combo2;
    switches.quality = numberText(app.settings.Combo5);
    switches.transparent = app.settings.Check4 == 1;
    switches.colour = app.settings.Label26;
    switches.fuzzy = edge;
    return switches;
}

// An empty root would put the tiles at the top of the file system.
bool haveRoot(AppState& app, const std::string& root) {
    if (!root.empty())
        return true;
    app.host().messageBox("There is no folder to write the tiles into.", kAppTitle);
    return false;
}

// Makes the folders and markers of the start. A tree that cannot be made ends the operation
// at its first failure with one clear message, before any picture work.
bool runStart(AppState& app, const TilePlan& plan, const ConvertRunner& convert,
              const std::string& root) {
    for (const TileOp& op : plan.ops()) {
        try {
            performTileOp(op, convert);
        } catch (...) {
            const RunError error = toRunError(std::current_exception());
            app.host().messageBox(
                "The tiles cannot be written into the folder " + root + ". " + error.description(),
                kAppTitle);
            return false;
        }
    }
    return true;
}

// Plans every image, then runs the steps of all of them as one plan, so that the workers go on
// to the next image while the last steps of one still run. `saved` switches are restored after
// each image is planned, so an edge image changes them for itself only. Progress counts whole
// images; the run can be cancelled after every step.
bool tileImages(AppState& app, RunErrorPolicy& policy, const std::vector<SourceImage>& images,
                const std::function<TilePlan(const SourceImage&)>& planFor,
                const ConvertRunner& convert, const std::optional<TransparencyState>& saved,
                bool onlyFirst, const ExecutorLimits& limits) {
    const std::size_t total = onlyFirst ? std::min<std::size_t>(1, images.size()) : images.size();
    TilePlan all;
    std::vector<std::size_t> imageEnds;  // the number of steps up to the end of each image
    for (std::size_t image = 0; image < total; ++image) {
        all.append(planFor(images[image]));
        if (saved)
            restoreTransparencyState(app.settings, *saved);
        imageEnds.push_back(all.ops().size());
    }
    std::size_t reported = 0;
    auto afterStep = [&](std::size_t step) {
        app.doEvents();
        const bool ended = policy.ended();
        while (reported < total && (imageEnds[reported] <= step + 1 || ended)) {
            app.host().progress(static_cast<int>(++reported), static_cast<int>(total));
            if (ended)
                break;
        }
    };
    return executePlan(all, policy, convert, limits, afterStep);
}

void setGroupForms(RunState& run, const std::string& s1, const std::string& s2) {
    run.Sgroup1Path = s1;
    run.Sgroup2Path = s2;
    run.Sgroup1Slash = slashForm(s1);
    run.Sgroup2Slash = slashForm(s2);
}

// The 1024 stage: the images of a 1024 run, or the 1024 pieces a 4096 run left in Tgroup1.
bool split1024Run(AppState& app, RunErrorPolicy& policy, const ConvertRunner& convert,
                  bool piecesOf4096) {
    ProjectSettings& settings = app.settings;
    RunState& run = app.run;
    if (settings.Check4 == 1)
        settings.Combo2 = "PNG";
    const TileSet tiles{piecesOf4096 ? run.Root4096 : run.Root1024};
    if (!haveRoot(app, tiles.root))
        return false;
    const std::string s1 = tiles.sgroup1();
    const std::string s2 = piecesOf4096 ? tiles.sgroup2() : s1;
    const bool single = !piecesOf4096 && run.SingleImageMode;
    app.setStatus(kBuildingStatus);
    const TilePlan start =
        piecesOf4096 ? start1024PiecesPlan(tiles) : start1024Plan(tiles, single, settings.Combo2);
    if (!runStart(app, start, convert, tiles.root))
        return false;
    const auto images =
        piecesOf4096 ? folderImages(tiles.tgroup1()) : runImages(app, single, tiles.root);
    setGroupForms(run, s1, s2);
    const TransparencyState saved = SaveTransparencyState(settings);
    auto planFor = [&](const SourceImage& image) {
        const bool edge = edgeCheck(app, image.name);
        return image1024Plan(image.path, image.name, s1, s2, switchesOf(app, edge));
    };
    return tileImages(app, policy, images, planFor, convert, saved, single, {app.jobs});
}

// Reports skipped steps, then writes the KML tree of `sizeClass` over the tiles.
bool finishRun(AppState& app, RunErrorPolicy& policy, SizeClass sizeClass) {
    const bool clean = policy.finish();
    MakeKml(app, sizeClass);
    return clean;
}

}  // namespace

TransparencyState SaveTransparencyState(const ProjectSettings& settings) {
    return {settings.Check4, settings.Label26, settings.Combo2};
}

void restoreTransparencyState(ProjectSettings& settings, const TransparencyState& saved) {
    settings.Check4 = saved.Check4;
    settings.Label26 = saved.Label26;
    settings.Combo2 = saved.Combo2;
}

bool edgeCheck(AppState& app, const std::string& name) {
    if (app.run.PaddedPieces != "1" || Searchlist(app.Transplist, name) == -1)
        return false;
    app.settings.Check4 = 1;
    app.settings.Label26 = colourText(ensureLoaded(app.options).Label8);
    // A JPEG tile cannot be transparent: the padding would show.
    app.settings.Combo2 = "PNG";
    app.doEvents();
    return true;
}

bool Split1024(AppState& app, const ConvertRunner& convert) {
    RunErrorPolicy policy(app);
    if (!split1024Run(app, policy, convert, app.run.sizeClass != SizeClass::S1024))
        return false;
    return finishRun(app, policy, app.run.sizeClass);
}

bool Split2048(AppState& app, const ConvertRunner& convert) {
    RunErrorPolicy policy(app);
    ProjectSettings& settings = app.settings;
    RunState& run = app.run;
    if (settings.Check4 == 1)
        settings.Combo2 = "PNG";
    const TileSet tiles{run.Root2048};
    if (!haveRoot(app, tiles.root))
        return false;
    app.setStatus(kBuildingStatus);
    if (!runStart(app, start2048Plan(tiles, run.SingleImageMode, settings.Combo2), convert,
                  tiles.root)) {
        return false;
    }
    run.Root1024 = tiles.tgroup1();
    run.Root1024Slash = slashForm(run.Root1024);
    setGroupForms(run, tiles.sgroup1(), tiles.sgroup2());
    const bool wholeImage = run.sizeClass == SizeClass::S2048;
    auto planFor = [&](const SourceImage& image) {
        return image2048Plan(image.path, image.name, tiles, wholeImage, switchesOf(app, false));
    };
    const auto images = runImages(app, run.SingleImageMode, tiles.root);
    if (!tileImages(app, policy, images, planFor, convert, std::nullopt, run.SingleImageMode,
                    {app.jobs})) {
        return false;
    }
    return finishRun(app, policy, SizeClass::S2048);
}

bool Split4096(AppState& app, const ConvertRunner& convert) {
    RunErrorPolicy policy(app);
    ProjectSettings& settings = app.settings;
    RunState& run = app.run;
    const bool single = settings.tilesdirr.empty() && !settings.projdir.empty() &&
                        !settings.imagename.empty() && !settings.Projectimage.empty();
    std::string nameMarker;
    if (single) {
        run.Root4096 = joinPath(settings.projdir, settings.imagename);
        nameMarker = joinPath(run.Root4096, settings.imagename + ".txt");
        std::error_code ignored;
        if (std::filesystem::exists(nameMarker, ignored))
            nameMarker.clear();
    }
    const TileSet tiles{run.Root4096};
    if (!haveRoot(app, tiles.root))
        return false;
    if (!runStart(app, start4096Plan(tiles, settings.Combo2, nameMarker), convert, tiles.root)) {
        return false;
    }
    run.Root1024 = tiles.tgroup1();
    run.Root2048 = tiles.tgroup2();
    run.Root1024Slash = slashForm(run.Root1024);
    run.Root2048Slash = slashForm(run.Root2048);
    const TransparencyState saved = SaveTransparencyState(settings);
    auto planFor = [&](const SourceImage& image) {
        const bool edge = edgeCheck(app, image.name);
        if (settings.Check4 == 1)
            settings.Combo2 = "PNG";
        TileSwitches switches = switchesOf(app, edge);
        switches.memoryMb = numberText(ensureLoaded(app.options).Combo1);
        return image4096Plan(image.path, image.name, tiles, switches);
    };
    const auto images = runImages(app, single, tiles.root);
    // Each operation on a 4096 image may use the whole memory setting.
    const ExecutorLimits limits{app.jobs,
                                static_cast<int>(optionNumber(ensureLoaded(app.options).Combo1))};
    if (!tileImages(app, policy, images, planFor, convert, saved, single, limits))
        return false;
    if (!split1024Run(app, policy, convert, true))
        return false;
    return finishRun(app, policy, app.run.sizeClass);
}

}  // namespace orvanta
