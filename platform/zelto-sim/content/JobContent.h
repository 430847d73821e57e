// The bytes of the simulated controller's scanned jobs: real documents in every
// format the controller serves, produced on demand and deterministically from a
// small job description, so that jobs of any size cost no memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zeltosim {

namespace detail {
class Segment;
}

// The numbers are the system's file-format numbers; BMP (4) is never served.
enum class ContentFormat { PDF = 0, TIFF = 1, JPEG = 2, XPS = 3, RAW = 5, COMPACT_PDF = 6, COMPACT_XPS = 7 };

// Parses and prints the format texts of job and destination attributes ("PDF",
// "TIFF", "JPEG", "XPS", "RAW", "COMPACT_PDF", "COMPACT_XPS"), exactly as written.
// false and "" for anything else.
bool ParseContentFormat(const std::string& text, ContentFormat& out);
std::string ContentFormatName(ContentFormat f);

struct JobSpec {
    uint32_t seed = 1;          // makes the pictures differ between jobs; same seed => same bytes
    int pages = 1;
    int widthPx = 850, heightPx = 1100;   // page raster size (letter at 100 dpi)
    bool color = true;          // RGB or gray
    uint64_t paddingBytesPerPage = 0;     // extra bytes per page that make very large jobs cheaply; 0 = none
    int dpi = 100;              // resolution of the raster: the page is widthPx / dpi inches wide
};

// Limits of a job that can be made (Make answers nullptr outside them).
constexpr int kMaxPages = 10000;
constexpr int kMinPageSidePx = 32;
constexpr int kMaxPageSidePx = 65500;
constexpr int kMinDpi = 10;
constexpr int kMaxDpi = 4800;
constexpr uint64_t kMaxPaddingBytesPerPage = uint64_t(1) << 40;

// One rendition of a job: the whole job (page 0) or one page (1..pages), in one format.
// Bytes are produced on demand and deterministically; the document is never held whole
// in memory. Thread-safe for concurrent Read calls.
class JobDocument {
public:
    // nullptr when that rendition does not exist: page out of range, JPEG/RAW page 0
    // of a job with more than one page (a one-page JPEG/RAW job answers page 0 with its
    // page), a spec outside the limits above, or a document too large for its format
    // (TIFF and XPS use 32-bit offsets). Recently made renditions are kept, so asking
    // again for the same one is cheap.
    static std::shared_ptr<const JobDocument> Make(const JobSpec& spec, ContentFormat format, int page);

    uint64_t Size() const;
    // Copies min(length, Size() - offset) bytes at offset into buffer; returns the count
    // (0 at or past the end).
    size_t Read(uint64_t offset, char* buffer, size_t length) const;

private:
    explicit JobDocument(std::shared_ptr<const detail::Segment> content);

    std::shared_ptr<const detail::Segment> m_content;
};

}  // namespace zeltosim
