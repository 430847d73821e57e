#include "PdfLayout.h"

#include <cstdio>
#include <vector>

#include "PageDeflate.h"
#include "PageUnits.h"

namespace zeltosim::detail {
namespace {

constexpr uint64_t kMaxOffset = 9999999999ull;  // ten digits in the cross-reference table
constexpr int kUnitsPerInch = 72;

std::string Ref(uint64_t object) {
    return std::to_string(object) + " 0 R";
}

std::string StreamStart(uint64_t object, const std::string& dictionary, uint64_t length) {
    return std::to_string(object) + " 0 obj\n<< " + dictionary + "/Length " + std::to_string(length) + " >>\nstream\n";
}

const char kStreamEnd[] = "\nendstream\nendobj\n";

}  // namespace

SegmentPtr PdfDocument(const JobSpec& spec, int firstPage, int lastPage, bool compact) {
    const int count = lastPage - firstPage + 1;
    const bool padded = spec.paddingBytesPerPage > 0;
    const uint64_t perPage = padded ? 4 : 3;  // page, contents, image, padding
    auto pageObject = [&](int i) { return 3 + perPage * i; };
    const uint64_t objects = 3 + perPage * count;  // including the free object 0

    SegmentBuilder builder;
    std::vector<uint64_t> offsets(objects, 0);
    builder.Append("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    offsets[1] = builder.Offset();
    builder.Append("1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    offsets[2] = builder.Offset();
    std::string kids;
    for (int i = 0; i < count; ++i) kids += (i ? " " : "") + Ref(pageObject(i));
    builder.Append("2 0 obj\n<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(count) + " >>\nendobj\n");

    const JobSpec image = ImageSpec(spec, compact);
    const int channels = image.color ? 3 : 1;
    // The page has the job's size; its image is the job's raster, or the compact one.
    const std::string width = PageUnits(spec.widthPx, kUnitsPerInch, spec.dpi);
    const std::string height = PageUnits(spec.heightPx, kUnitsPerInch, spec.dpi);
    const std::string imageDictionary =
        "/Type /XObject /Subtype /Image /Width " + std::to_string(image.widthPx) + " /Height " +
        std::to_string(image.heightPx) + " /ColorSpace " + (channels == 3 ? "/DeviceRGB" : "/DeviceGray") +
        " /BitsPerComponent 8 /Filter /FlateDecode /DecodeParms << /Predictor 2 /Colors " + std::to_string(channels) +
        " /BitsPerComponent 8 /Columns " + std::to_string(image.widthPx) + " >> ";
    for (int i = 0; i < count; ++i) {
        const int page = firstPage + i;
        const uint64_t pageNo = pageObject(i), contentsNo = pageNo + 1, imageNo = pageNo + 2, paddingNo = pageNo + 3;

        offsets[pageNo] = builder.Offset();
        builder.Append(std::to_string(pageNo) + " 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + width + " " + height +
                       "] /Resources << /XObject << /Im1 " + Ref(imageNo) + " >> >> /Contents " + Ref(contentsNo) +
                       (padded ? " /ZeltoSimPadding " + Ref(paddingNo) : "") + " >>\nendobj\n");

        const std::string contents = "q\n" + width + " 0 0 " + height + " 0 0 cm\n/Im1 Do\nQ";
        offsets[contentsNo] = builder.Offset();
        builder.Append(StreamStart(contentsNo, "", contents.size()) + contents + kStreamEnd);

        auto compressed = PageDeflate(image, page);
        if (!compressed) return nullptr;
        offsets[imageNo] = builder.Offset();
        builder.Append(StreamStart(imageNo, imageDictionary, compressed->size()));
        builder.Append(std::make_shared<BytesSegment>(compressed, 0, compressed->size()));
        builder.Append(kStreamEnd);

        if (padded) {
            offsets[paddingNo] = builder.Offset();
            builder.Append(StreamStart(paddingNo, "", spec.paddingBytesPerPage));
            builder.Append(std::make_shared<ZeroSegment>(spec.paddingBytesPerPage));
            builder.Append(kStreamEnd);
        }
        if (builder.Offset() > kMaxOffset) return nullptr;
    }

    const uint64_t xref = builder.Offset();
    std::string table = "xref\n0 " + std::to_string(objects) + "\n0000000000 65535 f \n";
    table.reserve(table.size() + 20 * objects);
    for (uint64_t object = 1; object < objects; ++object) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n", static_cast<unsigned long long>(offsets[object]));
        table += entry;
    }
    table += "trailer\n<< /Size " + std::to_string(objects) + " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    builder.Append(table);
    return builder.Finish();
}

}  // namespace zeltosim::detail
