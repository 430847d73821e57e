#include "DataFormatter.h"

#include <cwchar>
#include <ctime>
#include <limits>
#include <vector>

#include <wx/debug.h>
#include <wx/translation.h>

#include "VEQNSUtils.h"

namespace {

const wxString s_space(" ");

// The times of years 1 to 9999, in seconds since 1970: the span the elapsed-day
// count works on; a count outside it is no time.
constexpr long long kFirstSecond = -62135596800LL;
constexpr long long kLastSecond = 253402300799LL;
constexpr long long kLongestOffsetMs = (kLastSecond - kFirstSecond) * 1000;

// The word in the loaded catalogues (any domain), else the word itself.
wxString Translated(const char* word) {
    const wxString original(word);
    if (const wxTranslations* translations = wxTranslations::Get()) {
        if (const wxString* text = translations->GetTranslatedString(original, wxString(), wxString())) return *text;
    }
    return wxTranslations::GetUntranslatedString(original);
}

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const CalendarDate& other) const {
        return year == other.year && month == other.month && day == other.day;
    }
};

// The broken-down local time of seconds since 1970; false when the system
// cannot convert it.
bool LocalTimeOf(long long seconds, std::tm& local) {
    if (seconds < std::numeric_limits<std::time_t>::min() || seconds > std::numeric_limits<std::time_t>::max())
        return false;
    std::time_t time = static_cast<std::time_t>(seconds);
    ::tzset();
    return ::localtime_r(&time, &local) != nullptr;
}

CalendarDate DateOf(const std::tm& local) {
    CalendarDate date;
    date.year = local.tm_year;
    date.month = local.tm_mon;
    date.day = local.tm_mday;
    return date;
}

// The local calendar day before the one of local.
CalendarDate DayBefore(std::tm local) {
    local.tm_mday -= 1;
    local.tm_hour = 12;  // noon: clear of any daylight-saving shift
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    std::time_t noon = std::mktime(&local);
    std::tm before{};
    ::localtime_r(&noon, &before);
    return DateOf(before);
}

// The locale's date and time representation ("%c") of a local time.
wxString LocaleDateTimeText(const std::tm& local) {
    for (size_t size = 128; size <= 8192; size *= 2) {
        std::vector<wchar_t> buffer(size);
        size_t length = std::wcsftime(buffer.data(), buffer.size(), L"%c", &local);
        if (length > 0) return wxString(buffer.data(), length);
    }
    return wxString();
}

