#include "kml/kml_tree.h"

#include "imagery/geo_image.h"
#include "imagery/georeference.h"
#include "imagery/world_file.h"
#include "kml/kml_plan.h"
#include "kml/tree_inputs.h"
#include "platform/path_names.h"

namespace orvanta {
namespace {

// One operation from its first step to its last.
class KmlTreeRun {
  public:
    KmlTreeRun(Host& host, StepPolicy& policy, const KmlTreeRequest& request)
        : host_(host),
          policy_(policy),
          request_(request),
          layout_(kmlTreeLayout(request.sizeClass)),
          skippedBefore_(policy.skippedSteps()) {}

    std::optional<TreeIndex> run() {
        options_.root = request_.root;
        options_.layout = &layout_;
        options_.imageName = request_.imageName;
        options_.url = request_.url;
        options_.order = request_.order;
        options_.relativeLinks = request_.relativeLinks;
        options_.leaveOutEmptyCells = request_.leaveOutEmptyCells;
        options_.rootFileFolder = folderOf(request_.rootFile);
        host_.statusChanged(kGeneratingKmlStatus);
        host_.doEvents();
        if (!boundsPass())
            return std::nullopt;
        if (!policy_.run(
                [&] { options_.pictureExtension = readPictureExtension(options_.root); })) {
            return std::nullopt;
        }
        if (!tilePass())
            return std::nullopt;
        // The root file is replaced only when every other file of the tree was written.
        bool rootWritten = false;
        if (policy_.skippedSteps() > skippedBefore_ || !policy_.run([&] {
                writeKmlFile({request_.rootFile, rootKmlText(options_, bounds_, tiles_)});
                rootWritten = true;
            }) ||
            !rootWritten) {
            return std::nullopt;
        }
        host_.doEvents();
        return TreeIndex{request_.rootFile, bounds_, rootMinLodPixels(options_), std::move(cells_)};
    }

  private:
    // Reads every tile's world file and widens the bounds of the whole run by the part of the
    // tile on the globe. False when the operation has ended.
    bool boundsPass() {
        for (const TileSource& source : request_.sources) {
            std::string worldFile;
            if (!policy_.run([&] { worldFile = locateWorldFile(host_, source); }))
                return false;
            // Without a world file, the georeference the image holds itself.
            const std::optional<WorldFile> own =
                worldFile.empty() ? embeddedWorldFile(source.imagePath) : std::nullopt;
            if (worldFile.empty() && !own) {
                host_.messageBox(missingWorldFileMessage(source), kAppTitle);
                return false;
            }
            WorldFile world;
            if (own)
                world = *own;
            else if (!policy_.run([&] { world = readWorldFile(worldFile); }))
                return false;
            if (const std::string detail = worldFileDetail(own ? source.imagePath : worldFile,
                                                           world, layout_.size, layout_.size);
                !detail.empty()) {
                host_.messageBox(std::string(kProjectionMessage) + " " + detail, kAppTitle);
                host_.statusChanged(kProjectionStatus);
                return false;
            }
            const KmlTile tile{source.name, TileBounds(world, layout_.size, request_.exactEdges),
                               globeWindow(world, request_.exactEdges), source.pictureFormat};
            if (const std::optional<LatLonBounds> shown = shownTileBounds(options_, tile)) {
                IncludeTile(bounds_, *shown);
                tiles_.push_back(tile);
            }
            host_.doEvents();
        }
        return true;
    }

    bool tilePass() {
        PictureFinder findPicture;
        const PictureLookup lookup = [&](const std::string& folder, const std::string& name) {
            return findPicture(folder, name);
        };
        for (std::size_t i = 0; i < tiles_.size(); ++i) {
            TileKml kml = tileKml(options_, tiles_[i], lookup);
            for (const KmlFile& file : kml.files) {
                if (!policy_.run([&] { writeKmlFile(file); }))
                    return false;
                host_.doEvents();
            }
            cells_.push_back(std::move(kml.cells));
            host_.progress(static_cast<int>(i + 1), static_cast<int>(tiles_.size()));
        }
        return true;
    }

    Host& host_;
    StepPolicy& policy_;
    const KmlTreeRequest& request_;
    const KmlTreeLayout& layout_;
    const int skippedBefore_;
    KmlTreeOptions options_;
    LatLonBounds bounds_ = EmptyRootBounds();
    std::vector<KmlTile> tiles_;
    std::vector<TreeCell> cells_;
};

}  // namespace

std::string missingWorldFileMessage(const TileSource& tile) {
    return "The Reference Worldfile " + tile.worldFilePath +
           " does not exits. OVT cannot continue unless all the tiles have their associated "
           "worldfiles! Ovt will now stop the conversion! " +
           worldFileNamesTried(tile.imagePath);
}

std::optional<TreeIndex> writeKmlTree(Host& host, StepPolicy& policy,
                                      const KmlTreeRequest& request) {
    if (request.sizeClass == SizeClass::None)
        return std::nullopt;
    return KmlTreeRun(host, policy, request).run();
}

}  // namespace orvanta
