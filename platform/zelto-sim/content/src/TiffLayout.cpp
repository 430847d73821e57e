#include "TiffLayout.h"

#include <algorithm>
#include <vector>

#include "LittleEndian.h"
#include "PageUnits.h"
#include "RasterSegment.h"

namespace zeltosim::detail {
namespace {

enum TiffType : uint32_t { kShort = 3, kLong = 4, kRational = 5 };

constexpr uint64_t kMaxOffset = 0xFFFFFFFFu;
constexpr int kEntries = 14;
constexpr uint64_t kIfdBytes = 2 + 12 * kEntries + 4;
constexpr size_t kStripBytesWanted = 64 * 1024;

void AppendEntry(std::string& ifd, uint32_t tag, TiffType type, uint32_t count, uint64_t value) {
    AppendLE16(ifd, tag);
    AppendLE16(ifd, type);
    AppendLE32(ifd, count);
    AppendLE32(ifd, value);  // a SHORT sits in the first two bytes
}

struct PageBlock {
    std::shared_ptr<const PagePicture> picture;
    uint32_t rowsPerStrip;
    uint32_t strips;
    uint64_t valuesBytes;  // what follows the directory before the strips
    uint64_t padding;
    uint64_t size;         // directory, values, strips, padding, alignment
};

PageBlock PlanPage(const JobSpec& spec, int page) {
    PageBlock block;
    block.picture = std::make_shared<PagePicture>(spec, page);
    const uint64_t rowBytes = block.picture->RowBytes();
    const uint32_t height = static_cast<uint32_t>(block.picture->Height());
    block.rowsPerStrip = static_cast<uint32_t>(std::clamp<uint64_t>(kStripBytesWanted / rowBytes, 1, height));
    block.strips = (height + block.rowsPerStrip - 1) / block.rowsPerStrip;
    block.valuesBytes = (block.picture->Channels() == 3 ? 6 : 0) + 16 + (block.strips > 1 ? 8 * uint64_t(block.strips) : 0);
    block.padding = spec.paddingBytesPerPage;
    uint64_t body = block.picture->RasterBytes() + block.padding;
    block.size = kIfdBytes + block.valuesBytes + body + (body & 1);  // directories start on even offsets
    return block;
}

// The directory and its values for a block that starts at `start`.
std::string DirectoryAndValues(const PageBlock& block, uint64_t start, uint64_t next, int index, int count) {
    const PagePicture& picture = *block.picture;
    const bool rgb = picture.Channels() == 3;
    const uint64_t rowBytes = picture.RowBytes();
    const uint64_t stripBytes = rowBytes * block.rowsPerStrip;
    const uint64_t raster = picture.RasterBytes();

    uint64_t values = start + kIfdBytes;
    uint64_t bitsAt = values;
    uint64_t xResAt = values + (rgb ? 6 : 0);
    uint64_t yResAt = xResAt + 8;
    uint64_t offsetsAt = yResAt + 8;
    uint64_t countsAt = offsetsAt + 4 * uint64_t(block.strips);
    uint64_t dataAt = values + block.valuesBytes;
    auto stripCount = [&](uint32_t i) { return std::min(stripBytes, raster - i * stripBytes); };

    std::string out;
    AppendLE16(out, kEntries);
    AppendEntry(out, 256, kLong, 1, static_cast<uint32_t>(picture.Width()));    // ImageWidth
    AppendEntry(out, 257, kLong, 1, static_cast<uint32_t>(picture.Height()));   // ImageLength
    AppendEntry(out, 258, kShort, picture.Channels(), rgb ? bitsAt : 8);         // BitsPerSample
    AppendEntry(out, 259, kShort, 1, 1);                                         // Compression: none
    AppendEntry(out, 262, kShort, 1, rgb ? 2 : 1);                               // Photometric: RGB or black is zero
    AppendEntry(out, 273, kLong, block.strips, block.strips > 1 ? offsetsAt : dataAt);  // StripOffsets
    AppendEntry(out, 277, kShort, 1, picture.Channels());                        // SamplesPerPixel
    AppendEntry(out, 278, kLong, 1, block.rowsPerStrip);                         // RowsPerStrip
    AppendEntry(out, 279, kLong, block.strips, block.strips > 1 ? countsAt : raster);  // StripByteCounts
    AppendEntry(out, 282, kRational, 1, xResAt);                                 // XResolution
    AppendEntry(out, 283, kRational, 1, yResAt);                                 // YResolution
    AppendEntry(out, 284, kShort, 1, 1);                                         // PlanarConfiguration: chunky
    AppendEntry(out, 296, kShort, 1, 2);                                         // ResolutionUnit: inch
    AppendEntry(out, 297, kShort, 2, uint64_t(index) | uint64_t(count) << 16);   // PageNumber
    AppendLE32(out, next);

    if (rgb) {
        for (int i = 0; i < 3; ++i) AppendLE16(out, 8);
    }
    for (int i = 0; i < 2; ++i) {  // dots per inch, as n / 1
        AppendLE32(out, kDotsPerInch);
        AppendLE32(out, 1);
    }
    if (block.strips > 1) {
        for (uint32_t i = 0; i < block.strips; ++i) AppendLE32(out, dataAt + i * stripBytes);
        for (uint32_t i = 0; i < block.strips; ++i) AppendLE32(out, stripCount(i));
    }
    return out;
}

}  // namespace

SegmentPtr TiffDocument(const JobSpec& spec, int firstPage, int lastPage) {
    std::vector<PageBlock> blocks;
    uint64_t total = 8;
    for (int page = firstPage; page <= lastPage; ++page) {
        blocks.push_back(PlanPage(spec, page));
        total += blocks.back().size;
        if (total > kMaxOffset) return nullptr;
    }

    SegmentBuilder builder;
    std::string header = "II";
    AppendLE16(header, 42);
    AppendLE32(header, 8);
    builder.Append(header);
    const int count = lastPage - firstPage + 1;
    for (int i = 0; i < count; ++i) {
        const PageBlock& block = blocks[i];
        uint64_t start = builder.Offset();
        uint64_t next = i + 1 < count ? start + block.size : 0;
        builder.Append(DirectoryAndValues(block, start, next, i, count));
        builder.Append(std::make_shared<RasterSegment>(block.picture));
        uint64_t body = block.picture->RasterBytes() + block.padding;
        builder.Append(std::make_shared<ZeroSegment>(block.padding + (body & 1)));
    }
    return builder.Finish();
}

}  // namespace zeltosim::detail
