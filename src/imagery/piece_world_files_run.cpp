#include <cstdlib>
#include <filesystem>

#include "app/error_policy.h"
#include "imagery/folder_scan.h"
#include "imagery/open_image.h"
#include "imagery/piece_world_files.h"
#include "magick/commands.h"
#include "platform/file_lookup.h"
#include "platform/os_services.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

std::vector<std::string> withProgram(const char* program, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    return args;
}

// The background picture the short pieces are laid on, made once per run.
void makeBackground(const std::string& folder, std::uint32_t colour) {
    std::filesystem::create_directories(folder + kPathSeparator + "Stiles");
    runConvert(withProgram(
        "convert", backgroundPictureArguments(colourText(colour), backgroundPicturePath(folder))));
}

}  // namespace

PieceSettings pieceSettings(LargeImageOptions& options) {
    const LargeImageOptions& loaded = ensureLoaded(options);
    return {loaded.Combo6, loaded.Label8};
}

bool PieceWorldFiles(AppState& app) {
    return PieceWorldFiles(app, pieceSettings(app.options));
}

namespace {

// The pieces of the project image, from its size and its world file.
PieceWorldPlan planFromSource(const ProjectSettings& settings) {
    std::string worldPath = findFileLoosely(projectWorldFilePath(settings));
    if (worldPath.empty())
        worldPath = projectWorldFilePath(settings);
    return planPieceWorldFiles(std::atoi(settings.Label1.c_str()),
                               std::atoi(settings.Label2.c_str()), readWorldFile(worldPath),
                               settings.imagename);
}

// Writes the world file of one piece and pads it when it is short.
void placePiece(RunErrorPolicy& policy, const std::string& folder, const std::string& imagename,
                const PiecePlan& piece, const PieceSettings& pieces) {
    policy.run([&] {
        writeFileAtomically(pieceWorldFilePath(folder, imagename, piece.k, pieces.pieceFormat),
                            piece.worldFileText);
    });
    if (!piece.edge)
        return;
    policy.run([&] {
        const std::string image = pieceImagePath(folder, imagename, piece.k, pieces.pieceFormat);
        runComposite(
            withProgram("composite", padPieceArguments(image, backgroundPicturePath(folder))));
    });
}

}  // namespace

bool PieceWorldFiles(AppState& app, const PieceSettings& pieces) {
    ProjectSettings& settings = app.settings;
    const std::string folder = pieceFolder(settings.projdir, settings.imagename);
    RunErrorPolicy policy(app);
    PieceWorldPlan plan;
    app.Transplist.clear();
    policy.run([&] { plan = planFromSource(settings); });
    if (policy.ended())
        return false;
    app.Transplist = plan.Transplist;
    app.run.PaddedPieces = plan.PaddedPieces;
    if (plan.PaddedPieces == "1")
        policy.run([&] { makeBackground(folder, pieces.background); });
    for (const PiecePlan& piece : plan.pieces) {
        placePiece(policy, folder, settings.imagename, piece, pieces);
        app.doEvents();
        if (policy.ended())
            return false;
    }

    settings.tilesdirr = folder;
    settings.kmlpath = folder;
    app.run.Root4096 = folder;
    app.run.sizeClass = SizeClass::None;
    policy.finish();
    getdirinfo(app, folder);  // its verdict is not needed: Transform checks the folder again
    return true;
}

}  // namespace orvanta
