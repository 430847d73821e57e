// The picture of one scanned page: eight horizontal colour bands chosen by the
// job's seed and the page, with the page number in big blocky digits in the
// middle. Any row is drawn straight into a buffer with a few block fills.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "JobContent.h"

namespace zeltosim::detail {

// The raster of a page's image: the job's own, or in the compact forms half as
// many pixels each way (at half the resolution, over the same page).
JobSpec ImageSpec(const JobSpec& spec, bool compact);

class PagePicture {
public:
    PagePicture(const JobSpec& spec, int page);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Channels() const { return m_channels; }
    size_t RowBytes() const { return static_cast<size_t>(m_width) * m_channels; }
    uint64_t RasterBytes() const { return uint64_t(RowBytes()) * m_height; }

    // Writes row y (top row 0) of RowBytes() bytes, pixels interleaved (R, G, B or gray).
    void RenderRow(int y, uint8_t* out) const;

    // Rows [first, first + count) are identical; together the runs cover the page.
    struct RowRun {
        int first;
        int count;
    };
    std::vector<RowRun> IdenticalRowRuns() const;

private:
    static constexpr int kBands = 8;
    static constexpr int kGlyphColumns = 5;
    static constexpr int kGlyphRows = 7;

    int BandOf(int y) const;
    int GlyphRowOf(int y) const;  // -1 outside the digits
    void FillPixels(uint8_t* out, int count, const uint8_t* pixel) const;

    int m_width;
    int m_height;
    int m_channels;
    uint8_t m_bands[kBands][3];  // band colours (first byte only for gray)
    uint8_t m_ink[3];
    std::vector<int> m_digits;   // page number, most significant first
    int m_cell;                  // size of one glyph block in pixels
    int m_left;                  // position of the digits
    int m_top;
};

}  // namespace zeltosim::detail
