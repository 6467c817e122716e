#include "tiling/grid_splitter.h"

#include <algorithm>
#include <functional>
#include <map>

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
    return settings;
}

// Tells the request of each image once all of its tilings are done: a 4096 image under the
// image tool is one tiling and then one per 1024 piece. An image with a failed step is not told.
class ImageCompletion {
  public:
    explicit ImageCompletion(const SplitRequest& request) : request_(request) {}

    void expect(const std::string& image, int tilings) { left_[image] += tilings; }
    void kept(const std::string& image) {
        if (request_.imageDone)
            request_.imageDone(image, true);
    }
    void tilingDone(const std::string& image, bool clean) {
        failed_[image] = failed_[image] || !clean;
        if (--left_[image] == 0 && !failed_[image] && request_.imageDone)
            request_.imageDone(image, false);
    }

  private:
    const SplitRequest& request_;
    std::map<std::string, int> left_;
    std::map<std::string, bool> failed_;
};

// One image of a stage and the image of the request it belongs to.
struct StageImage {
    ImageTiling tiling;
    std::string owner;
};

// Plans every image, then runs the steps of all of them as one plan, so that the workers go on
// to the next image while the last steps of one still run. Progress counts whole images; the
// run can be cancelled after every step.
bool tileWithMagick(Host& host, StepPolicy& policy, const std::vector<StageImage>& images,
                    const ConvertRunner& convert, const ExecutorSettings& limits,
                    ImageCompletion& completion) {
    const std::size_t total = images.size();
    TilePlan all;
    std::vector<std::size_t> imageEnds;  // the number of steps up to the end of each image
    for (const StageImage& image : images) {
        all.append(magickPlan(image.tiling));
        imageEnds.push_back(all.ops().size());
    }
    std::size_t reported = 0;
    int skippedBefore = policy.skippedSteps();
    bool clean = true;
    auto afterStep = [&](std::size_t step) {
        host.doEvents();
        clean = clean && policy.skippedSteps() == skippedBefore;
        const bool ended = policy.ended();
        while (reported < total && (imageEnds[reported] <= step + 1 || ended)) {
            if (!ended)
                completion.tilingDone(images[reported].owner, clean);
            clean = true;
            skippedBefore = policy.skippedSteps();
            host.progress(static_cast<int>(++reported), static_cast<int>(total));
            if (ended)
                break;
        }
    };
    return executePlan(all, policy, convert, limits, afterStep);
}

// Tiles one image after another with the pixel engine, each image one step.
bool tileWithVips(Host& host, StepPolicy& policy, const std::vector<StageImage>& images,
                  const ExecutorSettings& settings, ImageCompletion& completion) {
    const int total = static_cast<int>(images.size());
    for (int done = 0; done < total; ++done) {
        const int skippedBefore = policy.skippedSteps();
        const bool goOn = policy.run([&] { tileWithPixels(images[done].tiling, settings.jobs); });
        host.doEvents();
        if (goOn && !policy.ended())
            completion.tilingDone(images[done].owner, policy.skippedSteps() == skippedBefore);
        host.progress(done + 1, total);
        if (!goOn || policy.ended())
            return false;
    }
    return true;
}

bool tileImages(Host& host, StepPolicy& policy, const SplitRequest& request,
                const std::vector<StageImage>& images, const ConvertRunner& convert,
                const ExecutorSettings& limits, ImageCompletion& completion) {
    if (request.engine == PixelEngine::Vips)
        return tileWithVips(host, policy, images, limits, completion);
    return tileWithMagick(host, policy, images, convert, limits, completion);
}

// The background of the image when it is a padded edge piece.
std::optional<Rgb> paddedEdge(const SplitRequest& request, const std::string& name) {
    if (!request.edges || Searchlist(request.edges->names, name) == -1)
        return std::nullopt;
    return request.edges->background;
}

// The part of a padded edge piece that holds the image, when its empty tiles are skipped.
std::optional<ImageArea> imageArea(const SplitRequest& request, const std::string& name) {
    if (!request.skipEmptyTiles || !request.edges)
        return std::nullopt;
    const int index = Searchlist(request.edges->names, name);
    if (index < 0 || static_cast<std::size_t>(index) >= request.edges->areas.size())
        return std::nullopt;
    return request.edges->areas[index];
}

