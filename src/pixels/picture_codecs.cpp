#include "pixels/picture_codecs.h"

#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <utility>

#include <jpeglib.h>
#include <libdeflate.h>
#include <zlib.h>

#include "platform/run_error.h"

namespace orvanta {
namespace {

// The compression level of PNG: the fastest, which on tiles of photographs loses a few per
// cent of size against the next levels and gains more in time.
constexpr int kPngLevel = 1;
constexpr std::uint8_t kFilterUp = 2;

[[noreturn]] void codecFailure(const std::string& why) {
    throw RunError(errors::ImageTool, "The picture cannot be encoded: " + why);
}

void append32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void appendChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data,
                 std::size_t size) {
    append32(out, static_cast<std::uint32_t>(size));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (size > 0)
        out.insert(out.end(), data, data + size);
    append32(out, static_cast<std::uint32_t>(
                      libdeflate_crc32(0, out.data() + start, out.size() - start)));
}

// The signature and header of a PNG of 8-bit RGB or RGBA.
std::vector<std::uint8_t> pngHead(int width, int height, int channels) {
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<std::uint8_t> header;
    append32(header, static_cast<std::uint32_t>(width));
    append32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, static_cast<std::uint8_t>(channels == 4 ? 6 : 2), 0, 0, 0});
    appendChunk(out, "IHDR", header.data(), header.size());
    return out;
}

std::size_t strideOf(const PixelRows& pixels) {
    return pixels.stride ? pixels.stride : static_cast<std::size_t>(pixels.width) * pixels.channels;
}

// The rows each preceded by its filter byte, as the difference from the row above (`above`
// for the first row; none at the top of the picture).
void filterRows(const PixelRows& pixels, const std::uint8_t* above,
                std::vector<std::uint8_t>& out) {
    const std::size_t bytes = static_cast<std::size_t>(pixels.width) * pixels.channels;
    out.resize((bytes + 1) * pixels.rows);
    for (int y = 0; y < pixels.rows; ++y) {
        const std::uint8_t* row = pixels.data + strideOf(pixels) * y;
        std::uint8_t* filtered = out.data() + (bytes + 1) * y;
        filtered[0] = kFilterUp;
        if (!above) {
            std::memcpy(filtered + 1, row, bytes);
        } else {
            for (std::size_t i = 0; i < bytes; ++i)
                filtered[i + 1] = static_cast<std::uint8_t>(row[i] - above[i]);
        }
        above = row;
    }
}

// A stream of its own on a file the caller opened (and keeps, to close and commit).
std::FILE* streamOn(int descriptor, const std::string& path) {
    const int fd = ::dup(descriptor);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file) {
        if (fd >= 0)
            ::close(fd);
        throw RunError(errors::PathFileAccess, "Path/File access error: " + path);
    }
    return file;
}

// libjpeg reports errors by calling error_exit, which must not return: it jumps back to the
// call that started the work.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jumpOnError(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

}  // namespace

// A JPEG coder (libjpeg) or a PNG coder (zlib), writing to a file or, for JPEG, into memory.
// Each call into libjpeg returns false on failure with the reason in `error.message`.
struct PictureStream::Coder {
    jpeg_compress_struct jpeg{};
    JpegError error{};
    unsigned char* buffer = nullptr;  // the JPEG in memory, when there is no file
    unsigned long size = 0;
    bool jpegStarted = false;
    std::FILE* file = nullptr;
    std::string path;
    // PNG
    bool png = false;
    bool zipStarted = false;
    z_stream zip{};
    std::vector<std::uint8_t> out, filtered, lastRow, rgb;

    bool startJpeg(int w, int h, int quality) {
        jpeg.err = jpeg_std_error(&error.manager);
        error.manager.error_exit = jumpOnError;
        if (setjmp(error.jump))
            return false;
        jpeg_create_compress(&jpeg);
        jpegStarted = true;
        if (file)
            jpeg_stdio_dest(&jpeg, file);
        else
            jpeg_mem_dest(&jpeg, &buffer, &size);
        jpeg.image_width = static_cast<JDIMENSION>(w);
        jpeg.image_height = static_cast<JDIMENSION>(h);
        jpeg.input_components = 3;
        jpeg.in_color_space = JCS_RGB;
        jpeg_set_defaults(&jpeg);
        jpeg_set_quality(&jpeg, quality, TRUE);
        jpeg.write_JFIF_header = FALSE;  // no metadata, as every other picture is written
        if (quality >= 90) {
            for (int c = 0; c < jpeg.num_components; ++c)
                jpeg.comp_info[c].h_samp_factor = jpeg.comp_info[c].v_samp_factor = 1;
        }
        jpeg_start_compress(&jpeg, TRUE);
        return true;
    }
    // Rows of RGB, or of RGBA whose alpha is skipped.
    bool writeJpeg(const PixelRows& rows) {
        if (setjmp(error.jump))
            return false;
        for (int y = 0; y < rows.rows; ++y) {
            const std::uint8_t* row = rows.data + strideOf(rows) * y;
            if (rows.channels == 4) {
                rgb.resize(static_cast<std::size_t>(rows.width) * 3);
                for (int x = 0; x < rows.width; ++x)
                    std::memcpy(&rgb[x * 3], row + x * 4, 3);
                row = rgb.data();
            }
            JSAMPROW pointer = const_cast<JSAMPROW>(row);
            jpeg_write_scanlines(&jpeg, &pointer, 1);
        }
        return true;
    }
    bool finishJpeg() {
        if (setjmp(error.jump))
            return false;
        jpeg_finish_compress(&jpeg);
        return true;
    }
    ~Coder() {
        if (jpegStarted)
            jpeg_destroy_compress(&jpeg);
        std::free(buffer);
        if (zipStarted)
            deflateEnd(&zip);
        if (file)
            std::fclose(file);
    }

