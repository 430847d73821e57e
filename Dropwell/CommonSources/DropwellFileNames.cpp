#include "DropwellFileNames.h"

namespace {

// Stems stay well below the 255 bytes a file name may have on disk, leaving room
// for "_<page>", "." and an extension, and for the part-file decoration.
constexpr size_t kMaxStemBytes = 180;

bool IsUnsafeChar(wxUniChar c) {
    const wxUint32 v = c.GetValue();
    return v == '/' || v == '\\' || v < 0x20 || v == 0x7F;
}

wxString CutToBytes(const wxString& text, size_t maxBytes) {
    wxString result;
    size_t bytes = 0;
    for (wxUniChar c : text) {
        const size_t charBytes = wxString(c).utf8_str().length();
        if (bytes + charBytes > maxBytes) break;
        bytes += charBytes;
        result += c;
    }
    return result;
}

}  // namespace

wxString DropwellFileNames::SafeStem(const wxString& name, int jobId) {
    wxString stem;
    for (wxUniChar c : name) stem += IsUnsafeChar(c) ? wxUniChar('_') : c;
    size_t first = 0;
    while (first < stem.length() && (stem[first] == ' ' || stem[first] == '.')) ++first;
    size_t end = stem.length();
    while (end > first && (stem[end - 1] == ' ' || stem[end - 1] == '.')) --end;
    stem = CutToBytes(stem.Mid(first, end - first), kMaxStemBytes);
    while (!stem.empty() && (stem.Last() == ' ' || stem.Last() == '.')) stem.RemoveLast();
    if (stem.empty()) stem = wxString::Format("Job_%d", jobId);
    return stem;
}

wxString DropwellFileNames::Extension(const wxString& format) {
    wxString extension;
    for (wxUniChar c : format) {
        const wxUint32 v = c.GetValue();
        if ((v >= 'A' && v <= 'Z') || (v >= 'a' && v <= 'z') || (v >= '0' && v <= '9') || v == '_' || v == '-') {
            extension += c;
        }
    }
    return extension.Left(32);
}

bool DropwellFileNames::IsJpegFormat(const wxString& format) {
    return format.IsSameAs("JPEG", false) || format.IsSameAs("jpg", false);
}

wxString DropwellFileNames::FileName(const wxString& stem, const wxString& format) {
    return stem + "." + Extension(format);
}

wxString DropwellFileNames::PageFileName(const wxString& stem, int page, const wxString& format) {
    return stem + wxString::Format("_%d", page) + "." + Extension(format);
}

wxString DropwellFileNames::PartFileName(const wxString& fileName) {
    return "." + fileName + ".veqpart";
}

bool DropwellFileNames::IsPartFileName(const wxString& name) {
    static const wxString suffix = ".veqpart";
    return name.length() > suffix.length() + 1 && name.StartsWith(".") && name.EndsWith(suffix);
}
