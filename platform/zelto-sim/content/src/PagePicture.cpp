#include "PagePicture.h"

#include <algorithm>
#include <cstring>

namespace zeltosim::detail {
namespace {

// 5 x 7 digit glyphs, one byte per row, bit 4 the leftmost column.
constexpr uint8_t kGlyphs[10][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
};

// A well-mixed 32-bit hash, so that neighbouring seeds and pages look different.
uint32_t Mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

}  // namespace

JobSpec ImageSpec(const JobSpec& spec, bool compact) {
    JobSpec image = spec;
    if (compact) {
        image.widthPx = (spec.widthPx + 1) / 2;
        image.heightPx = (spec.heightPx + 1) / 2;
    }
    return image;
}

PagePicture::PagePicture(const JobSpec& spec, int page)
    : m_width(spec.widthPx), m_height(spec.heightPx), m_channels(spec.color ? 3 : 1) {
    for (int band = 0; band < kBands; ++band) {
        uint32_t h = Mix(spec.seed * 0x9E3779B9u ^ Mix(static_cast<uint32_t>(page) * 0x85EBCA6Bu + band));
        // Light colours (112..255 per component) keep the black digits readable.
        uint8_t rgb[3] = {static_cast<uint8_t>(112 + (h & 0xFF) % 144), static_cast<uint8_t>(112 + ((h >> 8) & 0xFF) % 144),
                          static_cast<uint8_t>(112 + ((h >> 16) & 0xFF) % 144)};
        if (spec.color) {
            std::memcpy(m_bands[band], rgb, 3);
        } else {
            m_bands[band][0] = static_cast<uint8_t>((rgb[0] * 299 + rgb[1] * 587 + rgb[2] * 114) / 1000);
            m_bands[band][1] = m_bands[band][2] = m_bands[band][0];
        }
    }
    std::memset(m_ink, 0, sizeof m_ink);

    for (int n = std::max(page, 0); ; n /= 10) {
        m_digits.insert(m_digits.begin(), n % 10);
        if (n < 10) break;
    }
    // Digits take at most three fifths of the width and a third of the height.
    int cellsWide = static_cast<int>(m_digits.size()) * (kGlyphColumns + 1) - 1;
    m_cell = std::max(1, std::min(m_width * 3 / 5 / cellsWide, m_height / 3 / kGlyphRows));
    m_left = std::max(0, (m_width - cellsWide * m_cell) / 2);
    m_top = std::max(0, (m_height - kGlyphRows * m_cell) / 2);
}

int PagePicture::BandOf(int y) const {
    return static_cast<int>(int64_t(y) * kBands / m_height);
}

int PagePicture::GlyphRowOf(int y) const {
    if (y < m_top || y >= m_top + kGlyphRows * m_cell) return -1;
    return (y - m_top) / m_cell;
}

void PagePicture::FillPixels(uint8_t* out, int count, const uint8_t* pixel) const {
    if (count <= 0) return;
    if (m_channels == 1) {
        std::memset(out, pixel[0], static_cast<size_t>(count));
        return;
    }
    // One pixel, then copies of what is written so far, doubling each time.
    size_t total = static_cast<size_t>(count) * 3;
    std::memcpy(out, pixel, 3);
    size_t done = 3;
    while (done < total) {
        size_t step = std::min(done, total - done);
        std::memcpy(out + done, out, step);
        done += step;
    }
}

void PagePicture::RenderRow(int y, uint8_t* out) const {
    FillPixels(out, m_width, m_bands[BandOf(y)]);
    int glyphRow = GlyphRowOf(y);
    if (glyphRow < 0) return;
    for (size_t d = 0; d < m_digits.size(); ++d) {
        uint8_t bits = kGlyphs[m_digits[d]][glyphRow];
        int glyphLeft = m_left + static_cast<int>(d) * (kGlyphColumns + 1) * m_cell;
        for (int column = 0; column < kGlyphColumns; ++column) {
            if (!(bits & (0x10 >> column))) continue;
            int x0 = glyphLeft + column * m_cell;
            int x1 = std::min(x0 + m_cell, m_width);
            if (x0 >= m_width) break;
            FillPixels(out + size_t(x0) * m_channels, x1 - x0, m_ink);
        }
    }
}

std::vector<PagePicture::RowRun> PagePicture::IdenticalRowRuns() const {
    std::vector<RowRun> runs;
    auto key = [this](int y) { return std::make_pair(BandOf(y), GlyphRowOf(y)); };
    int first = 0;
    for (int y = 1; y <= m_height; ++y) {
        if (y == m_height || key(y) != key(first)) {
            runs.push_back({first, y - first});
            first = y;
        }
    }
    return runs;
}

}  // namespace zeltosim::detail
