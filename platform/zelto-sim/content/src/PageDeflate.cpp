#include "PageDeflate.h"

#include <algorithm>
#include <vector>

#include <zlib.h>

#include "PageCache.h"

namespace zeltosim::detail {
namespace {

constexpr size_t kCacheBytes = 64u << 20;
constexpr size_t kOutputStep = 64u << 10;
// Rows of a run are compressed in pieces of about this many bytes; a piece of
// identical rows is compressed once and repeated.
constexpr size_t kPieceBytes = 256u << 10;

// Each sample minus the same sample of the pixel to its left (modulo 256).
void Difference(const uint8_t* row, size_t bytes, int channels, uint8_t* out) {
    for (size_t i = 0; i < bytes && i < size_t(channels); ++i) out[i] = row[i];
    for (size_t i = channels; i < bytes; ++i) out[i] = static_cast<uint8_t>(row[i] - row[i - channels]);
}

// Raw deflate of `count` copies of one row by a compressor of its own, ending on
// a byte boundary (a sync flush) without a final block: such pieces refer to
// nothing before them, so they may follow one another in any number.
bool DeflatePiece(const std::vector<uint8_t>& row, int count, std::string& out) {
    z_stream stream{};
    // Differenced rows are mostly runs of zeros: run-length matching finds them fastest.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 9, Z_RLE) != Z_OK) return false;
    std::vector<uint8_t> chunk(kOutputStep);
    bool failed = false;
    auto feed = [&](const uint8_t* data, size_t length, int flush) {
        stream.next_in = const_cast<Bytef*>(data);
        stream.avail_in = static_cast<uInt>(length);
        do {
            stream.next_out = chunk.data();
            stream.avail_out = static_cast<uInt>(chunk.size());
            if (deflate(&stream, flush) == Z_STREAM_ERROR) failed = true;
            out.append(reinterpret_cast<const char*>(chunk.data()), chunk.size() - stream.avail_out);
        } while (!failed && (stream.avail_in > 0 || stream.avail_out == 0));
    };
    for (int i = 0; i < count && !failed; ++i) feed(row.data(), row.size(), Z_NO_FLUSH);
    if (!failed) feed(nullptr, 0, Z_SYNC_FLUSH);
    deflateEnd(&stream);  // unfinished on purpose: the final block comes once, at the end
    return !failed;
}

// Adler-32 of a block repeated count times, in O(log count) steps.
uLong AdlerRepeat(uLong blockAdler, uint64_t blockLength, uint64_t count) {
    uLong result = adler32(0L, Z_NULL, 0);
    uLong power = blockAdler;
    uint64_t powerLength = blockLength;
    while (count > 0) {
        if (count & 1) result = adler32_combine(result, power, static_cast<z_off_t>(powerLength));
        count >>= 1;
        if (count > 0) {
            power = adler32_combine(power, power, static_cast<z_off_t>(powerLength));
            powerLength *= 2;
        }
    }
    return result;
}

}  // namespace

std::shared_ptr<const std::string> DeflateRaster(const PagePicture& picture) {
    const size_t rowBytes = picture.RowBytes();
    const int rowsPerPiece = static_cast<int>(std::max<size_t>(1, kPieceBytes / rowBytes));
    std::vector<uint8_t> row(rowBytes), differenced(rowBytes);
    auto out = std::make_shared<std::string>("\x78\x9C", 2);  // zlib header: deflate, 32 KiB window
    uLong adler = adler32(0L, Z_NULL, 0);
    std::string full, rest;
    for (const auto& run : picture.IdenticalRowRuns()) {
        picture.RenderRow(run.first, row.data());
        Difference(row.data(), rowBytes, picture.Channels(), differenced.data());
        const int fullPieces = run.count / rowsPerPiece, restRows = run.count % rowsPerPiece;
        full.clear();
        rest.clear();
        if (fullPieces > 0 && !DeflatePiece(differenced, rowsPerPiece, full)) return nullptr;
        if (restRows > 0 && !DeflatePiece(differenced, restRows, rest)) return nullptr;
        for (int i = 0; i < fullPieces; ++i) *out += full;
        *out += rest;
        const uLong rowAdler = adler32(adler32(0L, Z_NULL, 0), differenced.data(), static_cast<uInt>(rowBytes));
        adler = adler32_combine(adler, AdlerRepeat(rowAdler, rowBytes, run.count),
                                static_cast<z_off_t>(uint64_t(rowBytes) * run.count));
    }
    *out += std::string("\x03\x00", 2);  // an empty final block (fixed codes)
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>((adler >> shift) & 0xFF));
    out->shrink_to_fit();
    return out;
}

std::shared_ptr<const std::string> PageDeflate(const JobSpec& image, int page) {
    static PageCache cache(kCacheBytes);
    return cache.Get({image.seed, page, image.widthPx, image.heightPx, image.color, 0},
                     [&] { return DeflateRaster(PagePicture(image, page)); });
}

}  // namespace zeltosim::detail
