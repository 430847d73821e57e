#include "KitFormat.h"

#include <ctime>

#include <wx/intl.h>
#include <wx/tokenzr.h>

namespace VEQ {

namespace {

// The local calendar day of a moment, as one comparable number.
long LocalDay(std::time_t moment) {
    std::tm parts{};
    if (!localtime_r(&moment, &parts)) return -1;
    return (parts.tm_year + 1900L) * 1000 + parts.tm_yday;
}

bool ReadNumber(const wxString& text, double& value) {
    return !text.empty() && text.ToCDouble(&value);
}

}  // namespace

wxString getDateTime(unsigned long seconds, CFDateFormatterStyle date, CFDateFormatterStyle time) {
    using namespace veqplatform::desktop;
    const std::string text = FormatDateStyles(seconds, DateStyleOf(date), DateStyleOf(time));
    return wxString(text.c_str(), wxConvLibc);
}

wxString FormatKTRDate(const wxString& seconds, long offset) {
    unsigned long value = 0;
    if (seconds.empty() || !seconds.ToULong(&value)) return wxString();
    const unsigned long moment = value + offset;
    const std::time_t now = std::time(nullptr);
    const long day = LocalDay(static_cast<std::time_t>(moment));
    if (day == LocalDay(now)) {
        return _("Today") + " " + getDateTime(moment, kCFDateFormatterNoStyle, kCFDateFormatterMediumStyle);
    }
    if (day == LocalDay(now - 24 * 60 * 60)) {
        return _("Yesterday") + " " + getDateTime(moment, kCFDateFormatterNoStyle, kCFDateFormatterMediumStyle);
    }
    return getDateTime(moment, kCFDateFormatterShortStyle, kCFDateFormatterMediumStyle);
}

wxString FormatSize(double bytes) {
    const double gigabyte = 1024.0 * 1024 * 1024, megabyte = 1024.0 * 1024;
    if (bytes >= gigabyte) return wxString::Format("%.1f ", bytes / gigabyte) + _("GB");
    if (bytes >= megabyte) return wxString::Format("%.1f ", bytes / megabyte) + _("MB");
    return wxString::Format("%.1f ", bytes / 1024) + _("KB");
}

wxString FormatMBSize(double bytes) {
    const double megabytes = bytes > 0 && bytes < 104857.6 ? 0.1 : bytes / (1024.0 * 1024);
    return wxString::Format("%.1f ", megabytes) + _("MB");
}

wxString ConvertPoints(const wxString& points, UNITS unit) {
    double value = 0;
    ReadNumber(points, value);
    switch (unit) {
    case POINTS: return wxString::Format("%.02f%s", value, _("pt"));
    case INCHES: return wxString::Format("%.02f%s", value / 72 + 0.00005, _("in"));
    case MILLIMETERS: return wxString::Format("%.02f%s", value / 72 * 25.4 + 0.00005, _("mm"));
    }
    return wxString::Format("%.02f", value);
}

wxString FormatCustomPageSize(const wxString& size, UNITS unit) {
    const wxArrayString parts = wxStringTokenize(size, " ", wxTOKEN_STRTOK);
    double width = 0, height = 0;
    if (parts.size() < 2 || !ReadNumber(parts[0], width) || !ReadNumber(parts[1], height)) return wxString();
    return wxString::Format("%s x %s", ConvertPoints(parts[0], unit), ConvertPoints(parts[1], unit));
}

}  // namespace VEQ
