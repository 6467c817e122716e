#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/batch_shards.h"
#include "app/outcome.h"
#include "app/project_settings.h"
#include "app/reprojection.h"
#include "imagery/globe.h"
#include "imagery/piece_world_files.h"
#include "imagery/world_file.h"
#include "kml/kml_tree.h"
#include "options/large_image_options.h"
#include "platform/pixel_engine.h"
#include "tiling/grid_splitter.h"
#include "tiling/large_slicer.h"

namespace orvanta {

// The kinds of run a project can make, chosen in this order: the first that applies wins.
enum class RunKind { MultiResolution, SingleImage, Batch, Folder };
RunKind chooseRun(const ProjectSettings& settings);

// Everything a job is planned from besides what the files hold: the person's settings (which
// the job only reads) and the choices of this run.
struct JobSettings {
    ProjectSettings project;
    bool kmlOnly = false;     // only the KML files are written again, over existing tiles
    bool largeImage = false;  // the project image goes to the large-image slicer
    bool sliceOnly = false;   // the large image is only cut into its pieces (no tiles)
    std::string root4096;     // the folder of a 4096 folder run
    // The tiles folder holds the padded pieces of a large image (placed by the window's piece
    // steps): their names and image areas.
    std::optional<PieceWorldPlan> paddedPieces;
    // The size class the person picked for the run (the split and KML buttons of the advanced
    // panel); otherwise the input's own.
    std::optional<SizeClass> sizeClass;
    PixelEngine engine = PixelEngine::Vips;
    int jobs = 1;
    bool resume = false;  // keep the files an earlier run made from the same sources and settings
    LargeImageSettings large;
    bool pieceFormatChosen = false;  // the piece format was chosen for this run
    std::optional<BatchShard> shard;
    std::string projectFileToSave;  // a project file the front end writes after the job
    // An existing archive or project file is replaced without asking: the person confirmed it
    // when choosing the file.
    bool replaceOutputs = false;
    // How the person reaches the large-image slicer, named when an image is of no tile size.
    std::string largeImageCommand;
    // The project image when it lies in another coordinate system and is warped to WGS84
    // latitude/longitude as it is read: it is sliced as a large image from the warped pixels.
    std::optional<WarpedProjectImage> warped;
    Resampling resampling = Resampling::Bilinear;
};

// One source image as the job found it before any work: checked once (header and world file)
// and named by what its tiles are made from.
struct PlacedImage {
    std::string path;
    std::string name;  // the name its tiles carry
    std::uint32_t width = 0, height = 0;
    // Where its world file is, or where the listing program makes a GeoTIFF's.
    std::string worldFile;
    std::string identity;    // its bytes and its world file's (contentIdentity), for the manifest
    GlobeWindow globe = {};  // the part of its pixels that lies on the globe
    bool operator==(const PlacedImage&) const = default;
};

// One input of the job: a single image, or a folder of tiles with its usable images.
struct InputFacts {
    std::string path;
    SizeClass sizeClass = SizeClass::None;
    std::vector<PlacedImage> images;  // in file-name order; images left out are not among them
};

// The image handed to the large-image slicer.
struct LargeFacts {
    PlacedImage image;
    WorldFile world;
    bool hasAlpha = false;  // it has transparent parts
};

// What the job read of the files before the plan: its inputs by the kind of run (the one
// image, the pair, the folder, every folder of the batch), the large image, and the images
// whose transparent parts the chosen formats would lose.
struct JobFacts {
    std::vector<InputFacts> inputs;
    std::optional<LargeFacts> large;
    std::vector<std::string> imagesWithAlpha;
};

// One tile root of the plan: what is cut into it and the KML tree written over it.
struct RootPlan {
    SplitRequest split;                // empty of images when only KML is written
    std::vector<std::string> recipes;  // of each image of the split: what makes its files
    KmlTreeRequest kml;
    // Files of the tree named after these (the images' names, or a large image's) that the plan
    // does not write are left over from earlier runs and removed.
    std::vector<std::string> ownNames;
    bool openWhenDone = false;  // Google Earth is started on the root file when it is written
    std::size_t position = 0;   // of its folder in a batch
};

// Cutting a large image into its 4096 pieces.
struct SlicePlan {
    std::string image;
    std::string folder;
    std::string name;
    PieceWorldPlan pieces;
    SliceSettings settings;
    std::string recipe;  // what makes the pieces
    // Padded, the pieces reach beyond the globe: the person is asked first.
    std::optional<PieceExtent> beyondTheGlobe;
    // The pixel engine cuts the pieces while it tiles them, from the rows it reads once (JPG and
    // PNG pieces): the 4096 run over the piece folder does both.
    bool cutWhileTiling = false;
    // The image is warped as it is read (see JobSettings): the pieces are cut from the warped
    // pixels, padded by the band writer whatever the engine.
    std::optional<WarpedProjectImage> warped;
    Resampling resampling = Resampling::Bilinear;
};

// The top file over the root files of the job's trees: of a batch (over the roots of its
// folders; for a share of the batch, its shard file instead), or of a pair given a name.
struct TopFilePlan {
    std::string path;
    bool batch = false;
    std::vector<std::string> roots;  // of a batch's folders, all of them
    DisplayOrder order = DisplayOrder::Low;
    std::string linksFrom;  // the top file's folder for relative links; empty for full paths
    // A pair's top file links each root file by its name and this href.
    std::vector<std::pair<std::string, std::string>> links;
    bool openWhenDone = false;
    std::optional<ShardRecord> shard;  // written to shardPath instead of the top file
    std::string shardPath;
};

// Everything a job will do, decided before any of it: nothing here is read from or written to
// the disk.
struct JobPlan {
    RunKind kind = RunKind::Folder;
    bool kmlOnly = false;
    bool resume = false;  // files whose recipe the manifest records are kept
    std::string projectName;
    std::optional<SlicePlan> slice;
    std::vector<RootPlan> roots;
    std::optional<TopFilePlan> top;
    bool openTopFilesWhenDone = false;  // a pair: Google Earth on its top files at the end
    std::string archive;                // the KMZ file the result is packed into
    bool previewPage = false;           // the preview page is written beside the first top file
    std::string projectFile;            // saved by the front end after the job
    bool replaceOutputs = false;        // see JobSettings
    std::vector<std::string> inputs;    // every file the job reads: no output may be one of them
    std::string notice;                 // what the person should know of the result
};

// Why a job cannot be planned: told to the person before any work.
struct PlanRefusal {
    std::string message;
    Ending ending = Ending::Failed;
};

// The plan of the job the settings describe over the facts read for it.
std::variant<JobPlan, PlanRefusal> planJob(const JobSettings& settings, const JobFacts& facts);

// The format the large image's pieces are written in: the chosen one, except that JPG pieces
// of an image with transparent parts are PNG unless the run chose JPG itself, so that the
// transparency reaches the tiles.
PictureFormat largePieceFormat(const JobSettings& settings, bool imageHasAlpha);

}  // namespace orvanta
