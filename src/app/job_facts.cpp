#include "app/job_facts.h"

#include <filesystem>

#include "app/open_image.h"
#include "app/paths.h"
#include "imagery/folder_scan.h"
#include "imagery/geo_image.h"
#include "imagery/georeference.h"
#include "imagery/geotiff.h"
#include "imagery/world_file.h"
#include "magick/commands.h"
#include "platform/file_identity.h"
#include "platform/file_list.h"
#include "platform/file_lookup.h"
#include "platform/path_names.h"
#include "tiling/tile_set.h"

namespace orvanta {
namespace {

// Reads the facts of one job, telling the person of the first input that cannot be used.
class FactsReader {
  public:
    FactsReader(const JobSettings& settings, Host& host, Outcome& outcome)
        : settings_(settings), s_(settings.project), host_(host), outcome_(outcome) {}

    std::optional<JobFacts> read(const std::optional<ScannedFolder>& scanned) {
        switch (chooseRun(s_)) {
            case RunKind::MultiResolution:
                for (std::size_t pass = 0; pass < 2 && pass < s_.multiResolutionImages.size();
                     ++pass) {
                    const std::string& image = s_.multiResolutionImages[pass];
                    if (!addImage(image, folderOf(image), baseNameOf(image), true))
                        return std::nullopt;
                }
                break;
            case RunKind::SingleImage:
                if (!addImage(s_.projectImage, s_.imageFolder, s_.imageName, false))
                    return std::nullopt;
                break;
            case RunKind::Batch:
                for (const std::string& folder : s_.batchFolders) {
                    if (!addFolder(folder, std::nullopt))
                        return std::nullopt;
                }
                break;
            case RunKind::Folder:
                if (!addFolder(folderRunSources(scanned), scanned))
                    return std::nullopt;
                break;
        }
        findTransparency();
        return facts_;
    }

  private:
    bool refuse(const std::string& message, Ending ending = Ending::Failed) {
        if (!message.empty())
            host_.messageBox(message, kAppTitle);
        outcome_.note(ending);
        return false;
    }

    // The content of an image and of its world file, for a run that cuts tiles.
    std::string identity(const std::string& image, const std::string& worldFile) const {
        if (settings_.kmlOnly)
            return {};
        return contentIdentity(image) + " world " +
               (worldFile.empty() ? std::string("none") : contentIdentity(worldFile));
    }

    // Where the image's pixels lie on the globe, by its world file or the georeference it
    // holds itself; unbounded when neither can be read (the KML pass tells of it).
    GlobeWindow globeOf(const std::string& image, const std::string& worldFile) const {
        if (!worldFile.empty())
            return worldFileGlobe(worldFile, s_.exactEdges);
        const std::optional<WorldFile> own = embeddedWorldFile(image);
        return own ? globeWindow(*own, s_.exactEdges) : GlobeWindow{};
    }

    // The image of a single-image run or of a pass of a pair, in `folder` named `name`.
    bool addImage(const std::string& image, const std::string& folder, const std::string& name,
                  bool pairPass) {
        const ImageFacts facts = readImageFacts(image);
        const ImageHeaderInfo& header = facts.header;
        const std::optional<SizeClass> sizeClass = tileSizeClass(header.width, header.height);
        const bool large = !sizeClass && settings_.largeImage && !settings_.kmlOnly && !pairPass;
        if (!sizeClass && pairPass) {
            outcome_.closeProject = true;
            return refuse(notTileSizeRefusal(image, facts, settings_.largeImageCommand));
        }
        if (large && settings_.warped && settings_.warped->source.path == image)
            return addWarpedImage(*settings_.warped, name);
        ProjectSettings where = s_;
        where.projectImage = image;
        where.imageFolder = folder;
        where.imageName = name;
        const std::string spelled = projectWorldFilePath(where);
        if (!large && findFileLoosely(spelled).empty() && GetFileExtension(spelled) == "tfw")
            convertGeoTiffInto(host_, image, spelled);
        const std::string worldFile = findFileLoosely(spelled);
        // Without a world file, the georeference the image holds itself.
        const std::optional<WorldFile> own =
            worldFile.empty() ? embeddedWorldFile(image) : std::nullopt;
        if (worldFile.empty() && !own)
            return refuse(imageWithoutWorldFileMessage(image));
        if (const std::string refusal =
                own ? georeferenceRefusal(image, *own, header.width, header.height,
                                          kImageNotWgs84Message)
                    : worldFileRefusal(worldFile, header.width, header.height,
                                       kImageNotWgs84Message, unreferencedImageText(image));
            !refusal.empty()) {
            return refuse(refusal);
        }
        const PlacedImage placed{image,
                                 name,
                                 header.width,
                                 header.height,
                                 worldFile.empty() ? spelled : worldFile,
                                 identity(image, worldFile),
                                 globeOf(image, worldFile)};
        if (large) {
            facts_.large =
                LargeFacts{placed, own ? *own : readWorldFile(worldFile), imageHasAlpha(image)};
            if (facts_.large->hasAlpha)
                facts_.imagesWithAlpha.push_back(image);
            return true;
        }
        facts_.inputs.push_back({image, sizeClass.value_or(SizeClass::None), {placed}});
        return true;
    }

