#include "app/job_run.h"

#include <filesystem>
#include <fstream>
#include <list>
#include <set>

#include "app/batch.h"
#include "app/error_policy.h"
#include "app/google_earth.h"
#include "imagery/piece_world_files.h"
#include "kml/kml_layout.h"
#include "kml/kmz.h"
#include "kml/preview_page.h"
#include "pixels/pixel_image.h"
#include "platform/folder_lock.h"
#include "platform/path_names.h"
#include "platform/scratch_files.h"
#include "platform/text_file.h"
#include "tiling/large_slicer.h"
#include "tiling/tile_manifest.h"
#include "tiling/warped_image.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;

// A path as the file system resolves it, so that two spellings of one file compare equal.
std::string resolved(const std::string& path) {
    std::error_code error;
    const fs::path full = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? fs::path(path).lexically_normal().string() : full.string();
}

PathKind kindAt(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (error || !fs::exists(status))
        return PathKind::None;
    if (fs::is_regular_file(status))
        return PathKind::File;
    return fs::is_directory(status) ? PathKind::Folder : PathKind::Other;
}

bool startsWith(const std::string& path, const std::string& signature) {
    std::ifstream in(path, std::ios::binary);
    std::string head(signature.size(), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    return in.gcount() == static_cast<std::streamsize>(head.size()) && head == signature;
}

// One path the job writes, and what may stand there before.
struct OutputPath {
    std::string path;
    std::string what;           // "KMZ archive", "tile folder", ...
    bool folder = false;        // a folder the job writes into
    std::string signature;      // the first bytes of a file of the same kind; empty: any file
    bool askToReplace = false;  // an existing file is replaced only when the person says so
};

// Performs one plan.
class JobRun {
  public:
    JobRun(const JobPlan& plan, JobServices& services)
        : plan_(plan), host_(services.host), program_(services.googleEarthProgram) {}

    Outcome run() {
        try {
            if (checkOutputs() && askFirst() && makeFolders() && (!plan_.slice || slice()) &&
                runRoots()) {
                writeTopFile();
                openTopFiles();
                pack();
                writePreview();
            }
        } catch (const RunCancelled&) {
            outcome_.note(Ending::Cancelled);
        }
        finishTexts();
        return outcome_;
    }

  private:
    bool refuse(const std::string& message, Ending ending = Ending::Failed) {
        host_.messageBox(message, kAppTitle);
        outcome_.note(ending);
        return false;
    }

    std::vector<OutputPath> outputs() const {
        std::vector<OutputPath> paths;
        if (!plan_.archive.empty())
            paths.push_back({plan_.archive, "KMZ archive", false, "PK\x03\x04", true});
        if (!plan_.projectFile.empty())
            paths.push_back({plan_.projectFile, "project file", false, "#OVT Project File", true});
        if (plan_.slice)
            paths.push_back({plan_.slice->folder, "folder of pieces", true, {}, false});
        for (const RootPlan& root : plan_.roots) {
            paths.push_back({root.kml.root, "tile folder", true, {}, false});
            paths.push_back({root.kml.rootFile, "KML file", false, {}, false});
        }
        if (plan_.top)
            paths.push_back({plan_.top->path, "top KML file", false, {}, false});
        return paths;
    }

    // Every output path is refused before any work when it is an input, another output, or of
    // another kind; an existing archive or project file is replaced only when the person says.
    bool checkOutputs() {
        std::vector<std::string> inputs;
        for (const std::string& input : plan_.inputs)
            inputs.push_back(resolved(input));
        std::vector<std::pair<std::string, std::string>> named;  // resolved path, what
        for (const OutputPath& output : outputs()) {
            const std::string path = resolved(output.path);
            const PathKind existing = kindAt(path);
            std::error_code sizeError;
            const bool sameKind = existing != PathKind::File || output.signature.empty() ||
                                  fs::file_size(path, sizeError) == 0 ||
                                  startsWith(path, output.signature);
            if (const std::string refusal = outputRefusal(output.path, output.what, output.folder,
                                                          existing, sameKind, inputs);
                !refusal.empty()) {
                return refuse(refusal);
            }
            for (const auto& [other, otherWhat] : named) {
                if (other == path && !output.folder && otherWhat != output.what) {
                    return refuse("The " + output.what + " " + output.path + " would also be the " +
                                  otherWhat + " of this run. Nothing was written.");
                }
            }
            named.emplace_back(path, output.what);
            if (output.askToReplace && existing == PathKind::File && !plan_.replaceOutputs &&
                !host_.askYesNo("The " + output.what + " " + output.path +
                                    " already exists. Do you want to replace it?",
                                kAppTitle, MessageIcon::Question)) {
                outcome_.note(Ending::Declined);
                return false;
            }
        }
        return true;
    }

    // Padded, the pieces of the large image would reach beyond the globe: asked before anything
    // is made, so that No leaves nothing behind.
    bool askFirst() {
        if (!plan_.slice || !plan_.slice->beyondTheGlobe)
            return true;
        if (host_.askYesNo(beyondTheGlobeQuestion(*plan_.slice->beyondTheGlobe), kAppTitle,
                           MessageIcon::Exclamation)) {
            return true;
        }
        outcome_.note(Ending::Declined);
        return false;
    }

    // The folders of the files outside the tile folders, made before the first tile.
    bool makeFolders() {
        std::vector<std::string> folders;
        for (const std::string& file : {plan_.archive, plan_.projectFile})
            if (!file.empty())
                folders.push_back(folderOf(resolved(file)));
        if (plan_.top)
            folders.push_back(folderOf(plan_.top->path));
        for (const std::string& folder : folders) {
            std::error_code error;
            fs::create_directories(folder, error);
            if (error && kindAt(folder) != PathKind::Folder) {
                return refuse("The folder " + folder + " cannot be made (" + error.message() +
                              "). Nothing was written.");
            }
        }
        return true;
    }

    // Takes the folder (made when missing) for this run and removes the scratch files that
    // ended runs left in it and below it. When another run holds it, tells the person.
    bool claim(const std::string& folder) {
        std::vector<std::string> written = treeFolderPaths(folder);
        written.push_back(folderOf(backgroundPicturePath(folder)));
        std::error_code ignored;
        fs::create_directories(folder, ignored);
        FolderLock& lock = locks_.emplace_back(folder, written);
        if (!lock.held())
            return refuse(lock.refusal());
        // Only the folders the run writes: what lies deeper (an input folder's own subfolders)
        // is never touched.
        for (const std::string& each : written)
            removeStaleScratch(each);
        return true;
    }

    // Cuts the large image into its pieces, unless an earlier run cut them from the same image
    // with the same settings and left every one; then gives each its world file and padding.
    // When the pieces are cut while they are tiled, only makes ready for that.
    bool slice() {
        const SlicePlan& slice = *plan_.slice;
        if (!claim(slice.folder))
            return false;
        TileManifest manifest = readManifest(slice.folder);
        SliceSettings settings = slice.settings;
        const auto recorded = manifest.pieces.find(slice.name);
        piecesMatch_ = recorded != manifest.pieces.end() && recorded->second == slice.recipe;
        settings.keepPieces = plan_.resume && piecesMatch_;
        if (!piecesMatch_ && recorded != manifest.pieces.end()) {
            manifest.pieces.erase(recorded);
            recordOrForget(slice.folder, manifest);
        }
        const auto count = static_cast<int>(slice.pieces.pieces.size());
        RunErrorPolicy policy(host_, outcome_);
        if (slice.warped) {
            policy.run([&] {
                settings.source =
                    warpedImage(slice.warped->source, slice.warped->grid, slice.resampling,
                                settings.background, slice.warped->keepAlpha);
            });
            if (policy.ended())
                return policy.finish();
        }
        if (slice.cutWhileTiling) {
            removePiecesBeyond(slice.folder, slice.name, count, settings.pieceFormat);
            policy.run([&] {
                cutPieces_ = PiecesToCut{
                    settings.source ? *settings.source : PixelImage::open(slice.image), slice.name,
                    settings.pieceFormat, settings.background, settings.keepPieces};
            });
            return policy.finish();  // a failure is noted in the outcome
        }
        const bool sliced =
            slicePieces(policy, slice.image, slice.folder, slice.name, count, settings);
        host_.doEvents();
        if (sliced && policy.skippedSteps() == 0)
            recordPieces(slice.folder, manifest);
        policy.finish();  // tells of a failed crop; pieces it did write are still used
        if (!sliced) {
            outcome_.note(Ending::Failed);
            return false;
        }
        // The band writer pads the pieces it cuts.
        return placeSlicedPieces(settings.engine == PixelEngine::Vips || settings.source);
    }

    // Records in the piece folder's manifest what made the pieces, when it did not say so.
    void recordPieces(const std::string& folder, TileManifest& manifest) {
        if (piecesMatch_)
            return;
        manifest.pieces[plan_.slice->name] = plan_.slice->recipe;
        recordOrForget(folder, manifest);
    }

    // Gives every piece its world file, and pads the short ones unless the slicer did.
    bool placeSlicedPieces(bool padded) {
        const SlicePlan& slice = *plan_.slice;
        RunErrorPolicy place(host_, outcome_);
        if (!placePieces(host_, place, slice.folder, slice.name, slice.pieces,
                         slice.settings.pieceFormat,
                         padded ? std::nullopt : std::optional(slice.settings.background))) {
            outcome_.note(Ending::Failed);
            return false;
        }
        place.finish();
        return true;
    }

    // Cuts the tiles of one root. The root's manifest keeps the entries of images whose recipe
    // is the plan's (cutting them again gives the same files) and loses the others before any
    // file is written; each image is recorded once its files are all there. On --resume the
    // files of images with a kept entry are kept.
    bool cut(const RootPlan& root, FolderResult& result) {
        SplitRequest request = root.split;
        // The marker naming a single 4096 image is written once.
        if (!request.nameMarker.empty() && kindAt(request.nameMarker) != PathKind::None)
            request.nameMarker.clear();
        const std::string& folder = root.kml.root;
        const TileManifest earlier = readManifest(folder);
        TileManifest manifest;
        manifest.pieces = earlier.pieces;
        std::map<std::string, std::string> recipes;
        for (std::size_t i = 0; i < request.images.size() && i < root.recipes.size(); ++i) {
            const std::string& name = request.images[i].name;
            recipes[name] = root.recipes[i];
            const auto recorded = earlier.images.find(name);
            if (recorded != earlier.images.end() && recorded->second == root.recipes[i]) {
                manifest.images[name] = root.recipes[i];
                if (plan_.resume)
                    request.keepExisting.insert(name);
            }
        }
        if (manifest != earlier)
            recordOrForget(folder, manifest);
        request.imageDone = [&](const std::string& name, bool kept) {
            ++(kept ? result.kept : result.cut);
            if (!kept && manifest.images[name] != recipes[name]) {
                manifest.images[name] = recipes[name];
                recordOrForget(folder, manifest);
            }
        };
        // The large image's pieces cut while their tiles are: recorded and given their world
        // files once all were cut.
        const bool cutsPieces = cutPieces_ && plan_.slice && folder == plan_.slice->folder;
        if (cutsPieces)
            request.cut = cutPieces_;
        RunErrorPolicy policy(host_, outcome_);
        if (!splitImages(host_, policy, request)) {
            outcome_.note(Ending::Failed);
            return false;
        }
        result.skippedSteps = policy.skippedSteps();
        if (cutsPieces && result.skippedSteps == 0)
            recordPieces(folder, manifest);
        policy.finish();
        return !cutsPieces || placeSlicedPieces(true);
    }

    // Writes the manifest; one that cannot be written is removed, so that it never names files
    // it does not describe (a folder that takes no file fails the tiles with its own message).
    static void recordOrForget(const std::string& root, const TileManifest& manifest) {
        try {
            writeManifest(root, manifest);
        } catch (const RunError&) {
            std::error_code ignored;
            fs::remove(joinPath(root, kManifestFileName), ignored);
        }
    }

    // The files a tree written now links, and, for a root whose tiles were cut, every file its
    // images were cut into: what stays when the leftovers of earlier runs go.
    std::set<std::string> filesOf(const RootPlan& root, const TreeIndex& tree) {
        std::set<std::string> keep;
        std::vector<const TreeCell*> cells;
        for (const TreeCell& tile : tree.tiles)
            cells.push_back(&tile);
        while (!cells.empty()) {
            const TreeCell* cell = cells.back();
            cells.pop_back();
            for (const std::string* file : {&cell->kmlFile, &cell->picture}) {
                if (!file->empty() && keep.insert(*file).second)
                    files_.push_back(*file);
            }
            for (const TreeCell& child : cell->children)
                cells.push_back(&child);
        }
        // A batch's top file links the root file of each folder's tree.
        if (plan_.top)
            files_.push_back(tree.rootFile);
        if (!plan_.kmlOnly) {
            for (const ImageTiling& image : splitTilings(root.split)) {
                for (const TileOutput& output : tileOutputs(image))
                    keep.insert(output.path);
            }
        }
        return keep;
    }

    bool runRoot(const RootPlan& root, FolderResult& result) {
        result.root = root.kml.root;
        result.rootFile = root.kml.rootFile;
        if ((!plan_.kmlOnly || kindAt(root.kml.root) == PathKind::Folder) &&
            !claim(root.kml.root)) {
            return false;
        }
        removeStaleScratch(folderOf(root.kml.rootFile));
        if (!plan_.kmlOnly && !cut(root, result))
            return false;
        KmlTreeRequest request = root.kml;
        if (plan_.kmlOnly) {
            // Over tiles of an earlier run: the pictures its manifest says it cut.
            const TileManifest made = readManifest(root.kml.root);
            for (TileSource& source : request.sources) {
                if (const auto entry = made.images.find(source.name); entry != made.images.end())
                    source.pictureFormat = recipePictureFormat(entry->second);
            }
        }
        RunErrorPolicy policy(host_, outcome_);
        std::optional<TreeIndex> tree = writeKmlTree(host_, policy, request);
        if (!tree) {
            if (!policy.ended())
                policy.finish();  // tells of the files that could not be written
            outcome_.note(Ending::Failed);
            return false;
        }
        result.written = true;
        result.bounds = tree->bounds;
        removeLeftovers(TileSet{root.kml.root}, root.ownNames, filesOf(root, *tree),
                        !plan_.kmlOnly);
        outcome_.trees.push_back(std::move(*tree));
        successText_ = kmlTreeLayout(root.kml.sizeClass).successStatus;
        if (root.openWhenDone)
            openInGoogleEarth(host_, program_, root.kml.rootFile, outcome_);
        policy.finish();
        return true;
    }

    bool runRoots() {
        std::optional<ShardRecord> shard;
        if (plan_.top && plan_.top->shard) {
            shard = plan_.top->shard;
            // A shard run again starts from nothing finished; its file is written again as each
            // of its folders is finished.
            std::error_code ignored;
            fs::remove(plan_.top->shardPath, ignored);
        }
        const int total = static_cast<int>(plan_.roots.size());
        int done = 0;
        for (const RootPlan& root : plan_.roots) {
            FolderResult& result = outcome_.folders.emplace_back();
            if (!runRoot(root, result))
                return false;
            if (!plan_.top)
                outcome_.topKmlFiles.push_back(root.kml.rootFile);
            if (shard && result.skippedSteps == 0) {
                shard->finished[root.position] = result.bounds;
                RunErrorPolicy policy(host_, outcome_);
                if (!policy.run([&] {
                        writeFileAtomically(plan_.top->shardPath, shardFileText(*shard));
                    })) {
                    return false;
                }
                policy.finish();
            }
            if (plan_.top)
                host_.progress(++done, total);
            host_.doEvents();
        }
        return true;
    }

    // The top file over the job's trees, and Google Earth on a batch's when asked.
    void writeTopFile() {
        if (!plan_.top || plan_.top->shard)
            return;
        const TopFilePlan& top = *plan_.top;
        std::vector<LatLonBounds> bounds;
        for (const FolderResult& folder : outcome_.folders)
            bounds.push_back(folder.bounds);
        RunErrorPolicy policy(host_, outcome_);
        policy.run([&] {
            const LatLonBounds all = batchBounds(bounds);
            writeFileAtomically(
                top.path, top.batch ? batchTopKmlText(plan_.projectName, all, top.order, top.roots,
                                                      top.linksFrom)
                                    : topKmlText(plan_.projectName, all, top.order, top.links));
            outcome_.topKmlFiles.push_back(top.path);
            if (top.batch)
                successText_ = "Project files was written successfully...";
            host_.doEvents();
        });
        if (!policy.ended() && top.openWhenDone)
            openInGoogleEarth(host_, program_, top.path, outcome_);
        policy.finish();
    }

    // A pair: Google Earth on its files, the high resolution first, or on its top file.
    void openTopFiles() {
        if (!plan_.openTopFilesWhenDone)
            return;
        for (const std::string& path : outcome_.topKmlFiles)
            openInGoogleEarth(host_, program_, path, outcome_);
    }

    // Packs exactly the files the job wrote into the KMZ file of a job that ended well.
    void pack() {
        if (plan_.archive.empty() || outcome_.ending != Ending::Done ||
            outcome_.topKmlFiles.empty()) {
            return;
        }
        removeStaleScratch(folderOf(resolved(plan_.archive)));
        RunErrorPolicy policy(host_, outcome_);
        policy.run([&] {
            writeKmz(plan_.archive, outcome_.topKmlFiles, files_);
            outcome_.archive = plan_.archive;
            host_.statusChanged("The result was packed into " + plan_.archive);
        });
        policy.finish();
    }

    // The preview page beside the (first) top file of a job that ended well; it shows every
    // tree the job wrote.
    void writePreview() {
        if (!plan_.previewPage || outcome_.ending != Ending::Done || outcome_.topKmlFiles.empty() ||
            outcome_.trees.empty()) {
            return;
        }
        const PreviewPage page{previewPagePath(outcome_.topKmlFiles.front()), plan_.projectName,
                               outcome_.topKmlFiles, outcome_.trees};
        RunErrorPolicy policy(host_, outcome_);
        policy.run([&] {
            writePreviewPage(page);
            outcome_.previewPage = page.path;
            host_.statusChanged("The preview page was written to " + page.path);
        });
        policy.finish();
    }

    // What the front end shows and opens after the job.
    void finishTexts() {
        if (plan_.top && plan_.top->batch && !outcome_.folders.empty() &&
            outcome_.folders.back().written)
            outcome_.googleEarthFile = outcome_.folders.back().rootFile;
        else if (!outcome_.topKmlFiles.empty())
            outcome_.googleEarthFile = outcome_.topKmlFiles.back();
        if (outcome_.ending != Ending::Done)
            return;
        outcome_.successText = successText_;
        if (plan_.resume && !plan_.kmlOnly && !outcome_.folders.empty())
            outcome_.notices.push_back(resumeSummary(outcome_));
        if (!plan_.notice.empty())
            outcome_.notices.push_back(plan_.notice);
    }

    const JobPlan& plan_;
    Host& host_;
    std::string program_;
    Outcome outcome_;
    std::list<FolderLock> locks_;           // held until the job ends
    std::optional<PiecesToCut> cutPieces_;  // the large image, when its pieces are cut as tiled
    bool piecesMatch_ = false;              // the piece folder's manifest records the plan's pieces
    std::vector<std::string> files_;        // every file the trees link, for the archive
    std::string successText_;
};

}  // namespace

