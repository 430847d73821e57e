// The uncompressed pixels of a page, top row first, drawn on demand.
#pragma once

#include "PagePicture.h"
#include "Segment.h"

namespace zeltosim::detail {

class RasterSegment : public Segment {
public:
    explicit RasterSegment(std::shared_ptr<const PagePicture> picture);
    uint64_t Size() const override { return m_picture->RasterBytes(); }
    void Fill(uint64_t offset, uint8_t* out, size_t length) const override;
    // From one drawn row per run of identical rows, not from the whole raster.
    uint32_t Crc32() const override;

private:
    std::shared_ptr<const PagePicture> m_picture;
};

}  // namespace zeltosim::detail
