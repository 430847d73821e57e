// Texts of the kit: dates, sizes and page sizes, translated where they carry a unit.
#pragma once

#include <wx/string.h>

#include "CFDateFormatterStyle.h"
#include "DropwellUIExport.h"

namespace VEQ {

enum UNITS { POINTS = 0, INCHES = 1, MILLIMETERS = 2 };

// seconds since 1970 as the local date and time in the two styles.
DROPWELLUI_API wxString getDateTime(unsigned long seconds, CFDateFormatterStyle date, CFDateFormatterStyle time);

// seconds (decimal text) plus offset: "Today" or "Yesterday" and the time, else
// the short date and the time. Empty for an empty or non-numeric text.
DROPWELLUI_API wxString FormatKTRDate(const wxString& seconds, long offset);

// "%.1f " and "GB", "MB" or "KB" (translated).
DROPWELLUI_API wxString FormatSize(double bytes);
// "%.1f MB"; any size above 0 that would read 0.0 reads 0.1.
DROPWELLUI_API wxString FormatMBSize(double bytes);

// A number of points in the unit, "%.02f" followed by "pt", "in" or "mm".
DROPWELLUI_API wxString ConvertPoints(const wxString& points, UNITS unit);
// "width height" in points as "W x H" in the unit; "" without two numbers.
DROPWELLUI_API wxString FormatCustomPageSize(const wxString& size, UNITS unit);

}  // namespace VEQ