    // Writes what `out` holds to the file.
    void flushOut() {
        if (!out.empty() && std::fwrite(out.data(), 1, out.size(), file) != out.size())
            throw RunError(errors::PathFileAccess, "Path/File access error: " + path);
        out.clear();
    }

    // Compresses what `zip` holds as input into IDAT chunks; `flush` Z_FINISH at the end.
    void deflateInto(int flush) {
        std::vector<std::uint8_t> chunk(1 << 16);
        int result = Z_OK;
        do {
            zip.next_out = chunk.data();
            zip.avail_out = static_cast<uInt>(chunk.size());
            result = deflate(&zip, flush);
            if (result == Z_STREAM_ERROR)
                codecFailure("deflate failed");
            const std::size_t made = chunk.size() - zip.avail_out;
            if (made > 0)
                appendChunk(out, "IDAT", chunk.data(), made);
        } while (zip.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
        flushOut();
    }
};

std::vector<std::uint8_t> encodeJpeg(const PixelRows& pixels, int quality) {
    PictureStream::Coder coder;
    if (!coder.startJpeg(pixels.width, pixels.rows, quality) || !coder.writeJpeg(pixels) ||
        !coder.finishJpeg()) {
        codecFailure(coder.error.message);
    }
    return {coder.buffer, coder.buffer + coder.size};
}

std::vector<std::uint8_t> encodePng(const PixelRows& pixels) {
    std::vector<std::uint8_t> filtered;
    filterRows(pixels, nullptr, filtered);
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(kPngLevel);
    if (!compressor)
        codecFailure("no memory for deflate");
    std::vector<std::uint8_t> packed(libdeflate_zlib_compress_bound(compressor, filtered.size()));
    const std::size_t size = libdeflate_zlib_compress(compressor, filtered.data(), filtered.size(),
                                                      packed.data(), packed.size());
    libdeflate_free_compressor(compressor);
    if (size == 0)
        codecFailure("deflate failed");
    std::vector<std::uint8_t> out = pngHead(pixels.width, pixels.rows, pixels.channels);
    appendChunk(out, "IDAT", packed.data(), size);
    appendChunk(out, "IEND", nullptr, 0);
    return out;
}

PictureStream::PictureStream(int descriptor, const std::string& path, int width, int height,
                             int channels, bool png, int quality)
    : coder_(std::make_unique<Coder>()) {
    Coder& coder = *coder_;
    coder.path = path;
    coder.file = streamOn(descriptor, path);
    coder.png = png;
    if (!png) {
        if (!coder.startJpeg(width, height, quality))
            codecFailure(coder.error.message);
        return;
    }
    coder.out = pngHead(width, height, channels);
    if (deflateInit(&coder.zip, kPngLevel) != Z_OK)
        codecFailure("deflate cannot start");
    coder.zipStarted = true;
}

PictureStream::~PictureStream() = default;

void PictureStream::append(const PixelRows& rows) {
    Coder& coder = *coder_;
    if (!coder.png) {
        if (!coder.writeJpeg(rows))
            codecFailure(coder.error.message);
        return;
    }
    filterRows(rows, coder.lastRow.empty() ? nullptr : coder.lastRow.data(), coder.filtered);
    const std::size_t bytes = static_cast<std::size_t>(rows.width) * rows.channels;
    const std::uint8_t* last = rows.data + strideOf(rows) * (rows.rows - 1);
    coder.lastRow.assign(last, last + bytes);
    coder.zip.next_in = coder.filtered.data();
    coder.zip.avail_in = static_cast<uInt>(coder.filtered.size());
    coder.deflateInto(Z_NO_FLUSH);
}

void PictureStream::finish() {
    Coder& coder = *coder_;
    if (!coder.png) {
        if (!coder.finishJpeg())
            codecFailure(coder.error.message);
    } else {
        coder.zip.next_in = nullptr;
        coder.zip.avail_in = 0;
        coder.deflateInto(Z_FINISH);
        appendChunk(coder.out, "IEND", nullptr, 0);
        coder.flushOut();
    }
    std::FILE* file = std::exchange(coder.file, nullptr);
    if (std::fclose(file) != 0)
        throw RunError(errors::PathFileAccess, "Path/File access error: " + coder.path);
}

}  // namespace orvanta
