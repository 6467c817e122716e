#include "imagery/piece_world_files.h"

#include <algorithm>

#include "imagery/number_text.h"
#include "platform/os_services.h"
#include "platform/run_error.h"
#include "platform/text_case.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

double requireNumber(const std::string& text) {
    if (auto value = WorldFile::number(text))
        return *value;
    throw RunError(errors::TypeMismatch, "Type mismatch: '" + text + "' in the world file");
}

int piecesAlong(int pixels) {
    return (pixels + kPieceSize - 1) / kPieceSize;
}

// The pixels of the image within `size` pixels that start `offset` pixels into a run of
// `pixels` image pixels.
int within(int pixels, int offset, int size) {
    return std::clamp(pixels - offset, 0, size);
}

// Lists an edge piece and its sixteen 1024 parts (quarter q, then part s of it, each row by
// row), with the part of each that holds the image: `area` of the piece.
void appendEdgePieces(PieceWorldPlan& plan, const std::string& piece, ImageArea area) {
    plan.paddedPieceNames.push_back(piece);
    plan.paddedPieceAreas.push_back(area);
    constexpr int part = kPieceSize / 4;
    for (int q = 0; q <= 3; ++q) {
        for (int s = 0; s <= 3; ++s) {
            const int x = q % 2 * 2 * part + s % 2 * part, y = q / 2 * 2 * part + s / 2 * part;
            plan.paddedPieceNames.push_back(piece + "_" + std::to_string(q) + "_" +
                                            std::to_string(s));
            plan.paddedPieceAreas.push_back(
                {within(area.width, x, part), within(area.height, y, part)});
        }
    }
}

}  // namespace

void listPaddedPiece(PieceWorldPlan& plan, int k, int width, int height,
                     const std::string& imageName) {
    const std::string piece = imageName + "_" + std::to_string(k);
    if (Searchlist(plan.paddedPieceNames, piece) >= 0)
        return;
    const int columns = pieceGrid(width, height).columns;
    const int x = k % columns * kPieceSize, y = k / columns * kPieceSize;
    appendEdgePieces(plan, piece, {within(width, x, kPieceSize), within(height, y, kPieceSize)});
    plan.paddedPieces = true;
}

PieceGrid pieceGrid(int width, int height) {
    return {piecesAlong(width), piecesAlong(height)};
}

std::string pieceWorldFileText(const WorldFile& source, double x, double y) {
    return joinCrLf({trimBlanks(source.A), trimBlanks(source.D), trimBlanks(source.B),
                     trimBlanks(source.E), FormatNumber(x), FormatNumber(y)});
}

PieceWorldPlan planPieceWorldFiles(int width, int height, const WorldFile& source,
                                   const std::string& imageName) {
    const double a = requireNumber(source.A);
    const double e = requireNumber(source.E);
    const double c0 = requireNumber(source.C);
    const double f0 = requireNumber(source.F);
    const PieceGrid grid = pieceGrid(width, height);
    const bool shortColumn = width % kPieceSize != 0;
    const bool shortRow = height % kPieceSize != 0;

    PieceWorldPlan plan;
    int k = 0;
    for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c, ++k) {
            PiecePlan piece{k, r, c, false, {}};
            const double x = c * static_cast<double>(kPieceSize) * a + c0;
            const double y = r * static_cast<double>(kPieceSize) * e + f0;
            piece.worldFileText = pieceWorldFileText(source, x, y);
            piece.edge = (shortColumn && c == grid.columns - 1) || (shortRow && r == grid.rows - 1);
            if (piece.edge) {
                const ImageArea area{within(width, c * kPieceSize, kPieceSize),
                                     within(height, r * kPieceSize, kPieceSize)};
                appendEdgePieces(plan, imageName + "_" + std::to_string(k), area);
                plan.paddedPieces = true;
            }
            plan.pieces.push_back(std::move(piece));
        }
    }
    return plan;
}

std::string pieceFolder(const std::string& imageFolder, const std::string& imageName) {
    return imageFolder + kPathSeparator + imageName + "L";
}

std::string pieceImagePath(const std::string& folder, const std::string& imageName, int k,
                           PictureFormat pieceFormat) {
    return folder + kPathSeparator + imageName + "_" + std::to_string(k) + "." +
           formatName(pieceFormat);
}

std::string pieceWorldFilePath(const std::string& folder, const std::string& imageName, int k,
                               PictureFormat pieceFormat) {
    return folder + kPathSeparator + imageName + "_" + std::to_string(k) + "." +
           getworldfile(formatName(pieceFormat));
}

std::string backgroundPicturePath(const std::string& folder) {
    return folder + kPathSeparator + "Stiles" + kPathSeparator + "black.jpg";
}

std::vector<std::string> backgroundPictureArguments(Rgb colour, const std::string& backgroundPath) {
    return {"-size", std::to_string(kPieceSize) + "x" + std::to_string(kPieceSize),
            "xc:" + colour.text(), backgroundPath};
}

std::vector<std::string> padPieceArguments(const std::string& piecePath,
                                           const std::string& backgroundPath) {
    return {"-geometry", "+0+0", piecePath, backgroundPath, piecePath};
}

}  // namespace orvanta
