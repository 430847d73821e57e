#include "JobContent.h"

#include <algorithm>
#include <list>
#include <mutex>
#include <tuple>

#include "JpegLayout.h"
#include "PageJpeg.h"
#include "PdfLayout.h"
#include "RasterSegment.h"
#include "Segment.h"
#include "TiffLayout.h"
#include "XpsLayout.h"

namespace zeltosim {
namespace {

using detail::SegmentPtr;

constexpr size_t kCachedDocuments = 16;

bool WithinLimits(const JobSpec& spec) {
    auto side = [](int px) { return px >= kMinPageSidePx && px <= kMaxPageSidePx; };
    return spec.pages >= 1 && spec.pages <= kMaxPages && side(spec.widthPx) && side(spec.heightPx) &&
           spec.dpi >= kMinDpi && spec.dpi <= kMaxDpi && spec.paddingBytesPerPage <= kMaxPaddingBytesPerPage;
}

SegmentPtr RawPage(const JobSpec& spec, int page) {
    detail::SegmentBuilder builder;
    builder.Append(std::make_shared<detail::RasterSegment>(std::make_shared<detail::PagePicture>(spec, page)));
    builder.Append(std::make_shared<detail::ZeroSegment>(spec.paddingBytesPerPage));
    return builder.Finish();
}

SegmentPtr JpegPage(const JobSpec& spec, int page) {
    auto jpeg = detail::PageJpeg(spec, page);
    if (!jpeg) return nullptr;
    return detail::PaddedJpeg(jpeg, spec.paddingBytesPerPage);
}

// page 0 asks for the whole job; single-image formats were mapped to their page before.
SegmentPtr Layout(const JobSpec& spec, ContentFormat format, int page) {
    const int first = page == 0 ? 1 : page;
    const int last = page == 0 ? spec.pages : page;
    switch (format) {
        case ContentFormat::PDF: return detail::PdfDocument(spec, first, last, false);
        case ContentFormat::COMPACT_PDF: return detail::PdfDocument(spec, first, last, true);
        case ContentFormat::TIFF: return detail::TiffDocument(spec, first, last, false);
        case ContentFormat::XPS: return detail::XpsDocument(spec, first, last, false);
        case ContentFormat::COMPACT_XPS: return detail::XpsDocument(spec, first, last, true);
        case ContentFormat::JPEG: return JpegPage(spec, page);
        case ContentFormat::RAW: return RawPage(spec, page);
    }
    return nullptr;
}

using RenditionKey = std::tuple<uint32_t, int, int, int, bool, uint64_t, int, int, int>;

RenditionKey KeyOf(const JobSpec& spec, ContentFormat format, int page) {
    return {spec.seed,  spec.pages, spec.widthPx, spec.heightPx, spec.color, spec.paddingBytesPerPage,
            spec.dpi, static_cast<int>(format), page};
}

// The renditions made last, most recent first: a server asks for the same one
// chunk after chunk.
class RenditionCache {
public:
    std::shared_ptr<const JobDocument> Find(const RenditionKey& key) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->first != key) continue;
            m_entries.splice(m_entries.begin(), m_entries, it);
            return it->second;
        }
        return nullptr;
    }

    void Add(const RenditionKey& key, std::shared_ptr<const JobDocument> document) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.emplace_front(key, std::move(document));
        if (m_entries.size() > kCachedDocuments) m_entries.pop_back();
    }

private:
    std::mutex m_mutex;
    std::list<std::pair<RenditionKey, std::shared_ptr<const JobDocument>>> m_entries;
};

RenditionCache& Cache() {
    static RenditionCache cache;
    return cache;
}

}  // namespace

JobDocument::JobDocument(std::shared_ptr<const detail::Segment> content) : m_content(std::move(content)) {}

std::shared_ptr<const JobDocument> JobDocument::Make(const JobSpec& spec, ContentFormat format, int page) {
    if (!WithinLimits(spec) || ContentFormatName(format).empty() || page < 0 || page > spec.pages) return nullptr;
    if (format == ContentFormat::JPEG || format == ContentFormat::RAW) {
        // A single image: a page, or the whole job when it has only one.
        if (page == 0 && spec.pages != 1) return nullptr;
        if (page == 0) page = 1;
    }
    const RenditionKey key = KeyOf(spec, format, page);
    if (auto cached = Cache().Find(key)) return cached;
    SegmentPtr content = Layout(spec, format, page);
    if (!content) return nullptr;
    std::shared_ptr<const JobDocument> document(new JobDocument(std::move(content)));
    Cache().Add(key, document);
    return document;
}

uint64_t JobDocument::Size() const {
    return m_content->Size();
}

size_t JobDocument::Read(uint64_t offset, char* buffer, size_t length) const {
    const uint64_t size = m_content->Size();
    if (offset >= size || length == 0) return 0;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(length, size - offset));
    m_content->Fill(offset, reinterpret_cast<uint8_t*>(buffer), count);
    return count;
}

}  // namespace zeltosim
