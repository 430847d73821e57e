#include "RasterSegment.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Crc32.h"

namespace zeltosim::detail {

RasterSegment::RasterSegment(std::shared_ptr<const PagePicture> picture) : m_picture(std::move(picture)) {}

void RasterSegment::Fill(uint64_t offset, uint8_t* out, size_t length) const {
    const size_t rowBytes = m_picture->RowBytes();
    int y = static_cast<int>(offset / rowBytes);
    size_t inRow = static_cast<size_t>(offset % rowBytes);
    while (length > 0) {
        if (inRow == 0 && length >= rowBytes) {
            // Whole rows are drawn in place.
            m_picture->RenderRow(y, out);
            out += rowBytes;
            length -= rowBytes;
        } else {
            thread_local std::vector<uint8_t> scratch;
            scratch.resize(rowBytes);
            m_picture->RenderRow(y, scratch.data());
            size_t take = std::min(rowBytes - inRow, length);
            std::memcpy(out, scratch.data() + inRow, take);
            out += take;
            length -= take;
            inRow = 0;
        }
        ++y;
    }
}

uint32_t RasterSegment::Crc32() const {
    const size_t rowBytes = m_picture->RowBytes();
    std::vector<uint8_t> row(rowBytes);
    uint32_t crc = 0;
    for (const auto& run : m_picture->IdenticalRowRuns()) {
        m_picture->RenderRow(run.first, row.data());
        uint64_t runBytes = uint64_t(rowBytes) * run.count;
        crc = Crc32Concat(crc, Crc32Repeat(Crc32Of(row.data(), rowBytes), rowBytes, run.count), runBytes);
    }
    return crc;
}

}  // namespace zeltosim::detail