std::string outputRefusal(const std::string& path, const std::string& what, bool folder,
                          PathKind existing, bool sameKind,
                          const std::vector<std::string>& inputs) {
    const std::string where = "The " + what + " " + path;
    if (std::find(inputs.begin(), inputs.end(), resolved(path)) != inputs.end())
        return where + " is an image this run reads. Nothing was written.";
    if (folder && (existing == PathKind::File || existing == PathKind::Other))
        return where + " is a file, not a folder. Nothing was written.";
    if (!folder && existing == PathKind::Folder)
        return where + " is a folder. Nothing was written.";
    if (!folder && (existing == PathKind::Other || !sameKind))
        return where + " exists and is no " + what + ": it is not replaced. Nothing was written.";
    return {};
}

Outcome runJob(const JobPlan& plan, JobServices services) {
    return JobRun(plan, services).run();
}

Outcome performJob(const JobSettings& settings, JobServices services,
                   const std::optional<ScannedFolder>& scanned) {
    Outcome outcome;
    Host& host = services.host;
    try {
        if (!settings.kmlOnly) {
            host.statusChanged("Process Started...");
            host.doEvents();
        }
        RunErrorPolicy policy(host, outcome);
        std::optional<JobFacts> facts;
        policy.run([&] { facts = readJobFacts(settings, host, scanned, outcome); });
        if (!policy.finish() || !facts) {
            outcome.note(Ending::Failed);
            return outcome;
        }
        const auto planned = planJob(settings, *facts);
        if (const PlanRefusal* refusal = std::get_if<PlanRefusal>(&planned)) {
            host.messageBox(refusal->message, kAppTitle);
            outcome.note(refusal->ending);
            return outcome;
        }
        return runJob(std::get<JobPlan>(planned), services);
    } catch (const RunCancelled&) {
        outcome.note(Ending::Cancelled);
        return outcome;
    }
}

}  // namespace orvanta
