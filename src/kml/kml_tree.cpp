#include "kml/kml_tree.h"

#include <optional>
#include <vector>

#include "app/app_state.h"
#include "app/error_policy.h"
#include "app/google_earth.h"
#include "imagery/world_file.h"
#include "kml/kml_plan.h"
#include "kml/tree_inputs.h"
#include "platform/file_list.h"
#include "platform/os_services.h"

namespace orvanta {
namespace {

std::string join(const std::string& folder, const std::string& name) {
    return folder + kPathSeparator + name;
}

// A 4096 run tells a single image by the captions; the others by the run state.
bool singleImageRun(const AppState& app, SizeClass sizeClass) {
    const ProjectSettings& s = app.settings;
    if (sizeClass == SizeClass::S4096) {
        return s.tilesdirr.empty() && !s.projdir.empty() && !s.imagename.empty() &&
               !s.Projectimage.empty();
    }
    return app.run.SingleImageMode;
}

std::string& rootField(RunState& run, SizeClass sizeClass) {
    switch (sizeClass) {
        case SizeClass::S2048:
            return run.Root2048;
        case SizeClass::S4096:
            return run.Root4096;
        case SizeClass::S1024:
        case SizeClass::None:
            break;
    }
    return run.Root1024;
}

// The folder of List2 that `tilescount` names.
const std::string& batchFolder(const AppState& app) {
    std::size_t used = 0;
    int index = -1;
    try {
        index = std::stoi(app.tilescount, &used);
    } catch (const std::exception&) {
    }
    const auto& folders = app.settings.List2;
    if (used != app.tilescount.size() || index < 0 ||
        static_cast<std::size_t>(index) >= folders.size()) {
        throw RunError(errors::InvalidArgument, "Invalid procedure call or argument: no folder " +
                                                    app.tilescount +
                                                    " in the list of tile folders");
    }
    return folders[index];
}

// One operation from its first step to its last.
class KmlTreeRun {
  public:
    KmlTreeRun(AppState& app, SizeClass sizeClass)
        : app_(app),
          sizeClass_(sizeClass),
          layout_(kmlTreeLayout(sizeClass)),
          single_(singleImageRun(app, sizeClass)),
          policy_(app) {}

    void run() {
        app_.folderBounds = EmptyRootBounds();
        if (!policy_.run([&] { chooseRoot(); }))
            return;
        app_.setStatus(kGeneratingKmlStatus);
        app_.doEvents();
        listTiles();
        app_.doEvents();
        options_.order = displayOrderOf(app_.settings.Combo4);
        if (!boundsPass() || !projectionTest())
            return;
        if (!policy_.run(
                [&] { options_.pictureExtension = readPictureExtension(options_.root); })) {
            return;
        }
        if (!tilePass())
            return;
        if (!policy_.run([&] {
                writeKmlFile({rootFile_, rootKmlText(options_, app_.folderBounds, tiles_)});
            })) {
            return;
        }
        app_.setStatus(layout_.successStatus);
        app_.doEvents();
        if (app_.settings.Check3 == 1 && !policy_.run([&] { openInGoogleEarth(); }))
            return;
        policy_.finish();
    }

  private:
    // The root file, emptied now, and the tile root R with the roots derived from it.
    void chooseRoot() {
        const ProjectSettings& s = app_.settings;
        std::string& root = rootField(app_.run, sizeClass_);
        if (single_) {
            rootFile_ = join(s.projdir, s.imagename + ".kml");
            root = join(s.projdir, s.imagename);
        } else if (s.Check2 == 1) {
            const std::string& folder = batchFolder(app_);
            rootFile_ = join(folder, s.projname + app_.tilescount + ".kml");
            root = folder;
        } else {
            rootFile_ = join(s.tilesdirr, s.projname + ".kml");
        }
        options_.root = root;
        if (sizeClass_ != SizeClass::S1024)
            app_.run.Root1024 = join(root, "Tgroup1");
        if (sizeClass_ == SizeClass::S4096)
            app_.run.Root2048 = join(root, "Tgroup2");
        options_.layout = &layout_;
        options_.imageName = s.imagename;
        if (s.Check1 == 1)
            options_.url = s.Text11;
        writeKmlFile({rootFile_, ""});
    }