bool IsDigits(const wxString& text) {
    if (text.empty()) return false;
    for (wxUniChar c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool IsLeapYear(long year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(long year, long month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Reads "YYYY-MM-DDTHH:MM:SS" at the start of text as UTC fields.
bool ParseJDFFields(const wxString& text, std::tm& fields) {
    static const char kPattern[] = "dddd-dd-ddTdd:dd:dd";
    const size_t length = sizeof kPattern - 1;
    if (text.length() < length) return false;
    for (size_t i = 0; i < length; ++i) {
        wxUniChar c = text[i];
        if (kPattern[i] == 'd' ? (c < '0' || c > '9') : c != kPattern[i]) return false;
    }
    long year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    text.Mid(0, 4).ToLong(&year);
    text.Mid(5, 2).ToLong(&month);
    text.Mid(8, 2).ToLong(&day);
    text.Mid(11, 2).ToLong(&hour);
    text.Mid(14, 2).ToLong(&minute);
    text.Mid(17, 2).ToLong(&second);
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    if (hour > 23 || minute > 59 || second > 60) return false;
    fields = std::tm{};
    fields.tm_year = static_cast<int>(year - 1900);
    fields.tm_mon = static_cast<int>(month - 1);
    fields.tm_mday = static_cast<int>(day);
    fields.tm_hour = static_cast<int>(hour);
    fields.tm_min = static_cast<int>(minute);
    fields.tm_sec = static_cast<int>(second);
    return true;
}

// The zone designator at the end of text ("Z", "+HH:MM", "-HH:MM") as seconds
// east of UTC.
bool ParseZoneDesignator(const wxString& text, long& offset) {
    const size_t fieldsLength = 19;
    wxUniChar last = text.Last();
    if (last == 'Z' || last == 'z') {
        offset = 0;
        return text.length() > fieldsLength;
    }
    if (text.length() < fieldsLength + 6) return false;
    wxString designator = text.Right(6);
    wxUniChar sign = designator[0];
    if ((sign != '+' && sign != '-') || designator[3] != ':') return false;
    long hours = 0, minutes = 0;
    if (!IsDigits(designator.Mid(1, 2)) || !IsDigits(designator.Mid(4, 2))) return false;
    designator.Mid(1, 2).ToLong(&hours);
    designator.Mid(4, 2).ToLong(&minutes);
    offset = hours * 3600 + minutes * 60;
    if (sign == '-') offset = -offset;
    return true;
}

}  // namespace

wxString DataFormatter::FormatDate(const wxDateTime& date) {
    if (!date.IsValid()) return wxString();
    return date.FormatDate();
}

wxString DataFormatter::FormatTime(long time, long offset) {
    long t = 0;
    if (__builtin_sub_overflow(time, offset, &t)) return wxString();
    std::tm local{};
    if (!LocalTimeOf(t, local)) return wxString();
    return LocaleDateTimeText(local);
}

wxString DataFormatter::FormatKTRDate(long time, long offset, DateFormatPolicy policy) {
    struct DayWords {
        wxString today;
        wxString yesterday;
    };
    static const DayWords s_words{Translated(wxTRANSLATE("Today")), Translated(wxTRANSLATE("Yesterday"))};

    if (time < 1) return wxString();
    long t = 0;
    std::tm local{};
    if (__builtin_add_overflow(time, offset, &t) || !LocalTimeOf(t, local)) return wxString();

    std::tm now{};
    LocalTimeOf(std::time(nullptr), now);
    const CalendarDate day = DateOf(local);
    const unsigned long seconds = static_cast<unsigned long>(t);
    if (policy == TodayYesterday && day == DateOf(now)) return s_words.today + s_space + VEQNSUtils::FormatTime(seconds);
    if (policy == TodayYesterday && day == DayBefore(now))
        return s_words.yesterday + s_space + VEQNSUtils::FormatTime(seconds);
    return VEQNSUtils::FormatDateTime(seconds);
}

int DataFormatter::GetElapsedDays(const wxString& text, long offset) {
    long count = 0;
    bool converted = text.BeforeFirst(':').ToLong(&count, 10);
    wxASSERT_MSG(converted, "the text does not begin with a count of seconds");

    if (count < kFirstSecond || count > kLastSecond || offset < -kLongestOffsetMs || offset > kLongestOffsetMs)
        return 0;
    wxDateTime now = wxDateTime::Now() - wxTimeSpan::Milliseconds(offset);
    wxDateTime stored(wxLongLong(count) * 1000);
    return now.DiffAsDateSpan(stored).GetDays();
}

bool DataFormatter::GetLocalTimeFromJDFTime(const wxString& jdfTime, wxString& localTime) {
    localTime.clear();
    if (jdfTime.empty() || jdfTime.CmpNoCase("INF") == 0 || jdfTime.CmpNoCase("-INF") == 0) return false;

    std::tm fields{};
    long zoneOffset = 0;
    if (!ParseJDFFields(jdfTime, fields) || !ParseZoneDesignator(jdfTime, zoneOffset)) return false;

    // The instant the text denotes: its fields read as UTC, less the zone's offset.
    long long instant = static_cast<long long>(::timegm(&fields)) - zoneOffset;
    std::tm local{};
    if (!LocalTimeOf(instant, local)) return false;
    localTime = LocaleDateTimeText(local);
    return true;
}

wxString DataFormatter::FormatSizeInMB(double size) {
    struct UnitWords {
        wxString megabytes;
        wxString kilobytes;
    };
    static const UnitWords s_units{Translated(wxTRANSLATE("MB")), Translated(wxTRANSLATE("KB"))};

    if (size < 1048576) return wxString::Format("%.1f %s", size * 0.0009765625, s_units.kilobytes);
    return wxString::Format("%.1f %s", size * 9.5367431640625e-07, s_units.megabytes);
}

wxUniChar DataFormatter::GetDecimalSymbol() {
    static const wxString s_decimalNumber = wxString::Format("%f", 0.0);
    return s_decimalNumber[1];
}

bool DataFormatter::ConvertStringToDouble(const wxString& text, double& value) {
    wxString copy(text);
    copy.Replace(".", wxString(GetDecimalSymbol()));
    return copy.ToDouble(&value);
}
