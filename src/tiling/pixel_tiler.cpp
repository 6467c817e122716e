#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "pixels/picture_codecs.h"
#include "pixels/pixel_image.h"
#include "platform/run_error.h"
#include "platform/scratch_files.h"
#include "tiling/image_tiling.h"
#include "tiling/large_slicer.h"
#include "tiling/row_tiler.h"
#include "tiling/square_feed.h"

namespace orvanta {
namespace {

// The outputs that hold any of the image; the files of the others are removed where an
// earlier run left them.
std::vector<TileOutput> withoutPadding(const ImageTiling& image,
                                       const std::vector<TileOutput>& outputs) {
    std::vector<TileOutput> kept;
    for (const TileOutput& output : outputs) {
        if (!inPadding(image, output)) {
            kept.push_back(output);
            continue;
        }
        std::error_code error;
        std::filesystem::remove(output.path, error);
        if (error)
            throw std::filesystem::filesystem_error("cannot delete the file", output.path, error);
    }
    return kept;
}

// What a piece of a large image needs: its file and its tiles, or, when an earlier run cut the
// same piece and left it, only the tiles it left missing (all of them unless it made them from
// the same piece and settings).
struct PieceWork {
    bool writePiece = true;
    std::vector<TileOutput> all, outputs;
    bool nothing() const { return !writePiece && outputs.empty(); }
};

PieceWork pieceWork(const ImageTiling& piece, const PiecesToCut& cut) {
    PieceWork work;
    work.all = tileOutputs(piece);
    work.outputs = withoutPadding(piece, work.all);
    std::error_code ignored;
    if (cut.keepPieces && std::filesystem::exists(piece.source, ignored)) {
        work.writePiece = false;
        if (piece.keepExisting)
            work.outputs = missingOutputs(piece);
    }
    return work;
}

// The piece's file written as its rows come, and its tiles cut from the same rows.
SquareCut pieceCut(const ImageTiling& piece, const PieceWork& work, const PiecesToCut& cut) {
    if (work.nothing())
        return {[](const PixelImage&) { return std::vector<TileWrite>{}; }, {}};
    auto tiler = std::make_shared<RowTiler>(piece, work.all, work.outputs);
    std::shared_ptr<ScratchFile> file;
    std::shared_ptr<PictureStream> stream;
    if (work.writePiece) {
        file = std::make_shared<ScratchFile>(piece.source);
        stream = std::make_shared<PictureStream>(
            file->descriptor(), piece.source, kPieceSize, kPieceSize, cut.source.hasAlpha() ? 4 : 3,
            cut.pieceFormat == PictureFormat::Png, kPieceQuality);
    }
    SquareCut square;
    // A failure drops the scratch file with the last copy of `file`.
    square.feed = [tiler, stream](const PixelImage& rows) {
        if (stream)
            rows.appendTo(*stream);
        return tiler->feed(rows);
    };
    if (stream) {
        square.finish = [file, stream] {
            stream->finish();
            file->commit();
        };
    }
    return square;
}

}  // namespace

void tileWithPixels(const ImageTiling& image, int jobs) {
    const std::vector<TileOutput> all = tileOutputs(image);
    const std::vector<TileOutput> wanted = withoutPadding(image, all);
    const std::vector<TileOutput> outputs = image.keepExisting ? missingOutputs(image) : wanted;
    if (outputs.empty())
        return;
    const PixelImage source = PixelImage::open(image.source);
    const int edge = edgePixels(image.sizeClass);
    if (source.width() != edge || source.height() != edge) {
        throw RunError(errors::ImageTool, image.source + " is not " + std::to_string(edge) + " x " +
                                              std::to_string(edge) + " pixels.");
    }
    SquareFeedSettings settings;
    settings.edge = edge;
    settings.jobs = jobs;
    std::exception_ptr failure;
    feedSquares(
        source, settings,
        [&](int) {
            auto tiler = std::make_shared<RowTiler>(image, all, outputs);
            return SquareCut{[tiler](const PixelImage& rows) { return tiler->feed(rows); }, {}};
        },
        [&](int, std::exception_ptr error) { failure = std::move(error); }, {});
    if (failure)
        std::rethrow_exception(failure);
}

void cutPiecesWithPixels(const PiecesToCut& cut, const std::vector<ImageTiling>& pieces, int jobs,
                         const std::function<void(int k, std::exception_ptr error)>& done,
                         const std::function<void()>& between) {
    std::vector<PieceWork> work;
    for (const ImageTiling& piece : pieces)
        work.push_back(pieceWork(piece, cut));
    if (std::all_of(work.begin(), work.end(), [](const PieceWork& w) { return w.nothing(); }))
        return;
    SquareFeedSettings settings;
    settings.grid = pieceGrid(cut.source.width(), cut.source.height());
    settings.background = cut.background;
    settings.jobs = jobs;
    feedSquares(
        cut.source, settings, [&](int k) { return pieceCut(pieces.at(k), work.at(k), cut); }, done,
        between);
}

}  // namespace orvanta