    void listTiles() {
        const ProjectSettings& s = app_.settings;
        if (single_) {
            sources_ = {singleImageTile(s.projdir, s.imagename, s.Projectimage)};
            return;
        }
        for (const std::string& entry : listFiles(options_.root, kImagePattern)) {
            sources_.push_back(folderTile(options_.root, entry));
        }
    }

    // Reads every tile's world file and widens the bounds of the whole run by it. False when
    // the operation has ended.
    bool boundsPass() {
        for (const TileSource& source : sources_) {
            std::string worldFile;
            if (!policy_.run([&] { worldFile = locateWorldFile(app_.host(), source); })) {
                return false;
            }
            if (worldFile.empty()) {
                app_.host().messageBox(missingWorldFileMessage(source.worldFilePath), kAppTitle);
                return false;
            }
            std::optional<LatLonBounds> bounds;
            if (!policy_.run(
                    [&] { bounds = TileBounds(readWorldFile(worldFile), layout_.size); })) {
                return false;
            }
            if (bounds) {
                IncludeTile(app_.folderBounds, *bounds);
                tiles_.push_back({source.name, *bounds});
            }
            app_.doEvents();
        }
        return true;
    }

    // The last tile read must lie in geographic degrees.
    bool projectionTest() {
        if (tiles_.empty())
            return true;
        const LatLonBounds& last = tiles_.back().bounds;
        const double north = last.north.value();
        const double west = last.west.value();
        if (north >= -90 && north <= 90 && west >= -180 && west <= 180)
            return true;
        app_.host().messageBox(kProjectionMessage, kAppTitle);
        app_.setStatus(kProjectionStatus);
        return false;
    }

    bool tilePass() {
        PictureFinder findPicture;
        const PictureLookup lookup = [&](const std::string& folder, const std::string& name) {
            return findPicture(folder, name);
        };
        for (std::size_t i = 0; i < tiles_.size(); ++i) {
            for (const KmlFile& file : tileKmlFiles(options_, tiles_[i], lookup)) {
                if (!policy_.run([&] { writeKmlFile(file); }))
                    return false;
                app_.doEvents();
            }
            app_.host().progress(static_cast<int>(i + 1), static_cast<int>(tiles_.size()));
        }
        return true;
    }

    void openInGoogleEarth() {
        const ProjectSettings& s = app_.settings;
        if (single_) {
            app_.run.TopKmlPath = join(s.kmlpath, s.imagename + ".kml");
        } else if (s.Check2 != 1) {
            app_.run.TopKmlPath = join(s.tilesdirr, s.projname + ".kml");
        }
        app_.run.TopKmlPath = shortenDocumentsAndSettings(app_.run.TopKmlPath);
        StartGoogleEarth(app_, app_.run.TopKmlPath);
    }

    AppState& app_;
    SizeClass sizeClass_;
    const KmlTreeLayout& layout_;
    bool single_;
    RunErrorPolicy policy_;
    KmlTreeOptions options_;
    std::string rootFile_;
    std::vector<TileSource> sources_;
    std::vector<KmlTile> tiles_;
};

}  // namespace

std::string missingWorldFileMessage(const std::string& worldFilePath) {
    return "The Reference Worldfile " + worldFilePath +
           " does not exits. OVT cannot continue unless all the tiles have their associated "
           "worldfiles! Ovt will now stop the conversion!";
}

void MakeKml(AppState& app, SizeClass sizeClass) {
    if (sizeClass == SizeClass::None)
        return;
    KmlTreeRun(app, sizeClass).run();
}

void MakeKml1024(AppState& app) {
    MakeKml(app, SizeClass::S1024);
}
void MakeKml2048(AppState& app) {
    MakeKml(app, SizeClass::S2048);
}
void MakeKml4096(AppState& app) {
    MakeKml(app, SizeClass::S4096);
}

}  // namespace orvanta
