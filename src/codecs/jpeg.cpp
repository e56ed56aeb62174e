#include "codecs/jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>

#include "base/atomic_file.h"

// The functions here that call setjmp hold only plain C records and pointers
// as locals: a longjmp out of the library must not skip a destructor. Objects
// with destructors (the output file, the row) belong to their callers.

namespace kalvenor {

namespace {

// Upper bound on what the library may allocate for one picture (a
// progressive file keeps all its coefficients); past it the library fails.
// The bound also follows the file: a tiny file claiming a huge progressive
// picture may not make the program take hundreds of megabytes.
constexpr long kJpegMemoryLimit = 512L * 1024 * 1024;
constexpr long kJpegLeastMemory = 16L * 1024 * 1024;
constexpr long kJpegMemoryPerFileByte = 512;
// A picture has no use for more scans than this; a file of empty scans would run for long.
constexpr int kJpegMostScans = 1000;

long jpegMemoryFor(std::size_t fileBytes)
{
    const long proportional =
        fileBytes > static_cast<std::size_t>(kJpegMemoryLimit / kJpegMemoryPerFileByte)
            ? kJpegMemoryLimit
            : static_cast<long>(fileBytes) * kJpegMemoryPerFileByte;
    return std::clamp(proportional, kJpegLeastMemory, kJpegMemoryLimit);
}

// Called by the library while it reads: a file with too many scans is stopped.
void countScans(j_common_ptr cinfo)
{
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kJpegMostScans) (*cinfo->err->error_exit)(cinfo);
}
constexpr std::size_t kOutputChunk = 64 * 1024;

struct JpegError {
    jpeg_error_mgr pub; // first, so the library's pointer is also ours
    std::jmp_buf jump;
};

[[noreturn]] void jumpBack(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// Warnings about damaged data are not shown: the reader's status says what matters.
void quiet(j_common_ptr) {}

void installErrorManager(JpegError& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = jumpBack;
    err.pub.output_message = quiet;
}

// Writes the compressed bytes through an AtomicFile, a chunk at a time.
// The compressed bytes go to a file, or are added to a vector in memory.
struct FileDestination {
    jpeg_destination_mgr pub; // first, as above
    AtomicFile* file;
    std::vector<std::uint8_t>* memory;
    JOCTET buffer[kOutputChunk];
};

void putOut(FileDestination* d, std::size_t bytes)
{
    if (d->file != nullptr) d->file->write(d->buffer, bytes); // a failure is sticky and seen at commit
    else d->memory->insert(d->memory->end(), d->buffer, d->buffer + bytes);
}

void initDestination(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<FileDestination*>(cinfo->dest);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = kOutputChunk;
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<FileDestination*>(cinfo->dest);
    putOut(d, kOutputChunk);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = kOutputChunk;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<FileDestination*>(cinfo->dest);
    putOut(d, kOutputChunk - d->pub.free_in_buffer);
}

void convertScanline(const JSAMPLE* src, int components, int w, std::uint32_t* dst)
{
    if (components == 3) {
        for (int x = 0; x < w; ++x, src += 3) dst[x] = packPixel(src[0], src[1], src[2]);
    } else {
        for (int x = 0; x < w; ++x) dst[x] = packPixel(src[x], src[x], src[x]);
    }
}

bool takenColourSpace(J_COLOR_SPACE space)
{
    return space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB;
}

ImageStatus runDecompress(jpeg_decompress_struct& cinfo, JpegError& err, std::span<const std::uint8_t> file,
                          const PixelView& target, JpegInfo& info)
{
    volatile ImageStatus failure = ImageStatus::BadHeader;
    installErrorManager(err);
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return failure;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (!takenColourSpace(cinfo.jpeg_color_space)) {
        jpeg_destroy_decompress(&cinfo);
        return ImageStatus::Unsupported;
    }
    // The program never holds a picture larger than its largest image side.
    if (cinfo.image_width > static_cast<JDIMENSION>(kMaxImageSide) ||
        cinfo.image_height > static_cast<JDIMENSION>(kMaxImageSide)) {
        jpeg_destroy_decompress(&cinfo);
        return ImageStatus::TooLarge;
    }
    cinfo.mem->max_memory_to_use = jpegMemoryFor(file.size());
    jpeg_progress_mgr progress{};
    progress.progress_monitor = countScans;
    cinfo.progress = &progress;
    jpeg_start_decompress(&cinfo);
    const int components = cinfo.output_components;
    if (components != 1 && components != 3) {
        jpeg_destroy_decompress(&cinfo);
        return ImageStatus::Unsupported;
    }
    failure = ImageStatus::Truncated;
    info.width = static_cast<int>(cinfo.output_width);
    info.height = static_cast<int>(cinfo.output_height);
    info.components = components;

    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                cinfo.output_width * static_cast<JDIMENSION>(components), 1);
    const int w = std::min(info.width, target.width);
    const auto rows = static_cast<JDIMENSION>(std::min(info.height, target.height));
    while (cinfo.output_scanline < rows) {
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) break; // no data source suspends; never loop on one
        const int y = static_cast<int>(cinfo.output_scanline) - 1;
        convertScanline(row[0], components, w, target.row(y));
    }
    if (cinfo.output_scanline < rows) {
        jpeg_destroy_decompress(&cinfo);
        return ImageStatus::Truncated;
    }
    // Rows below the target are never used, so they are not decoded.
    if (cinfo.output_scanline < cinfo.output_height)
        jpeg_abort_decompress(&cinfo);
    else
        jpeg_finish_decompress(&cinfo);
    // The library warns, and makes up grey rows, when the data ends early or is
    // corrupt: such a picture is not the file's, so it counts as cut short.
    const bool warned = cinfo.err->num_warnings != 0;
    jpeg_destroy_decompress(&cinfo);
    return warned ? ImageStatus::Truncated : ImageStatus::Ok;
}