// The format of the tiles of an image that is not an edge piece: it names the tree's format.
PictureFormat treeFormat(const TileOptions& options) {
    return options.transparentColour ? PictureFormat::Png : options.format;
}

// The engine-neutral description of each image of `sources`, as the request's class cuts it
// (`sizeClass` 1024 for the pieces of a 4096 run). Edge pieces of a padded large image get
// their own switches unless the class is 2048.
std::vector<ImageTiling> imageTilings(const SplitRequest& request, SizeClass sizeClass,
                                      const std::vector<SourceImage>& sources) {
    const bool withEdges = request.sizeClass != SizeClass::S2048;
    auto switches = [&request, withEdges](const std::string& name) {
        return tileSwitches(request.tiles, withEdges ? paddedEdge(request, name) : std::nullopt,
                            request.memoryMb);
    };
    std::vector<ImageTiling> images;
    for (const SourceImage& source : sources) {
        images.push_back({sizeClass, source.path, source.name, TileSet{request.root},
                          request.sizeClass == SizeClass::S2048,
                          request.sizeClass == SizeClass::S4096, switches(source.name), switches,
                          withEdges ? imageArea(request, source.name) : std::nullopt,
                          request.keepExisting.contains(source.name), source.globe});
    }
    return images;
}

// The 1024 pieces of a 4096 image that hold any of the image: cut from it into Tgroup1, then
// tiled by the 1024 stage.
std::vector<SourceImage> piecesWithImage(const ImageTiling& image) {
    std::vector<SourceImage> pieces;
    for (const TileOutput& output : tileOutputs(image)) {
        if (output.piece && !inPadding(image, output))
            pieces.push_back({output.path, baseNameOf(output.path)});
    }
    return pieces;
}

// The images of the request that are still to be cut: those of which an earlier run left every
// file are told as kept and left out. With `pieceStage`, each 4096 image is done once its
// pieces are tiled too.
std::vector<StageImage> imagesToCut(const SplitRequest& request, ImageCompletion& completion,
                                    bool pieceStage) {
    std::vector<StageImage> images;
    for (ImageTiling& tiling : splitTilings(request)) {
        if (tiling.keepExisting && missingOutputs(tiling).empty()) {
            completion.kept(tiling.name);
            continue;
        }
        const std::size_t pieces = pieceStage ? piecesWithImage(tiling).size() : 0;
        completion.expect(tiling.name, 1 + static_cast<int>(pieces));
        const std::string owner = tiling.name;
        images.push_back({std::move(tiling), owner});
    }
    return images;
}

// The pieces that the 4096 images left in Tgroup1, as the 1024 stage cuts them.
std::vector<StageImage> piecesOf(const SplitRequest& request,
                                 const std::vector<StageImage>& images) {
    std::vector<StageImage> pieces;
    for (const StageImage& image : images) {
        for (ImageTiling& piece :
             imageTilings(request, SizeClass::S1024, piecesWithImage(image.tiling)))
            pieces.push_back({std::move(piece), image.owner});
    }
    return pieces;
}

bool split1024(Host& host, StepPolicy& policy, const SplitRequest& request,
               const ConvertRunner& convert) {
    const TileSet tiles{request.root};
    if (!haveRoot(host, tiles.root))
        return false;
    host.statusChanged(kBuildingStatus);
    if (!runStart(host,
                  start1024Plan(tiles, request.singleImage, formatName(treeFormat(request.tiles))),
                  convert, tiles.root)) {
        return false;
    }
    ImageCompletion completion(request);
    return tileImages(host, policy, request, imagesToCut(request, completion, false), convert,
                      executorSettings(request), completion);
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
    ImageCompletion completion(request);
    return tileImages(host, policy, request, imagesToCut(request, completion, false), convert,
                      executorSettings(request), completion);
}