    // The large image warped to WGS84 latitude/longitude as it is read: placed on its grid,
    // named by its bytes and by what shapes the warped pixels.
    bool addWarpedImage(const WarpedProjectImage& warped, const std::string& name) {
        const WorldFile world = gridWorldFile(warped.grid);
        const std::string& image = warped.source.path;
        const std::string made =
            identity(image, {}) + " warped " + resamplingName(settings_.resampling) + " to " +
            world.A + " " + world.E + " " + world.C + " " + world.F + " " +
            std::to_string(warped.grid.width) + "x" + std::to_string(warped.grid.height);
        const auto width = static_cast<std::uint32_t>(warped.grid.width);
        const auto height = static_cast<std::uint32_t>(warped.grid.height);
        facts_.large =
            LargeFacts{{image, name, width, height, {}, made, {}}, world, warped.keepAlpha};
        if (warped.keepAlpha)
            facts_.imagesWithAlpha.push_back(image);
        return true;
    }

    // The folder a folder run reads: its tiles folder, or the 4096 root the window's steps
    // set for it.
    std::string folderRunSources(const std::optional<ScannedFolder>& scanned) const {
        const bool of4096 =
            scanned && scanned->folder == s_.tilesFolder && scanned->sizeClass == SizeClass::S4096;
        return of4096 && !settings_.root4096.empty() ? settings_.root4096 : s_.tilesFolder;
    }

    // A folder of tiles: scanned now, unless the window's input steps scanned it already.
    bool addFolder(const std::string& folder, const std::optional<ScannedFolder>& scanned) {
        InputFacts input{folder, SizeClass::None, {}};
        std::vector<std::string> leftOut;
        if (scanned && scanned->folder == folder && scanned->sizeClass != SizeClass::None) {
            input.sizeClass = scanned->sizeClass;
            leftOut = scanned->leftOut;
        } else {
            const FolderScan scan = scanFolder(
                host_, folder, s_.outputFolder.empty() ? "" : madeWorldFileFolder(s_, folder));
            if (!scan.usable || !scan.sizeClass)
                return refuse({});  // the scan has told the person why, or the folder is empty
            input.sizeClass = *scan.sizeClass;
            leftOut = scan.imagesLeftOut;
        }
        const std::string made = s_.outputFolder.empty() ? folder : madeWorldFileFolder(s_, folder);
        for (const SourceImage& image : folderImages(folder, leftOut)) {
            const std::string extension = GetFileExtension(image.path);
            std::string world = findWorldFile(folder, image.name, extension);
            if (world.empty())
                world = findWorldFile(made, image.name, extension);
            // Not found: a GeoTIFF's is made where the output folder wants it.
            const std::string at =
                world.empty()
                    ? worldFilePathFor(s_,
                                       joinPath(folder, image.name + "." + getworldfile(extension)))
                    : world;
            input.images.push_back({image.path, image.name, 0, 0, at, identity(image.path, world),
                                    globeOf(image.path, world)});
        }
        facts_.inputs.push_back(std::move(input));
        return true;
    }

    // The first image with transparent parts, when the tiles cannot hold them.
    void findTransparency() {
        if (s_.transparent || s_.outputFormat != PictureFormat::Jpg || facts_.large)
            return;
        for (const InputFacts& input : facts_.inputs) {
            for (const PlacedImage& image : input.images) {
                if (imageHasAlpha(image.path)) {
                    facts_.imagesWithAlpha.push_back(image.path);
                    return;
                }
            }
        }
    }

    const JobSettings& settings_;
    const ProjectSettings& s_;
    Host& host_;
    Outcome& outcome_;
    JobFacts facts_;
};

}  // namespace

std::optional<JobFacts> readJobFacts(const JobSettings& settings, Host& host,
                                     const std::optional<ScannedFolder>& scanned,
                                     Outcome& outcome) {
    return FactsReader(settings, host, outcome).read(scanned);
}

}  // namespace orvanta
