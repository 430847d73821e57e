// Display texts for the lists of scanned jobs: dates and times in the user's
// locale (with "Today" and "Yesterday"), JDF date-times in local time, elapsed
// days, sizes in KB or MB, and decimal text whatever the decimal separator.
#pragma once

#include <wx/datetime.h>
#include <wx/string.h>

#include "VEQServicesExport.h"

enum DateFormatPolicy : int {
    DateAndTime = 0,     // always the date with the time
    TodayYesterday = 1,  // "Today" or "Yesterday" with the time for those days
};

class VEQSERVICES_API DataFormatter {
public:
    DataFormatter() = delete;

    // The locale's date representation ("%x") in local time; empty for an
    // invalid date.
    static wxString FormatDate(const wxDateTime& date);

    // The locale's date and time of (time - offset) seconds since 1970, in
    // local time. Empty when the system cannot convert it to local time.
    static wxString FormatTime(long time, long offset);

    // (time + offset) seconds since 1970 as display text. Empty for a time
    // below 1 and for one that has no local date.
    static wxString FormatKTRDate(long time, long offset, DateFormatPolicy policy);

    // The days member of the calendar difference from the count of seconds at
    // the start of text (before any ":") to now less offset milliseconds:
    // between -6 and 6, after whole years, months and weeks. 0 for a count
    // outside the years 1 to 9999.
    static int GetElapsedDays(const wxString& text, long offset);

    // A JDF date-time ("2020-01-01T12:00:00Z", "...+01:00", a fraction allowed
    // after the seconds) as the locale's date and time in local time. False,
    // with localTime empty, for empty text, "INF", "-INF", a malformed date or
    // a missing or malformed zone designator.
    static bool GetLocalTimeFromJDFTime(const wxString& jdfTime, wxString& localTime);

    // "%.1f KB" below 1048576 bytes, else "%.1f MB", in the numeric locale.
    static wxString FormatSizeInMB(double size);

    // The numeric locale's decimal separator at the first call.
    static wxUniChar GetDecimalSymbol();

    // text with "." standing for the decimal separator; true when all of it
    // converts.
    static bool ConvertStringToDouble(const wxString& text, double& value);
};
