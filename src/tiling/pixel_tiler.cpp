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

// The outputs whose file is missing or older than the source.
std::vector<TileOutput> outdated(const std::vector<TileOutput>& outputs,
                                 const std::string& source) {
    std::error_code error;
    const auto sourceTime = std::filesystem::last_write_time(source, error);
    if (error)
        return outputs;
    std::vector<TileOutput> missing;
    for (const TileOutput& output : outputs) {
        const auto time = std::filesystem::last_write_time(output.path, error);
        if (error || time < sourceTime)
            missing.push_back(output);
    }
    return missing;
}

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

// What a piece of a large image needs: its file and its tiles, or only those of its tiles
// that are missing or older than its file when a resumed run finds the file up to date.
struct PieceWork {
    bool writePiece = true;
    std::vector<TileOutput> all, outputs;
    bool nothing() const { return !writePiece && outputs.empty(); }
};

PieceWork pieceWork(const ImageTiling& piece, const PiecesToCut& cut, bool resume) {
    PieceWork work;
    work.all = tileOutputs(piece);
    work.outputs = withoutPadding(piece, work.all);
    std::error_code error;
    const auto made = std::filesystem::last_write_time(piece.source, error);
    if (resume && !error && !cut.path.empty()) {
        const auto source = std::filesystem::last_write_time(cut.path, error);
        if (!error && made >= source) {
            work.writePiece = false;
            work.outputs = outdated(work.outputs, piece.source);
        }
    }
    return work;
}

// The piece's file written as its rows come, and its tiles cut from the same rows. The file
// bears the time its cutting began, so that the tiles cut from it count as newer than it.
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
    const auto began = std::filesystem::file_time_type::clock::now();
    SquareCut square;
    // A failure drops the scratch file with the last copy of `file`.
    square.feed = [tiler, stream](const PixelImage& rows) {
        if (stream)
            rows.appendTo(*stream);
        return tiler->feed(rows);
    };
    if (stream) {
        square.finish = [file, stream, path = piece.source, began] {
            stream->finish();
            file->commit();
            std::error_code ignored;
            std::filesystem::last_write_time(path, began, ignored);
        };
    }
    return square;
}

}  // namespace

void tileWithPixels(const ImageTiling& image, int jobs, bool resume) {
    const std::vector<TileOutput> all = tileOutputs(image);
    const std::vector<TileOutput> wanted = withoutPadding(image, all);
    const std::vector<TileOutput> outputs = resume ? outdated(wanted, image.source) : wanted;
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
                         bool resume,
                         const std::function<void(int k, std::exception_ptr error)>& done,
                         const std::function<void()>& between) {
    std::vector<PieceWork> work;
    for (const ImageTiling& piece : pieces)
        work.push_back(pieceWork(piece, cut, resume));
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
