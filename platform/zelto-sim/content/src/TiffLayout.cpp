#include "TiffLayout.h"

#include <vector>

#include "LittleEndian.h"
#include "PageDeflate.h"

namespace zeltosim::detail {
namespace {

enum TiffType : uint32_t { kShort = 3, kLong = 4, kRational = 5 };

constexpr uint64_t kMaxOffset = 0xFFFFFFFFu;
constexpr int kEntries = 15;
constexpr uint64_t kIfdBytes = 2 + 12 * kEntries + 4;

void AppendEntry(std::string& ifd, uint32_t tag, TiffType type, uint32_t count, uint64_t value) {
    AppendLE16(ifd, tag);
    AppendLE16(ifd, type);
    AppendLE32(ifd, count);
    AppendLE32(ifd, value);  // a SHORT sits in the first two bytes
}

struct PageBlock {
    int width, height, channels;
    uint32_t xResolution[2], yResolution[2];  // pixels per inch, as n / d
    std::shared_ptr<const std::string> strip;
    uint64_t valuesBytes;  // what follows the directory before the strip
    uint64_t padding;
    uint64_t size;         // directory, values, strip, padding, alignment
};

bool PlanPage(const JobSpec& spec, int page, bool compact, PageBlock& block) {
    const JobSpec image = ImageSpec(spec, compact);
    block.width = image.widthPx;
    block.height = image.heightPx;
    block.channels = image.color ? 3 : 1;
    // The image covers the job's page: its resolution follows from both sizes.
    block.xResolution[0] = static_cast<uint32_t>(uint64_t(image.widthPx) * spec.dpi);
    block.xResolution[1] = static_cast<uint32_t>(spec.widthPx);
    block.yResolution[0] = static_cast<uint32_t>(uint64_t(image.heightPx) * spec.dpi);
    block.yResolution[1] = static_cast<uint32_t>(spec.heightPx);
    block.strip = PageDeflate(image, page);
    if (!block.strip) return false;
    block.valuesBytes = (block.channels == 3 ? 6 : 0) + 16;
    block.padding = spec.paddingBytesPerPage;
    uint64_t body = block.strip->size() + block.padding;
    block.size = kIfdBytes + block.valuesBytes + body + (body & 1);  // directories start on even offsets
    return true;
}

// The directory and its values for a block that starts at `start`.
std::string DirectoryAndValues(const PageBlock& block, uint64_t start, uint64_t next, int index, int count) {
    const bool rgb = block.channels == 3;
    uint64_t values = start + kIfdBytes;
    uint64_t bitsAt = values;
    uint64_t xResAt = values + (rgb ? 6 : 0);
    uint64_t yResAt = xResAt + 8;
    uint64_t dataAt = values + block.valuesBytes;

    std::string out;
    AppendLE16(out, kEntries);
    AppendEntry(out, 256, kLong, 1, static_cast<uint32_t>(block.width));       // ImageWidth
    AppendEntry(out, 257, kLong, 1, static_cast<uint32_t>(block.height));      // ImageLength
    AppendEntry(out, 258, kShort, block.channels, rgb ? bitsAt : 8);           // BitsPerSample
    AppendEntry(out, 259, kShort, 1, 8);                                       // Compression: Deflate
    AppendEntry(out, 262, kShort, 1, rgb ? 2 : 1);                             // Photometric: RGB or black is zero
    AppendEntry(out, 273, kLong, 1, dataAt);                                   // StripOffsets
    AppendEntry(out, 277, kShort, 1, block.channels);                          // SamplesPerPixel
    AppendEntry(out, 278, kLong, 1, static_cast<uint32_t>(block.height));      // RowsPerStrip: one strip
    AppendEntry(out, 279, kLong, 1, block.strip->size());                      // StripByteCounts
    AppendEntry(out, 282, kRational, 1, xResAt);                               // XResolution
    AppendEntry(out, 283, kRational, 1, yResAt);                               // YResolution
    AppendEntry(out, 284, kShort, 1, 1);                                       // PlanarConfiguration: chunky
    AppendEntry(out, 296, kShort, 1, 2);                                       // ResolutionUnit: inch
    AppendEntry(out, 297, kShort, 2, uint64_t(index) | uint64_t(count) << 16); // PageNumber
    AppendEntry(out, 317, kShort, 1, 2);                                       // Predictor: horizontal differencing
    AppendLE32(out, next);

    if (rgb) {
        for (int i = 0; i < 3; ++i) AppendLE16(out, 8);
    }
    AppendLE32(out, block.xResolution[0]);
    AppendLE32(out, block.xResolution[1]);
    AppendLE32(out, block.yResolution[0]);
    AppendLE32(out, block.yResolution[1]);
    return out;
}

}  // namespace

SegmentPtr TiffDocument(const JobSpec& spec, int firstPage, int lastPage, bool compact) {
    std::vector<PageBlock> blocks;
    uint64_t total = 8;
    for (int page = firstPage; page <= lastPage; ++page) {
        PageBlock block;
        if (!PlanPage(spec, page, compact, block)) return nullptr;
        total += block.size;
        if (total > kMaxOffset) return nullptr;
        blocks.push_back(block);
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
        builder.Append(std::make_shared<BytesSegment>(block.strip, 0, block.strip->size()));
        uint64_t body = block.strip->size() + block.padding;
        builder.Append(std::make_shared<ZeroSegment>(block.padding + (body & 1)));
    }
    return builder.Finish();
}

}  // namespace zeltosim::detail