// Cuts the large image of the request into its pieces (the request's images) and tiles them as
// they come, each piece one step under the policy. Progress counts pieces; the run can be
// cancelled after each strip of rows read.
bool cutAndTilePieces(Host& host, StepPolicy& policy, const SplitRequest& request) {
    const PiecesToCut& cut = *request.cut;
    const std::vector<ImageTiling> pieces = splitTilings(request);
    const int total = static_cast<int>(pieces.size());
    const auto done = [&](int k, std::exception_ptr error) {
        if (error)
            policy.run([&] { std::rethrow_exception(error); });
        else if (request.imageDone)
            request.imageDone(pieces.at(k).name, false);
        host.progress(k + 1, total);
    };
    struct PolicyEnded {};
    try {
        cutPiecesWithPixels(cut, pieces, request.jobs, done, [&] {
            host.doEvents();
            if (policy.ended())
                throw PolicyEnded{};
        });
    } catch (const PolicyEnded&) {
        return false;
    } catch (const RunCancelled&) {
        throw;
    } catch (...) {
        // A source that cannot be read to its end: the pieces not yet cut fail with it.
        const std::exception_ptr error = std::current_exception();
        policy.run([&] { std::rethrow_exception(error); });
    }
    for (const ImageTiling& piece : pieces) {
        if (!policy.run([&] { cutAtGlobe(piece); }) || policy.ended())
            return false;
    }
    return !policy.ended();
}

// The 4096 stage, then the 1024 stage of its pieces. The vips engine tiles the pieces with
// their image, so their folders are made first.
bool split4096(Host& host, StepPolicy& policy, const SplitRequest& request,
               const ConvertRunner& convert) {
    const TileSet tiles{request.root};
    if (!haveRoot(host, tiles.root))
        return false;
    const std::string format = formatName(treeFormat(request.tiles));
    if (!runStart(host, start4096Plan(tiles, format, request.nameMarker), convert, tiles.root))
        return false;
    const bool vips = request.engine == PixelEngine::Vips;
    const auto startPieces = [&] {
        host.statusChanged(kBuildingStatus);
        return runStart(host, start1024PiecesPlan(tiles), convert, tiles.root);
    };
    if (vips && !startPieces())
        return false;
    if (request.cut)
        return cutAndTilePieces(host, policy, request);
    ImageCompletion completion(request);
    const std::vector<StageImage> images = imagesToCut(request, completion, !vips);
    // Each operation on a 4096 image may use the whole memory setting.
    ExecutorSettings settings = executorSettings(request);
    settings.memoryBudgetMb = request.memoryMb;
    if (!tileImages(host, policy, request, images, convert, settings, completion))
        return false;
    return vips || (startPieces() && tileImages(host, policy, request, piecesOf(request, images),
                                                convert, executorSettings(request), completion));
}

}  // namespace

std::vector<ImageTiling> splitTilings(const SplitRequest& request) {
    return imageTilings(request, request.sizeClass, request.images);
}

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
    switches.quality = options.quality;
    switches.memoryMb = memoryMb;
    if (paddedEdge) {
        // A JPEG tile cannot be transparent: the padding would show.
        switches.format = PictureFormat::Png;
        switches.transparent = true;
        switches.colour = *paddedEdge;
        switches.fuzzy = true;
        return switches;
    }
    switches.format = treeFormat(options);
    switches.transparent = options.transparentColour.has_value();
    switches.colour = options.transparentColour.value_or(Rgb{});
    return switches;
}

bool splitImages(Host& host, StepPolicy& policy, const SplitRequest& request,
                 const ConvertRunner& convert) {
    bool split = false;
    switch (request.sizeClass) {
        case SizeClass::S1024:
            split = split1024(host, policy, request, convert);
            break;
        case SizeClass::S2048:
            split = split2048(host, policy, request, convert);
            break;
        case SizeClass::S4096:
            split = split4096(host, policy, request, convert);
            break;
        case SizeClass::None:
            break;
    }
    // Pieces cut as they are read were cut at the globe with their tiles.
    if (!split || request.cut)
        return split;
    for (const ImageTiling& image : imageTilings(request, request.sizeClass, request.images)) {
        if (!policy.run([&] { cutAtGlobe(image); }) || policy.ended())
            return false;
    }
    return true;
}

}  // namespace orvanta
