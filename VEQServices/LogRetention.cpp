#include "LogRetention.h"

#include <algorithm>
#include <vector>

#include <wx/datetime.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

namespace {

const wxString s_dateTimeFormat = "%Y_%m_%d_%H_%M_%S";
const size_t s_dateTimeLength = 19;  // "YYYY_mm_dd_HH_MM_SS"

struct LogFile {
    wxString path;
    wxString runPrefix;    // the path up to its last '_', shared by the files of one run
    bool hasStartTime = false;
    wxLongLong startTime;  // milliseconds since the epoch
    unsigned long counter = 0;
    wxULongLong size = 0;
};

// The leading decimal digits of text (blanks skipped), 0 when there are none.
unsigned long LeadingNumber(const wxString& text) {
    unsigned long number = 0;
    size_t pos = 0;
    while (pos < text.length() && wxIsspace(text[pos])) ++pos;
    for (; pos < text.length() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        const unsigned long digit = static_cast<unsigned long>(text[pos] - '0');
        if (number > (static_cast<unsigned long>(-1) - digit) / 10) return static_cast<unsigned long>(-1);
        number = number * 10 + digit;
    }
    return number;
}

// Reads start time and counter from the end of the name
// "<base>_YYYY_mm_dd_HH_MM_SS_<counter>", so that a base name may hold '_'.
LogFile Describe(const wxString& path) {
    LogFile file;
    file.path = path;
    file.runPrefix = path.BeforeLast('_');
    const wxULongLong size = wxFileName::GetSize(path);
    file.size = size == wxInvalidSize ? wxULongLong(0) : size;

    const wxString name = wxFileName(path).GetName();
    const size_t counterSeparator = name.rfind('_');
    if (counterSeparator == wxString::npos) return file;
    file.counter = LeadingNumber(name.substr(counterSeparator + 1));
    if (counterSeparator < s_dateTimeLength + 1 || name[counterSeparator - s_dateTimeLength - 1] != '_') return file;
    const wxString timeText = name.substr(counterSeparator - s_dateTimeLength, s_dateTimeLength);
    wxDateTime time;
    wxString::const_iterator end;
    if (time.ParseFormat(timeText, s_dateTimeFormat, &end) && end == timeText.end()) {
        file.hasStartTime = true;
        file.startTime = time.GetValue();
    }
    return file;
}

// Newest first: later start time, then larger counter; files without a start time last.
bool IsNewer(const LogFile& a, const LogFile& b) {
    if (a.hasStartTime != b.hasStartTime) return a.hasStartTime;
    if (a.hasStartTime && a.startTime != b.startTime) return a.startTime > b.startTime;
    return a.counter > b.counter;
}

}  // namespace

void CheckAndDeletePreviousLogFiles(const wxString& folder, const LogRetentionPolicy& policy) {
    wxLogNull quiet;  // a missing or unreadable folder simply has no files
    wxArrayString paths;
    if (!wxDir::Exists(folder)) return;
    wxDir::GetAllFiles(folder, &paths, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
    if (paths.empty()) return;

    std::vector<LogFile> files;
    files.reserve(paths.size());
    for (const wxString& path : paths) files.push_back(Describe(path));
    std::sort(files.begin(), files.end(), IsNewer);

    std::uint64_t total = 0;
    size_t stop = files.size();
    for (size_t i = 0; i < files.size(); ++i) {
        total += files[i].size.GetValue();
        if (total >= policy.maxTotalSize || i >= policy.maxFilesRetained) {
            stop = i;
            break;
        }
    }
    if (stop == files.size()) return;
    while (stop + 1 < files.size() && files[stop + 1].runPrefix == files[stop].runPrefix) ++stop;

    for (size_t i = stop + 1; i < files.size(); ++i) {
        // The files of this run stay even when the clock has gone back (daylight
        // saving, a corrected clock) and an earlier run looks newer.
        if (!policy.currentRunPrefix.empty() && files[i].runPrefix == policy.currentRunPrefix) continue;
        wxRemoveFile(files[i].path);
    }
}
