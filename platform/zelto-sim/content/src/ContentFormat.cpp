#include "JobContent.h"

namespace zeltosim {
namespace {

struct FormatName {
    ContentFormat format;
    const char* name;
};

constexpr FormatName kFormatNames[] = {
    {ContentFormat::PDF, "PDF"},
    {ContentFormat::TIFF, "TIFF"},
    {ContentFormat::JPEG, "JPEG"},
    {ContentFormat::XPS, "XPS"},
    {ContentFormat::RAW, "RAW"},
    {ContentFormat::COMPACT_PDF, "COMPACT_PDF"},
    {ContentFormat::COMPACT_XPS, "COMPACT_XPS"},
};

}  // namespace

bool ParseContentFormat(const std::string& text, ContentFormat& out) {
    for (const auto& entry : kFormatNames) {
        if (text == entry.name) {
            out = entry.format;
            return true;
        }
    }
    return false;
}

std::string ContentFormatName(ContentFormat f) {
    for (const auto& entry : kFormatNames) {
        if (entry.format == f) return entry.name;
    }
    return "";
}

}  // namespace zeltosim
