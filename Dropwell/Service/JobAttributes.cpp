#include "JobAttributes.h"

#include "DropwellFileNames.h"
#include "Logger.h"
#include "PrintableText.h"

#include <vellora.h>

#include <cstdio>
#include <vector>

namespace JobAttributes {

void Read(const ScanAttributes* attributes, int jobId, DROPWELL::stJobDetails& details) {
    wxString fileName, utf8FileName, defaultFormat = "PDF";
    std::vector<wxString> formats;
    bool isJpeg = false;
    int pages = 0;
    const long count = attributes ? attributes->count : 0;
    for (long i = 0; i < count; ++i) {
        const char* rawKey = attributes->names ? attributes->names[i] : nullptr;
        const char* rawValue = attributes->values ? attributes->values[i] : nullptr;
        if (!rawKey) continue;
        const wxString key = wxString::FromUTF8(rawKey);
        const wxString value = rawValue ? wxString::FromUTF8(rawValue) : wxString();
        const wxString nameSoFar = utf8FileName.empty() ? fileName : utf8FileName;
        if (key == "FILENAME") {
            fileName = value;
        } else if (key == "UTF8_FILENAME") {
            utf8FileName = value;
        } else if (key.Contains("FILE_FORMAT:")) {
            formats.push_back(value);
        } else if (key == "N_PAGES") {
            if (std::sscanf(value.utf8_str().data(), "%d", &pages) != 1) pages = 0;
        } else if (key == "IS_JPEG") {
            if (wxString(value).Trim(true).Trim(false).IsSameAs("YES", false)) isJpeg = true;
            VEQLOG(Debug) << "IS_JPEG = " << PrintableText(value) << " for job - " << PrintableText(nameSoFar);
        } else if (key == "DEFAULT_FORMAT") {
            defaultFormat = wxString(value).Trim(true).Trim(false);
            VEQLOG(Debug) << "DEFAULT_FORMAT = " << PrintableText(value) << " for job - " << PrintableText(nameSoFar);
        }
    }
    details.fileName = DropwellFileNames::SafeStem(utf8FileName.empty() ? fileName : utf8FileName, jobId);
    if (isJpeg) {
        details.format = "JPEG";
    } else if (!formats.empty()) {
        bool offered = false;
        for (const wxString& f : formats) offered = offered || f == defaultFormat;
        details.format = offered ? defaultFormat : formats.front();
    }
    details.pages = pages;
}

}  // namespace JobAttributes