bool runCompress(jpeg_compress_struct& cinfo, JpegError& err, FileDestination& dest, const PixelView& source,
                 int quality, JSAMPLE* line)
{
    installErrorManager(err);
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    dest.pub.init_destination = initDestination;
    dest.pub.empty_output_buffer = emptyOutputBuffer;
    dest.pub.term_destination = termDestination;
    cinfo.dest = &dest.pub;

    cinfo.image_width = static_cast<JDIMENSION>(source.width);
    cinfo.image_height = static_cast<JDIMENSION>(source.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPROW rows[1] = {line};
    for (int y = 0; y < source.height; ++y) {
        unpackRgbRow(source.row(y), source.width, line);
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

int clampJpegQuality(long quality)
{
    return static_cast<int>(std::clamp<long>(quality, kJpegMinQuality, kJpegMaxQuality));
}

ImageStatus decodeJpeg(std::span<const std::uint8_t> file, const PixelView& target, JpegInfo& info)
{
    if (!target.valid()) return ImageStatus::NoBuffer;
    jpeg_decompress_struct cinfo {};
    JpegError err {};
    return runDecompress(cinfo, err, file, target, info);
}

ImageStatus loadJpeg(const std::string& path, const PixelView& target, JpegInfo& info)
{
    if (!target.valid()) return ImageStatus::NoBuffer;
    const MappedFile file(path);
    if (!file.ok()) return ImageStatus::OpenFailed;
    return decodeJpeg(file.bytes(), target, info);
}

ImageStatus saveJpeg(const PixelView& source, int quality, const std::string& path)
{
    if (!source.valid()) return ImageStatus::NoBuffer;
    if (source.width > JPEG_MAX_DIMENSION || source.height > JPEG_MAX_DIMENSION) return ImageStatus::BadArgument;
    std::vector<JSAMPLE> line(static_cast<std::size_t>(source.width) * 3);
    AtomicFile file;
    if (!file.open(path, FileMode::Binary)) return ImageStatus::WriteFailed;
    auto dest = std::make_unique<FileDestination>(); // the chunk buffer is too big for the stack
    dest->file = &file;
    dest->memory = nullptr;
    jpeg_compress_struct cinfo {};
    JpegError err {};
    if (!runCompress(cinfo, err, *dest, source, clampJpegQuality(quality), line.data()))
        return ImageStatus::WriteFailed; // the file is discarded
    return file.commit() ? ImageStatus::Ok : ImageStatus::WriteFailed;
}

ImageStatus encodeJpeg(const PixelView& source, int quality, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (!source.valid()) return ImageStatus::NoBuffer;
    if (source.width > JPEG_MAX_DIMENSION || source.height > JPEG_MAX_DIMENSION) return ImageStatus::BadArgument;
    std::vector<JSAMPLE> line(static_cast<std::size_t>(source.width) * 3);
    auto dest = std::make_unique<FileDestination>();
    dest->file = nullptr;
    dest->memory = &out;
    jpeg_compress_struct cinfo {};
    JpegError err {};
    if (!runCompress(cinfo, err, *dest, source, clampJpegQuality(quality), line.data())) {
        out.clear();
        return ImageStatus::WriteFailed;
    }
    return ImageStatus::Ok;
}

ImageStatus saveJpeg(ImagePlane<std::uint32_t>& vidmem24, ImageSize size, int quality, const std::string& path)
{
    return saveJpeg(viewOf(vidmem24, size), quality, path);
}

} // namespace kalvenor
