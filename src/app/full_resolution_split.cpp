#include "app/full_resolution_split.h"

#include <cstdlib>
#include <filesystem>

#include "app/app_state.h"
#include "app/error_policy.h"
#include "app/open_image.h"
#include "app/tile_run.h"
#include "platform/file_lookup.h"
#include "platform/os_services.h"
#include "platform/path_names.h"
#include "platform/text_file.h"
#include "tiling/grid_splitter.h"
#include "tiling/tile_set.h"

namespace orvanta {
namespace {

constexpr std::uint32_t kWhite = 16777215;

std::string missingTileWorldFileMessage(const std::string& path) {
    return "The Reference Worldfile " + path +
           " does not exits. OVT cannot continue unless all the tiles have their associated "
           "worldfiles! Ovt will now stop the conversion!";
}

// Saves a picture; a picture that was not written fails the step.
void save(cGdiPlus& saver, const Picture& picture, const std::string& path, long quality) {
    if (saver.PictureBoxToFile(picture, path, quality) == 0)
        throw RunError(errors::PathFileAccess, "Path/File access error: " + path);
}

// Where the tiles of a full-resolution split go and how they are located.
struct FullResolutionTiles {
    std::string folder;
    std::string worldExtension;
    WorldFile world;
    int tileSize = 0;
    std::string format;  // PNG when a colour is made transparent
};

// Cuts tile number i, in `row` and `column`, out of the display picture and writes it and its
// world file.
void writeTile(const std::string& imageName, PictureBoxes& boxes, cGdiPlus& saver,
               StepPolicy& policy, const FullResolutionTiles& output, int row, int column, int i) {
    cutTile(boxes, output.tileSize, row, column);
    const std::string name = output.folder + kPathSeparator + imageName + "_" + std::to_string(i);
    policy.run([&] { save(saver, boxes.piece, name + "." + output.format, 100); });
    policy.run([&] {
        writeFileAtomically(name + "." + output.worldExtension,
                            tileWorldFileText(output.world, row, column, output.tileSize));
    });
}

// The last 1024 image the split of the project cuts into its 512 level, and that level's folder:
// the project's last image of a 1024 run; the last 1024 piece in Tgroup1 of a 4096 run, once
// it has been split.
std::optional<std::pair<SourceImage, std::string>> last1024Image(const AppState& app) {
    const SizeClass sizeClass = app.run.sizeClass;
    if (sizeClass != SizeClass::S1024 && sizeClass != SizeClass::S4096)
        return std::nullopt;
    const TileRun run = currentRun(app, sizeClass, false);
    const TileSet tiles{run.root};
    std::vector<SourceImage> images;
    if (sizeClass == SizeClass::S4096)
        images = folderImages(tiles.tgroup1());
    else if (run.singleImage)
        images = {{run.image, run.imageName}};
    else
        images = folderImages(run.sources, run.leftOut);
    if (images.empty())
        return std::nullopt;
    return std::pair{images.back(), tiles.sgroup1()};
}

}  // namespace

void ScaleAndQuarterSplit(AppState& app, PictureBoxes& boxes, cGdiPlus& saver) {
    const auto last = last1024Image(app);
    if (!last) {
        app.host().messageBox(
            "There is no 1024 image of a split to scale: open an image or folder of 1024 or "
            "4096 pixel images (a 4096 one split first) and try again.",
            kAppTitle);
        return;
    }
    const auto& [image, folder] = *last;
    RunErrorPolicy policy(app);
    policy.run([&] {
        int width = 512, height = 512;
        boxes.scaled = LoadPictureResized(image.path, width, height, kWhite);
        QuarterSplit(boxes, saver, app.host(), folder, image.name,
                     formatName(app.settings.outputFormat));
    });
    policy.finish();
}

void FullResolutionSplit(AppState& app, PictureBoxes& boxes, cGdiPlus& saver) {
    ProjectSettings& settings = app.settings;
    if (settings.projectImage.empty() || settings.widthText.empty() ||
        settings.heightText.empty()) {
        app.host().messageBox("No Image was loaded!", kAppTitle);
        return;
    }
    app.setStatus("...");
    const TileGrid grid = fullResolutionGrid(std::atoi(settings.widthText.c_str()),
                                             std::atoi(settings.heightText.c_str()));
    const std::string worldPath = projectWorldFilePath(settings);
    const std::string foundWorld = findFileLoosely(worldPath);
    if (foundWorld.empty()) {
        app.host().messageBox(missingTileWorldFileMessage(worldPath), kAppTitle);
        return;
    }

    RunErrorPolicy policy(app);
    FullResolutionTiles output{
        settings.imageFolder + kPathSeparator + "Tiles",
        GetFileExtension(worldPath),
        {},
        grid.tileSize,
        formatName(settings.transparent ? PictureFormat::Png : settings.outputFormat)};
    policy.run([&] { output.world = readWorldFile(foundWorld); });
    policy.run([&] {
        int ownWidth = -1, ownHeight = -1;
        boxes.display = LoadPictureResized(settings.projectImage, ownWidth, ownHeight, kWhite);
    });
    settings.tilesFolder = output.folder;
    policy.run([&] { std::filesystem::create_directories(output.folder); });
    policy.run([&] {
        writeFileAtomically(output.folder + kPathSeparator + "tiles.txt", joinCrLf({" "}));
    });
    const int total = grid.rows * grid.columns;
    for (int i = 1; i <= total && !policy.ended(); ++i) {
        writeTile(settings.imageName, boxes, saver, policy, output, (i - 1) / grid.columns,
                  (i - 1) % grid.columns, i);
        app.host().progress(i, total);
        app.doEvents();
    }
    boxes.display = boxes.piece = boxes.copy = Picture();
    policy.finish();
}

}  // namespace orvanta
