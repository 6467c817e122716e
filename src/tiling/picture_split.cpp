#include "tiling/picture_split.h"

#include <cstdlib>
#include <filesystem>

#include "app/error_policy.h"
#include "app/paths.h"
#include "imagery/open_image.h"
#include "kml/lat_lon_bounds.h"
#include "platform/file_lookup.h"
#include "platform/os_services.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

constexpr std::uint32_t kWhite = 16777215;

// A text box read as a number: its leading integer, 0 when it has none.
int number(const std::string& text) {
    return std::atoi(text.c_str());
}

void setCopyParameters(PictureBoxes& boxes, int tileSize, int sourceX, int sourceY) {
    const std::string size = std::to_string(tileSize);
    boxes.CutSize = tileSize;
    boxes.Text1 = "0";
    boxes.Text2 = std::to_string(2 * tileSize);
    boxes.Text3 = boxes.Text4 = "0";
    boxes.Text5 = boxes.Text6 = boxes.Text9 = boxes.Text10 = size;
    boxes.Text7 = std::to_string(sourceX);
    boxes.Text8 = std::to_string(sourceY);
}

std::string missingTileWorldFileMessage(const std::string& path) {
    return "The Reference Worldfile " + path +
           " does not exits. OVT cannot continue unless all the tiles have their associated "
           "worldfiles! Ovt will now stop the conversion!";
}

// Saves a picture; a picture that was not written fails the step.
void save(cGdiPlus& saver, const Picture& picture, const std::string& path, long quality) {
    if (saver.PictureBoxToFile(picture, path, quality) == 0) {
        throw RunError(errors::PathFileAccess, "Path/File access error: " + path);
    }
}

}  // namespace

void stretchRect(const Picture& source, Picture& destination, const CopyRect& to,
                 const CopyRect& from) {
    if (to.width <= 0 || to.height <= 0 || from.width <= 0 || from.height <= 0)
        return;
    for (int dy = 0; dy < to.height; ++dy) {
        const int y = to.y + dy;
        // The top row of the destination rectangle shows the top row of the source rectangle.
        const long long sourceRow =
            from.y + from.height - 1 - static_cast<long long>(dy) * from.height / to.height;
        if (y < 0 || y >= destination.height() || sourceRow < 0 || sourceRow >= source.height())
            continue;
        for (int dx = 0; dx < to.width; ++dx) {
            const int x = to.x + dx;
            const long long sourceColumn =
                from.x + static_cast<long long>(dx) * from.width / to.width;
            if (x < 0 || x >= destination.width() || sourceColumn < 0 ||
                sourceColumn >= source.width())
                continue;
            destination.setPixel(x, y,
                                 source.pixelFromBottom(static_cast<int>(sourceColumn),
                                                        static_cast<int>(sourceRow)));
        }
    }
}

void StretchCopy(PictureBoxes& boxes, const Picture& source, Picture& destination) {
    const int size = boxes.CutSize;
    if (destination.width() != size || destination.height() != size) {
        destination = Picture(size, size, kWhite);
    }
    stretchRect(
        source, destination,
        {number(boxes.Text3), number(boxes.Text4), number(boxes.Text5), number(boxes.Text6)},
        {number(boxes.Text7), number(boxes.Text8), number(boxes.Text9), number(boxes.Text10)});
}

void QuarterSplit(PictureBoxes& boxes, cGdiPlus& saver, Host& host, const std::string& folder,
                  const std::string& baseName, const std::string& format) {
    // Source origins from the bottom row: top-left, top-right, bottom-left, bottom-right.
    const int origins[4][2] = {{0, 256}, {256, 256}, {0, 0}, {256, 0}};
    for (int i = 1; i <= 4; ++i) {
        setCopyParameters(boxes, 256, origins[i - 1][0], origins[i - 1][1]);
        boxes.Text2 = "512";
        StretchCopy(boxes, boxes.Picture4, boxes.Picture3);
        const std::string path =
            folder + kPathSeparator + baseName + "_" + std::to_string(i) + "." + format;
        const bool saved = saver.PictureBoxToFile(boxes.Picture3, path, 85) != 0;
        host.messageBox(saved ? "ok" : "Not K", kAppTitle);
    }
}

