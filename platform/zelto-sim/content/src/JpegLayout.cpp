#include "JpegLayout.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Crc32.h"

namespace zeltosim::detail {
namespace {

// APP14 with a payload that does not begin with the "Adobe" tag: decoders look
// at its first bytes, find no tag and pass over it; image tools keep no copy.
constexpr uint8_t kPaddingMarker = 0xEE;

// Marker segments FF EE, big-endian length (counting itself, not the marker),
// zero payload; together exactly the padding's size (at least 4 bytes).
class JpegPaddingSegment : public Segment {
public:
    explicit JpegPaddingSegment(uint64_t bytes) {
        const uint64_t total = std::max<uint64_t>(bytes, kHeader);
        uint64_t full = total / kLargest;
        uint64_t rest = total % kLargest;
        if (rest > 0 && rest < kHeader) {
            // Too small for a marker of its own: the last full one gives up a little.
            --full;
            m_runs.push_back({full, kLargest});
            m_runs.push_back({1, kLargest - (kHeader - rest)});
            m_runs.push_back({1, kHeader});
        } else {
            m_runs.push_back({full, kLargest});
            if (rest > 0) m_runs.push_back({1, rest});
        }
        for (const auto& run : m_runs) m_size += run.count * run.markerBytes;
    }

    uint64_t Size() const override { return m_size; }

    void Fill(uint64_t offset, uint8_t* out, size_t length) const override {
        uint64_t runStart = 0;
        for (const auto& run : m_runs) {
            const uint64_t runEnd = runStart + run.count * run.markerBytes;
            while (length > 0 && offset < runEnd) {
                const uint64_t inside = (offset - runStart) % run.markerBytes;
                size_t take;
                if (inside < kHeader) {
                    uint8_t header[kHeader];
                    Header(run.markerBytes, header);
                    take = static_cast<size_t>(std::min<uint64_t>(kHeader - inside, length));
                    std::memcpy(out, header + inside, take);
                } else {
                    take = static_cast<size_t>(std::min<uint64_t>(run.markerBytes - inside, length));
                    std::memset(out, 0, take);
                }
                out += take;
                offset += take;
                length -= take;
            }
            runStart = runEnd;
        }
    }

    uint32_t Crc32() const override {
        uint32_t crc = 0;
        for (const auto& run : m_runs) {
            crc = Crc32Concat(crc, Crc32Repeat(MarkerCrc(run.markerBytes), run.markerBytes, run.count), run.count * run.markerBytes);
        }
        return crc;
    }

private:
    static constexpr uint64_t kHeader = 4;
    static constexpr uint64_t kLargest = kHeader + 65533;  // the largest marker length field is 65535

    struct Run {
        uint64_t count;
        uint64_t markerBytes;  // header included
    };

    static void Header(uint64_t markerBytes, uint8_t* header) {
        const uint64_t length = markerBytes - 2;
        header[0] = 0xFF;
        header[1] = kPaddingMarker;
        header[2] = static_cast<uint8_t>(length >> 8);
        header[3] = static_cast<uint8_t>(length & 0xFF);
    }

    static uint32_t MarkerCrc(uint64_t markerBytes) {
        uint8_t header[kHeader];
        Header(markerBytes, header);
        const uint8_t zero = 0;
        const uint64_t payload = markerBytes - kHeader;
        return Crc32Concat(Crc32Of(header, kHeader), Crc32Repeat(Crc32Of(&zero, 1), 1, payload), payload);
    }

    std::vector<Run> m_runs;
    uint64_t m_size = 0;
};

// End of the JFIF marker segment that follows the start of image, or just past
// the start-of-image marker when there is none.
size_t HeaderEnd(const std::string& jpeg) {
    auto byte = [&jpeg](size_t i) { return static_cast<uint8_t>(jpeg[i]); };
    if (jpeg.size() >= 6 && byte(2) == 0xFF && byte(3) == 0xE0) {
        size_t end = 4 + (size_t(byte(4)) << 8 | byte(5));
        if (end <= jpeg.size()) return end;
    }
    return 2;
}

}  // namespace

SegmentPtr PaddedJpeg(std::shared_ptr<const std::string> jpeg, uint64_t paddingBytes) {
    if (paddingBytes == 0) return std::make_shared<BytesSegment>(jpeg, 0, jpeg->size());
    size_t split = HeaderEnd(*jpeg);
    SegmentBuilder builder;
    builder.Append(std::make_shared<BytesSegment>(jpeg, 0, split));
    builder.Append(std::make_shared<JpegPaddingSegment>(paddingBytes));
    builder.Append(std::make_shared<BytesSegment>(jpeg, split, jpeg->size() - split));
    return builder.Finish();
}

}  // namespace zeltosim::detail
