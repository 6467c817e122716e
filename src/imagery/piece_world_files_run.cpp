#include <filesystem>
#include <optional>

#include "imagery/piece_world_files.h"
#include "magick/commands.h"
#include "platform/os_services.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

std::vector<std::string> withProgram(const char* program, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    return args;
}

// The background picture the short pieces are laid on, made once per run.
void makeBackground(const std::string& folder, Rgb colour) {
    std::filesystem::create_directories(folder + kPathSeparator + "Stiles");
    runConvert(
        withProgram("convert", backgroundPictureArguments(colour, backgroundPicturePath(folder))));
}

// Writes the world file of one piece and pads it when it is short.
void placePiece(StepPolicy& policy, const std::string& folder, const std::string& imageName,
                const PiecePlan& piece, PictureFormat pieceFormat, bool pad) {
    policy.run([&] {
        writeFileAtomically(pieceWorldFilePath(folder, imageName, piece.k, pieceFormat),
                            piece.worldFileText);
    });
    if (!piece.edge || !pad)
        return;
    policy.run([&] {
        const std::string image = pieceImagePath(folder, imageName, piece.k, pieceFormat);
        // A piece padded already (by a run that was stopped after it) stays as it is.
        if (pingImageSize(image) == PixelSize{kPieceSize, kPieceSize})
            return;
        runComposite(
            withProgram("composite", padPieceArguments(image, backgroundPicturePath(folder))));
    });
}

}  // namespace

bool placePieces(Host& host, StepPolicy& policy, const std::string& folder,
                 const std::string& imageName, const PieceWorldPlan& plan,
                 PictureFormat pieceFormat, std::optional<Rgb> background) {
    // The background picture only serves the padding: it is no part of the output.
    struct BackgroundRemover {
        std::string path;
        ~BackgroundRemover() {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
            std::filesystem::remove(std::filesystem::path(path).parent_path(), ignored);
        }
    };
    std::optional<BackgroundRemover> remover;
    if (plan.paddedPieces && background) {
        remover.emplace(BackgroundRemover{backgroundPicturePath(folder)});
        policy.run([&] { makeBackground(folder, *background); });
    }
    for (const PiecePlan& piece : plan.pieces) {
        placePiece(policy, folder, imageName, piece, pieceFormat, background.has_value());
        host.doEvents();
        if (policy.ended())
            return false;
    }
    return true;
}

}  // namespace orvanta