TileGrid fullResolutionGrid(int width, int height) {
    int size = 0;
    if (width > 4096 && height > 4096) {
        size = 4096;
    } else if (width <= 4096 && height <= 4096 && width >= 1024 && height > 1024) {
        size = 1024;
    }
    if (size == 0)
        return {};
    return {size, (width + size - 1) / size, (height + size - 1) / size};
}

std::string tileWorldFileText(const WorldFile& source, int row, int column, int tileSize) {
    const double a = WorldFile::number(source.A).value_or(0);
    const double e = WorldFile::number(source.E).value_or(0);
    const std::optional<double> c = WorldFile::number(source.C);
    const std::optional<double> f = WorldFile::number(source.F);
    if (!c || !f)
        throw RunError(errors::TypeMismatch, "Type mismatch: the world file has no origin");
    return joinCrLf({source.A, "0.000000000000000", "0.000000000000000", source.E,
                     FormatNumber(*c + static_cast<double>(column) * tileSize * a),
                     FormatNumber(*f + static_cast<double>(row) * tileSize * e)});
}

namespace {

// Where the tiles of a full-resolution split go and how they are located.
struct TileOutput {
    std::string folder;
    std::string worldExtension;
    WorldFile world;
    int tileSize = 0;
};

// Cuts tile number i, in `row` and `column`, out of the display picture and writes it and its
// world file.
void writeTile(AppState& app, PictureBoxes& boxes, cGdiPlus& saver, RunErrorPolicy& policy,
               const TileOutput& output, int row, int column, int i) {
    const int T = output.tileSize;
    // The tile's own rectangle, its y counted from the bottom row of the image.
    setCopyParameters(boxes, T, column * T, boxes.picDisplay.height() - (row + 1) * T);
    boxes.Picture2 = Picture(T, T, kWhite);
    StretchCopy(boxes, boxes.picDisplay, boxes.Picture2);
    ProjectSettings& settings = app.settings;
    if (settings.Check4 == 1)
        settings.Combo2 = "PNG";
    const std::string name =
        output.folder + kPathSeparator + settings.imagename + "_" + std::to_string(i);
    policy.run([&] { save(saver, boxes.Picture2, name + "." + settings.Combo2, 100); });
    policy.run([&] {
        writeFileAtomically(name + "." + output.worldExtension,
                            tileWorldFileText(output.world, row, column, T));
    });
}

}  // namespace

void FullResolutionSplit(AppState& app, PictureBoxes& boxes, cGdiPlus& saver) {
    ProjectSettings& settings = app.settings;
    if (settings.Projectimage.empty() || settings.Label1.empty() || settings.Label2.empty()) {
        app.host().messageBox("No Image was loaded!", kAppTitle);
        return;
    }
    app.setStatus("...");
    const TileGrid grid = fullResolutionGrid(number(settings.Label1), number(settings.Label2));
    const std::string worldPath = projectWorldFilePath(settings);
    const std::string foundWorld = findFileLoosely(worldPath);
    if (foundWorld.empty()) {
        app.host().messageBox(missingTileWorldFileMessage(worldPath), kAppTitle);
        return;
    }

    RunErrorPolicy policy(app);
    TileOutput output{settings.projdir + kPathSeparator + "Tiles",
                      GetFileExtension(worldPath),
                      {},
                      grid.tileSize};
    policy.run([&] { output.world = readWorldFile(foundWorld); });
    policy.run([&] {
        int ownWidth = -1, ownHeight = -1;
        boxes.picDisplay = LoadPictureResized(settings.Projectimage, ownWidth, ownHeight, kWhite);
    });
    settings.tilesdirr = output.folder;
    policy.run([&] { std::filesystem::create_directories(output.folder); });
    policy.run([&] {
        writeFileAtomically(output.folder + kPathSeparator + "tiles.txt", joinCrLf({" "}));
    });
    const int total = grid.rows * grid.columns;
    for (int i = 1; i <= total && !policy.ended(); ++i) {
        writeTile(app, boxes, saver, policy, output, (i - 1) / grid.columns, (i - 1) % grid.columns,
                  i);
        app.host().progress(i, total);
        app.doEvents();
    }
    boxes.picDisplay = boxes.Picture2 = boxes.Picture3 = boxes.Picture4 = Picture();
    policy.finish();
}

}  // namespace orvanta
