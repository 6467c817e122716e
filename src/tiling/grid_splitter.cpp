#include "tiling/grid_splitter.h"

#include <algorithm>
#include <functional>

#include "imagery/world_file.h"
#include "platform/file_list.h"
#include "platform/run_error.h"

namespace orvanta {
namespace {

constexpr const char* kBuildingStatus = "Building Files... ";

// An empty root would put the tiles at the top of the file system.
bool haveRoot(Host& host, const std::string& root) {
    if (!root.empty())
        return true;
    host.messageBox("There is no folder to write the tiles into.", kAppTitle);
    return false;
}

// Makes the folders and markers of the start. A tree that cannot be made ends the operation
// at its first failure with one clear message, before any picture work.
bool runStart(Host& host, const TilePlan& plan, const ConvertRunner& convert,
              const std::string& root) {
    for (const TileOp& op : plan.ops()) {
        try {
            performTileOp(op, convert);
        } catch (...) {
            const RunError error = toRunError(std::current_exception());
            host.messageBox(
                "The tiles cannot be written into the folder " + root + ". " + error.description(),
                kAppTitle);
            return false;
        }
    }
    return true;
}

ExecutorSettings executorSettings(const SplitRequest& request) {
    ExecutorSettings settings;
    settings.jobs = request.jobs;
    settings.resume = request.resume;
    return settings;
}

// Plans every image, then runs the steps of all of them as one plan, so that the workers go on
// to the next image while the last steps of one still run. Progress counts whole images; the
// run can be cancelled after every step.
bool tileImages(Host& host, StepPolicy& policy, const std::vector<SourceImage>& images,
                const std::function<TilePlan(const SourceImage&)>& planFor,
                const ConvertRunner& convert, const ExecutorSettings& limits) {
    const std::size_t total = images.size();
    TilePlan all;
    std::vector<std::size_t> imageEnds;  // the number of steps up to the end of each image
    for (const SourceImage& image : images) {
        all.append(planFor(image));
        imageEnds.push_back(all.ops().size());
    }
    std::size_t reported = 0;
    auto afterStep = [&](std::size_t step) {
        host.doEvents();
        const bool ended = policy.ended();
        while (reported < total && (imageEnds[reported] <= step + 1 || ended)) {
            host.progress(static_cast<int>(++reported), static_cast<int>(total));
            if (ended)
                break;
        }
    };
    return executePlan(all, policy, convert, limits, afterStep);
}

// The background of the image when it is a padded edge piece.
std::optional<Rgb> paddedEdge(const SplitRequest& request, const std::string& name) {
    if (!request.edges || Searchlist(request.edges->names, name) == -1)
        return std::nullopt;
    return request.edges->background;
}

// The format of the tiles of an image that is not an edge piece: it names the tree's format.
PictureFormat treeFormat(const TileOptions& options) {
    return options.transparentColour ? PictureFormat::Png : options.format;
}

// The 1024 stage: the images of a 1024 run, or the 1024 pieces a 4096 run left in Tgroup1.
bool split1024(Host& host, StepPolicy& policy, const SplitRequest& request,
               const ConvertRunner& convert, bool piecesOf4096) {
    const TileSet tiles{request.root};
    if (!haveRoot(host, tiles.root))
        return false;
    const std::string s1 = tiles.sgroup1();
    const std::string s2 = piecesOf4096 ? tiles.sgroup2() : s1;
    host.statusChanged(kBuildingStatus);
    const TilePlan start = piecesOf4096 ? start1024PiecesPlan(tiles)
                                        : start1024Plan(tiles, request.singleImage,
                                                        formatName(treeFormat(request.tiles)));
    if (!runStart(host, start, convert, tiles.root))
        return false;
    const auto images = piecesOf4096 ? folderImages(tiles.tgroup1()) : request.images;
    auto planFor = [&](const SourceImage& image) {
        return image1024Plan(
            image.path, image.name, s1, s2,
            tileSwitches(request.tiles, paddedEdge(request, image.name), request.memoryMb));
    };
    return tileImages(host, policy, images, planFor, convert, executorSettings(request));
}

bool split2048(Host& host, StepPolicy& policy, const SplitRequest& request,
               const ConvertRunner& convert) {
    const TileSet tiles{request.root};
    if (!haveRoot(host, tiles.root))
        return false;
    host.statusChanged(kBuildingStatus);
    const std::string format = formatName(treeFormat(request.tiles));
    if (!runStart(host, start2048Plan(tiles, request.singleImage, format), convert, tiles.root))
        return false;
    const bool wholeImage = request.sizeClass == SizeClass::S2048;
    auto planFor = [&](const SourceImage& image) {
        return image2048Plan(image.path, image.name, tiles, wholeImage,
                             tileSwitches(request.tiles, std::nullopt, request.memoryMb));
    };
    return tileImages(host, policy, request.images, planFor, convert, executorSettings(request));
}

bool split4096(Host& host, StepPolicy& policy, const SplitRequest& request,
               const ConvertRunner& convert) {
    const TileSet tiles{request.root};
    if (!haveRoot(host, tiles.root))
        return false;
    const std::string format = formatName(treeFormat(request.tiles));
    if (!runStart(host, start4096Plan(tiles, format, request.nameMarker), convert, tiles.root))
        return false;
    auto planFor = [&](const SourceImage& image) {
        return image4096Plan(
            image.path, image.name, tiles,
            tileSwitches(request.tiles, paddedEdge(request, image.name), request.memoryMb));
    };
    // Each operation on a 4096 image may use the whole memory setting.
    ExecutorSettings settings = executorSettings(request);
    settings.memoryBudgetMb = request.memoryMb;
    if (!tileImages(host, policy, request.images, planFor, convert, settings))
        return false;
    return split1024(host, policy, request, convert, true);
}

}  // namespace

std::vector<SourceImage> folderImages(const std::string& folder,
                                      const std::vector<std::string>& leftOut) {
    std::vector<SourceImage> images;
    for (const std::string& entry : listFiles(folder, kImagePattern)) {
        if (std::find(leftOut.begin(), leftOut.end(), entry) == leftOut.end())
            images.push_back({joinPath(folder, entry), imageBaseName(entry)});
    }
    return images;
}

TileSwitches tileSwitches(const TileOptions& options, const std::optional<Rgb>& paddedEdge,
                          int memoryMb) {
    TileSwitches switches;
    switches.quality = std::to_string(options.quality);
    switches.memoryMb = std::to_string(memoryMb);
    if (paddedEdge) {
        // A JPEG tile cannot be transparent: the padding would show.
        switches.format = formatName(PictureFormat::Png);
        switches.transparent = true;
        switches.colour = paddedEdge->text();
        switches.fuzzy = true;
        return switches;
    }
    switches.format = formatName(treeFormat(options));
    switches.transparent = options.transparentColour.has_value();
    switches.colour = options.transparentColour ? options.transparentColour->text() : "";
    return switches;
}

bool splitImages(Host& host, StepPolicy& policy, const SplitRequest& request,
                 const ConvertRunner& convert) {
    switch (request.sizeClass) {
        case SizeClass::S1024:
            return split1024(host, policy, request, convert, false);
        case SizeClass::S2048:
            return split2048(host, policy, request, convert);
        case SizeClass::S4096:
            return split4096(host, policy, request, convert);
        case SizeClass::None:
            break;
    }
    return false;
}

}  // namespace orvanta
