#include "app/job_plan.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "app/paths.h"
#include "kml/kml_layout.h"
#include "platform/file_identity.h"
#include "platform/path_names.h"
#include "tiling/tile_manifest.h"
#include "tiling/warped_image.h"

namespace orvanta {
namespace {

// What one tile root is made of, before its requests are built.
struct RootInput {
    SizeClass sizeClass = SizeClass::None;
    std::string root;
    std::string rootFile;
    std::vector<PlacedImage> images;
    bool singleImage = false;
    std::string imageName;  // names the root document
    DisplayOrder order = DisplayOrder::Low;
    bool openWhenDone = false;
    std::optional<PaddedEdges> edges;
    std::string nameMarker;  // a single 4096 image's marker, written when missing
};

TileOptions tileOptions(const ProjectSettings& s) {
    TileOptions options;
    options.format = s.outputFormat;
    options.quality = s.jpegQuality;
    if (s.transparent)
        options.transparentColour = s.transparentColour;
    return options;
}

// The source of the KML pass for one image, its world file where the job found or makes it.
TileSource kmlSource(const RootInput& in, const PlacedImage& image) {
    TileSource source = in.singleImage
                            ? singleImageTile(folderOf(image.path), in.imageName, image.path)
                            : folderTile(folderOf(image.path),
                                         std::filesystem::path(image.path).filename().string());
    source.worldFilePath = image.worldFile;
    return source;
}

RootPlan rootPlan(const JobSettings& settings, const RootInput& in) {
    const ProjectSettings& s = settings.project;
    RootPlan plan;
    SplitRequest& split = plan.split;
    split.sizeClass = in.sizeClass;
    split.root = in.root;
    split.singleImage = in.singleImage;
    for (const PlacedImage& image : in.images)
        split.images.push_back({image.path, image.name, image.globe});
    split.tiles = tileOptions(s);
    split.edges = in.edges;
    if (in.sizeClass == SizeClass::S4096) {
        split.memoryMb = settings.large.ramLimitMb;
        split.nameMarker = in.nameMarker;
    }
    split.jobs = settings.jobs;
    split.engine = settings.engine;
    split.skipEmptyTiles = s.skipEmptyTiles;

    KmlTreeRequest& kml = plan.kml;
    kml.sizeClass = in.sizeClass;
    kml.root = in.root;
    kml.rootFile = in.rootFile;
    kml.imageName = in.imageName;
    if (s.hostOnWebServer)
        kml.url = s.webServerUrl;
    kml.order = in.order;
    kml.relativeLinks = s.relativeLinks;
    kml.leaveOutEmptyCells = s.skipEmptyTiles;
    kml.exactEdges = s.exactEdges;
    const std::vector<ImageTiling> tilings = splitTilings(split);
    for (std::size_t i = 0; i < in.images.size(); ++i) {
        TileSource source = kmlSource(in, in.images[i]);
        // A tree written again over its tiles links what its earlier run made (see the run);
        // a tree cut now links exactly the pictures its images are cut into.
        if (!settings.kmlOnly) {
            source.pictureFormat = formatName(tilings[i].switches.format);
            plan.recipes.push_back(
                tilingRecipe(tilings[i], settings.engine, in.images[i].identity));
        }
        kml.sources.push_back(source);
        plan.ownNames.push_back(in.images[i].name);
    }
    plan.openWhenDone = in.openWhenDone;
    return plan;
}

// The root of one image of its own (a single image or one of a pair).
RootInput imageRoot(const JobSettings& settings, const InputFacts& input,
                    const std::string& imageName, DisplayOrder order) {
    const ProjectSettings& s = settings.project;
    RootInput in;
    in.sizeClass = settings.sizeClass.value_or(input.sizeClass);
    in.root = joinPath(outputBase(s, folderOf(input.path)), imageName);
    in.rootFile = in.root + ".kml";
    in.images = input.images;
    for (PlacedImage& image : in.images)
        image.name = imageName;
    in.singleImage = true;
    in.imageName = imageName;
    in.order = order;
    in.nameMarker = joinPath(in.root, imageName + ".txt");
    return in;
}

// The root of a folder of tiles: the images are read from `folder`, the tree written to `root`.
RootInput folderRoot(const JobSettings& settings, const InputFacts& input, const std::string& root,
                     const std::string& rootFile) {
    const ProjectSettings& s = settings.project;
    RootInput in;
    in.sizeClass = settings.sizeClass.value_or(input.sizeClass);
    in.root = root;
    in.rootFile = rootFile;
    in.images = input.images;
    in.imageName = s.imageName;
    in.order = s.drawOrder;
    if (settings.paddedPieces && settings.paddedPieces->paddedPieces) {
        in.edges = PaddedEdges{settings.paddedPieces->paddedPieceNames, settings.large.background,
                               settings.paddedPieces->paddedPieceAreas};
    }
    return in;
}

// A tile root that two folders of the batch share; empty when each has its own.
std::string sharedRoot(std::vector<std::string> roots) {
    std::sort(roots.begin(), roots.end());
    const auto twice = std::adjacent_find(roots.begin(), roots.end());
    return twice == roots.end() ? std::string() : *twice;
}

std::variant<JobPlan, PlanRefusal> planBatch(const JobSettings& settings, const JobFacts& facts,
                                             JobPlan plan) {
    const ProjectSettings& s = settings.project;
    std::vector<std::string> roots;
    for (const std::string& folder : s.batchFolders)
        roots.push_back(batchFolderRoot(s, folder));
    if (const std::string clash = sharedRoot(roots); !clash.empty()) {
        return PlanRefusal{"Two folders of the batch would write their tiles into " + clash +
                           ". Rename one of them, or choose no output folder."};
    }
    const BatchShard shard = settings.shard.value_or(BatchShard{});
    for (std::size_t i = 0; i < facts.inputs.size() && i < roots.size(); ++i) {
        if (!shard.holds(i))
            continue;
        RootPlan root = rootPlan(
            settings, folderRoot(settings, facts.inputs[i], roots[i],
                                 joinPath(roots[i], s.projectName + std::to_string(i) + ".kml")));
        root.position = i;
        plan.roots.push_back(std::move(root));
    }
    TopFilePlan& top = plan.top.emplace();
    top.path = joinPath(s.kmlFolder, s.projectName + ".kml");
    top.batch = true;
    top.roots = roots;
    top.order = s.drawOrder;
    top.linksFrom = s.relativeLinks ? s.kmlFolder : std::string();
    top.openWhenDone = s.openWhenDone;
    if (settings.shard) {
        top.shard = ShardRecord{
            s.projectName, s.drawOrder, top.linksFrom, *settings.shard, s.batchFolders, roots, {}};
        top.shardPath = joinPath(s.kmlFolder, shardFileName(s.projectName, *settings.shard));
    }
    return plan;
}

// The pieces of a large image as the images of the 4096 run over their folder.
std::vector<PlacedImage> pieceImages(const SlicePlan& slice, bool exactEdges) {
    std::vector<PlacedImage> images;
    const std::string made = contentIdentityOf(slice.recipe);
    for (const PiecePlan& piece : slice.pieces.pieces) {
        const std::string path =
            pieceImagePath(slice.folder, slice.name, piece.k, slice.settings.pieceFormat);
        images.push_back(
            {path, slice.name + "_" + std::to_string(piece.k), kPieceSize, kPieceSize,
             pieceWorldFilePath(slice.folder, slice.name, piece.k, slice.settings.pieceFormat),
             "piece " + std::to_string(piece.k) + " of " + made,
             globeWindow(parseWorldFile(piece.worldFileText), exactEdges)});
    }
    return images;
}

std::variant<JobPlan, PlanRefusal> planLargeImage(const JobSettings& settings,
                                                  const LargeFacts& large, JobPlan plan) {
    const ProjectSettings& s = settings.project;
    SlicePlan slice;
    slice.image = large.image.path;
    slice.folder = largePieceFolder(s);
    slice.name = s.imageName;
    const auto width = static_cast<int>(large.image.width);
    const auto height = static_cast<int>(large.image.height);
    if (settings.warped && settings.warped->source.path == large.image.path) {
        slice.warped = settings.warped;
        slice.resampling = settings.resampling;
    }
    try {
        slice.pieces = planPieceWorldFiles(width, height, large.world, slice.name);
    } catch (const RunError& error) {
        return PlanRefusal{std::to_string(error.number()) + " " + error.description()};
    }
    if (slice.warped) {
        // Pieces reaching beyond the warped image's outline hold background there, as padded
        // pieces do; resampling blends a pixel or two beyond it.
        constexpr double kBlend = 2;
        for (const int k : piecesReachingOutside(slice.warped->outline, width, height, kBlend))
            listPaddedPiece(slice.pieces, k, width, height, slice.name);
    }
    const auto sliceSettings = [&](PixelEngine engine) {
        return SliceSettings{settings.large.ramLimitMb,
                             settings.large.diskLimitGb,
                             largePieceFormat(settings, large.hasAlpha),
                             false,
                             engine,
                             settings.jobs,
                             settings.large.background,
                             large.hasAlpha};
    };
    slice.settings = sliceSettings(settings.engine);
    // Warped pixels are sliced by the band writer whatever the engine.
    if (const auto refusal = sliceRefusal(
            width, height, sliceSettings(slice.warped ? PixelEngine::Vips : settings.engine)))
        return PlanRefusal{*refusal};
    if (const auto extent = paddedPieceExtent(width, height, large.world);
        extent && beyondTheGlobe(*extent)) {
        slice.beyondTheGlobe = extent;
    }
    const bool vips = settings.engine == PixelEngine::Vips;
    slice.recipe = "source " + large.image.identity + "; pieces " +
                   formatName(slice.settings.pieceFormat) + " on " +
                   slice.settings.background.text() + "; engine " + (vips ? "vips" : "magick");
    slice.cutWhileTiling = !settings.sliceOnly && settings.engine == PixelEngine::Vips &&
                           cutInStream(slice.settings.pieceFormat);
    plan.slice = slice;
    if (settings.sliceOnly)
        return plan;
    // The pieces are output already: their tree and top file go beside them.
    InputFacts pieces{slice.folder, SizeClass::S4096, pieceImages(slice, s.exactEdges)};
    JobSettings folderSettings = settings;
    folderSettings.paddedPieces = slice.pieces;
    RootInput in = folderRoot(folderSettings, pieces, slice.folder,
                              joinPath(slice.folder, s.projectName + ".kml"));
    in.openWhenDone = s.openWhenDone;
    RootPlan root = rootPlan(folderSettings, in);
    root.ownNames = {slice.name};
    plan.roots.push_back(std::move(root));
    return plan;
}

// A pair given a name: the top file NAME.kml beside the high resolution tree links the root file
// of each pass. A name that would replace a pass's own file is refused before any work.
std::optional<PlanRefusal> addPairTopFile(const ProjectSettings& s, JobPlan& plan) {
    TopFilePlan& top = plan.top.emplace();
    top.path = joinPath(folderOf(plan.roots.front().kml.rootFile), s.projectName + ".kml");
    top.order = s.drawOrder;
    for (const RootPlan& root : plan.roots) {
        const std::string& file = root.kml.rootFile;
        if (file == top.path) {
            return PlanRefusal{"The name " + s.projectName + " would give the top file " +
                               top.path + " the name of the KML file of the image " +
                               root.split.images.front().path + ". Please choose another name."};
        }
        top.links.push_back({baseNameOf(file), s.relativeLinks
                                                   ? relativeLink(file, folderOf(top.path))
                                                   : slashForm(file)});
    }
    return std::nullopt;
}

bool holdsTransparency(PictureFormat format) {
    return format != PictureFormat::Jpg;
}

// What the person should know when an image of the job has transparent parts that its tiles
// or pieces cannot hold: they come out black. Empty when all is kept.
std::string transparencyNotice(const JobSettings& settings, const JobFacts& facts) {
    const ProjectSettings& s = settings.project;
    if (facts.imagesWithAlpha.empty())
        return {};
    const std::string& image = facts.imagesWithAlpha.front();
    if (facts.large && !holdsTransparency(largePieceFormat(settings, facts.large->hasAlpha))) {
        return image +
               " has transparent parts, but JPG pieces cannot hold them: they show as "
               "black. PNG pieces (--piece-format PNG, or Large Tiles Image Format PNG) and "
               "PNG tiles keep them.";
    }
    if (!s.transparent && !holdsTransparency(s.outputFormat)) {
        return image +
               " has transparent parts, but JPG tiles cannot hold them: they show as black. PNG "
               "tiles (--format PNG, or Output Image Format PNG) keep them.";
    }
    return {};
}

}  // namespace

RunKind chooseRun(const ProjectSettings& settings) {
    if (settings.multiResolution)
        return RunKind::MultiResolution;
    if (!settings.projectImage.empty())
        return RunKind::SingleImage;
    if (settings.multipleFolders && !settings.batchFolders.empty())
        return RunKind::Batch;
    return RunKind::Folder;
}

PictureFormat largePieceFormat(const JobSettings& settings, bool imageHasAlpha) {
    const PictureFormat chosen = settings.large.pieceFormat;
    if (chosen == PictureFormat::Jpg && !settings.pieceFormatChosen && imageHasAlpha)
        return PictureFormat::Png;
    return chosen;
}

std::variant<JobPlan, PlanRefusal> planJob(const JobSettings& settings, const JobFacts& facts) {
    const ProjectSettings& s = settings.project;
    if (!isPlainFileName(s.projectName)) {
        return PlanRefusal{"The project name '" + s.projectName +
                           "' is not a plain file name: it names the KML files of the run. "
                           "Choose a name without '/' or '\\' that is not '.' or '..'."};
    }
    JobPlan plan;
    plan.kind = chooseRun(s);
    plan.kmlOnly = settings.kmlOnly;
    plan.projectName = s.projectName;
    plan.archive = s.kmzFile;
    plan.previewPage = s.previewPage;
    plan.projectFile = settings.projectFileToSave;
    plan.replaceOutputs = settings.replaceOutputs;
    plan.resume = settings.resume;
    plan.notice = transparencyNotice(settings, facts);
    for (const InputFacts& input : facts.inputs) {
        for (const PlacedImage& image : input.images)
            plan.inputs.push_back(image.path);
    }
    if (facts.large)
        plan.inputs.push_back(facts.large->image.path);
    switch (plan.kind) {
        case RunKind::MultiResolution: {
            const std::array<DisplayOrder, 2> orders = {DisplayOrder::High, DisplayOrder::Low};
            for (std::size_t pass = 0; pass < orders.size() && pass < facts.inputs.size(); ++pass) {
                const InputFacts& input = facts.inputs[pass];
                plan.roots.push_back(rootPlan(
                    settings, imageRoot(settings, input, baseNameOf(input.path), orders[pass])));
            }
            plan.openTopFilesWhenDone = s.openWhenDone;
            if (s.nameGiven && !plan.roots.empty()) {
                if (auto refusal = addPairTopFile(s, plan))
                    return *refusal;
            }
            break;
        }
        case RunKind::SingleImage: {
            if (facts.large && !settings.kmlOnly)
                return planLargeImage(settings, *facts.large, std::move(plan));
            if (facts.inputs.empty())
                break;
            RootInput in = imageRoot(settings, facts.inputs.front(), s.imageName, s.drawOrder);
            in.root = joinPath(outputBase(s, s.imageFolder), s.imageName);
            in.rootFile = singleImageTopFile(s, in.root);
            in.nameMarker = joinPath(in.root, s.imageName + ".txt");
            in.openWhenDone = s.openWhenDone;
            plan.roots.push_back(rootPlan(settings, in));
            break;
        }
        case RunKind::Batch:
            return planBatch(settings, facts, std::move(plan));
        case RunKind::Folder: {
            if (facts.inputs.empty())
                break;
            const InputFacts& input = facts.inputs.front();
            const std::string root = outputBase(s, input.path);
            RootInput in =
                folderRoot(settings, input, root, joinPath(root, s.projectName + ".kml"));
            in.openWhenDone = s.openWhenDone;
            plan.roots.push_back(rootPlan(settings, in));
            break;
        }
    }
    // A root of no size class has nothing to cut and no tree.
    std::erase_if(plan.roots,
                  [](const RootPlan& root) { return root.split.sizeClass == SizeClass::None; });
    return plan;
}

}  // namespace orvanta
