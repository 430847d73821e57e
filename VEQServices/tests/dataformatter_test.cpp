#include <gtest/gtest.h>
#include <locale.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <wx/datetime.h>
#include <wx/translation.h>

#include "DataFormatter.h"
#include "ServicesTestSupport.h"
#include "VEQNSUtils.h"

namespace {

::testing::Environment* const s_wx = ::testing::AddGlobalTestEnvironment(new servicestest::WxEnvironment);

using servicestest::ExpectInChild;
using servicestest::HasLocale;
using servicestest::UseTimeZone;

const char* const kCommaLocales[] = {"de_DE.UTF-8", "fr_FR.UTF-8"};

// The local time of the given day (0 today, -1 yesterday) at h:m:s.
long LocalTime(int dayOffset, int hour, int minute, int second) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    local.tm_mday += dayOffset;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return static_cast<long>(std::mktime(&local));
}

int LocalDay() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_yday;
}

using TextPairs = std::vector<std::pair<wxString, wxString>>;

// Runs compute (actual and expected texts that depend on today's date) again
// when the day changed while it ran, then compares.
void ExpectSameDayResults(const std::function<TextPairs()>& compute) {
    TextPairs results;
    for (int attempt = 0; attempt < 3; ++attempt) {
        int day = LocalDay();
        results = compute();
        if (LocalDay() == day) break;
    }
    for (size_t i = 0; i < results.size(); ++i) EXPECT_EQ(results[i].first, results[i].second) << "case " << i;
}

wxString Today(long t) {
    return "Today " + VEQNSUtils::FormatTime(static_cast<unsigned long>(t));
}
wxString Yesterday(long t) {
    return "Yesterday " + VEQNSUtils::FormatTime(static_cast<unsigned long>(t));
}
wxString Plain(long t) {
    return VEQNSUtils::FormatDateTime(static_cast<unsigned long>(t));
}

TEST(FormatKTRDate, NoTimeGivesTheEmptyText) {
    for (long time : {0L, -5L}) {
        for (long offset : {0L, 100000L, -100L}) {
            for (DateFormatPolicy policy : {DateAndTime, TodayYesterday}) {
                EXPECT_EQ(DataFormatter::FormatKTRDate(time, offset, policy), "") << time << " " << offset;
            }
        }
    }
}

TEST(FormatKTRDate, TodayAndYesterdayFollowTheLocalCalendarDay) {
    for (const char* zone : {"UTC", "Pacific/Kiritimati", "Pacific/Pago_Pago", "America/New_York"}) {
        ExpectInChild([zone] {
            UseTimeZone(zone);
            ExpectSameDayResults([] {
                const long midnight = LocalTime(0, 0, 0, 0);
                const long lastOfToday = LocalTime(0, 23, 59, 59);
                const long lastOfYesterday = LocalTime(-1, 23, 59, 59);
                const long yesterdayMidnight = LocalTime(-1, 0, 0, 0);
                const long lastOfTwoDaysAgo = LocalTime(-2, 23, 59, 59);
                const long tomorrow = LocalTime(1, 0, 0, 0);
                return TextPairs{
                    {DataFormatter::FormatKTRDate(midnight, 0, TodayYesterday), Today(midnight)},
                    {DataFormatter::FormatKTRDate(lastOfToday, 0, TodayYesterday), Today(lastOfToday)},
                    {DataFormatter::FormatKTRDate(lastOfYesterday, 0, TodayYesterday), Yesterday(lastOfYesterday)},
                    {DataFormatter::FormatKTRDate(yesterdayMidnight, 0, TodayYesterday), Yesterday(yesterdayMidnight)},
                    {DataFormatter::FormatKTRDate(lastOfTwoDaysAgo, 0, TodayYesterday), Plain(lastOfTwoDaysAgo)},
                    {DataFormatter::FormatKTRDate(tomorrow, 0, TodayYesterday), Plain(tomorrow)},
                    // The offset is added, for the day test and for the text.
                    {DataFormatter::FormatKTRDate(midnight - 500, 500, TodayYesterday), Today(midnight)},
                    {DataFormatter::FormatKTRDate(midnight + 500, -501, TodayYesterday), Yesterday(midnight - 1)},
                    // Any other policy always gives the plain form.
                    {DataFormatter::FormatKTRDate(midnight, 0, DateAndTime), Plain(midnight)},
                    {DataFormatter::FormatKTRDate(midnight, 0, static_cast<DateFormatPolicy>(7)), Plain(midnight)},
                };
            });
        });
    }
}

TEST(FormatKTRDate, TimeWithoutLocalDateGivesTheEmptyText) {
    EXPECT_EQ(DataFormatter::FormatKTRDate(LONG_MAX, 0, TodayYesterday), "");
    EXPECT_EQ(DataFormatter::FormatKTRDate(LONG_MAX, 1, TodayYesterday), "");
    EXPECT_EQ(DataFormatter::FormatKTRDate(LONG_MAX - 10, 5, DateAndTime), "");
    // A sum before 1970 is handed on as an unsigned count, far beyond any date.
    EXPECT_EQ(DataFormatter::FormatKTRDate(5, -10, DateAndTime), "");
}

TEST(FormatTime, ShowsTimeLessOffsetAsLocaleDateAndTime) {
    // The process runs in the C locale ("%c") and here in UTC.
    UseTimeZone("UTC");
    EXPECT_EQ(DataFormatter::FormatTime(0, 0), "Thu Jan  1 00:00:00 1970");
    EXPECT_EQ(DataFormatter::FormatTime(1000, 100), "Thu Jan  1 00:15:00 1970");
    EXPECT_EQ(DataFormatter::FormatTime(-1, 0), "Wed Dec 31 23:59:59 1969");
    UseTimeZone("XXX-1");
    EXPECT_EQ(DataFormatter::FormatTime(0, 0), "Thu Jan  1 01:00:00 1970");
    EXPECT_EQ(DataFormatter::FormatTime(LONG_MIN, 1), "");
    EXPECT_EQ(DataFormatter::FormatTime(LONG_MAX, 0), "");
}

TEST(FormatDate, GivesTheLocaleDateOrNothingForAnInvalidDate) {
    EXPECT_EQ(DataFormatter::FormatDate(wxDateTime(1, wxDateTime::Jan, 2020)), "01/01/20");
    EXPECT_EQ(DataFormatter::FormatDate(wxDefaultDateTime), "");
}

TEST(FormatSizeInMB, KilobytesBelowOneMegabyteThenMegabytes) {
    const std::pair<double, const char*> cases[] = {
        {0, "0.0 KB"},
        {1023, "1.0 KB"},
        {1048575, "1024.0 KB"},
        {1048576, "1.0 MB"},
        {1.5 * 1048576, "1.5 MB"},
        {10.0 * 1073741824.0, "10240.0 MB"},
        {-1024, "-1.0 KB"},
    };
    for (const auto& c : cases) EXPECT_EQ(DataFormatter::FormatSizeInMB(c.first), c.second) << c.first;
    wxString nan = DataFormatter::FormatSizeInMB(std::nan(""));
    EXPECT_TRUE(nan.Contains("nan") && nan.EndsWith(" MB")) << nan;
}

TEST(FormatSizeInMB, FollowsTheNumericLocaleOfEachCall) {
    for (const char* locale : kCommaLocales) {
        if (!HasLocale(locale)) {
            ADD_FAILURE() << locale << " is missing; scripts/setup generates it";
            continue;
        }
        ExpectInChild([locale] {
            EXPECT_EQ(DataFormatter::FormatSizeInMB(1.5 * 1048576), "1.5 MB");
            ASSERT_NE(setlocale(LC_NUMERIC, locale), nullptr);
            EXPECT_EQ(DataFormatter::FormatSizeInMB(1.5 * 1048576), "1,5 MB");
            EXPECT_EQ(DataFormatter::FormatSizeInMB(1023), "1,0 KB");
            EXPECT_EQ(DataFormatter::FormatSizeInMB(1048575), "1024,0 KB");
        });
    }
}

TEST(DecimalSymbol, IsTheSeparatorOfTheFirstCall) {
    ExpectInChild([] { EXPECT_EQ(DataFormatter::GetDecimalSymbol(), '.'); });
    for (const char* locale : kCommaLocales) {
        if (!HasLocale(locale)) {
            ADD_FAILURE() << locale << " is missing; scripts/setup generates it";
            continue;
        }
        ExpectInChild([locale] {
            ASSERT_NE(setlocale(LC_NUMERIC, locale), nullptr);
            EXPECT_EQ(DataFormatter::GetDecimalSymbol(), ',');
            setlocale(LC_NUMERIC, "C");
            EXPECT_EQ(DataFormatter::GetDecimalSymbol(), ',') << "the first answer is kept";
        });
    }
}

TEST(ConvertStringToDouble, ReadsPointTextInThePointLocale) {
    struct Case {
        const char* text;
        bool converts;
        double value;
    };
    const Case cases[] = {
        {"1.5", true, 1.5}, {"-3", true, -3}, {"1e3", true, 1000}, {"2.5abc", false, 0}, {"1,5", false, 0},
    };
    for (const Case& c : cases) {
        double value = 7;
        EXPECT_EQ(DataFormatter::ConvertStringToDouble(c.text, value), c.converts) << c.text;
        if (c.converts) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }
    double untouched = 7;
    EXPECT_FALSE(DataFormatter::ConvertStringToDouble("", untouched));
    EXPECT_EQ(untouched, 7);
}

TEST(ConvertStringToDouble, ReadsPointTextInACommaLocale) {
    for (const char* locale : kCommaLocales) {
        if (!HasLocale(locale)) {
            ADD_FAILURE() << locale << " is missing; scripts/setup generates it";
            continue;
        }
        ExpectInChild([locale] {
            ASSERT_NE(setlocale(LC_NUMERIC, locale), nullptr);
            double value = 0;
            EXPECT_TRUE(DataFormatter::ConvertStringToDouble("1.5", value));
            EXPECT_DOUBLE_EQ(value, 1.5);
            EXPECT_TRUE(DataFormatter::ConvertStringToDouble("2,25", value));
            EXPECT_DOUBLE_EQ(value, 2.25);
            EXPECT_FALSE(DataFormatter::ConvertStringToDouble("2.5abc", value));
        });
    }
}

struct JdfCase {
    const char* jdf;
    const char* local;  // nullptr: rejected
};

void ExpectJdfCases(const char* zone, const std::vector<JdfCase>& cases) {
    UseTimeZone(zone);
    for (const JdfCase& c : cases) {
        wxString local = "stale";
        bool converted = DataFormatter::GetLocalTimeFromJDFTime(c.jdf, local);
        EXPECT_EQ(converted, c.local != nullptr) << zone << " " << c.jdf;
        EXPECT_EQ(local, c.local ? c.local : "") << zone << " " << c.jdf;
    }
}

TEST(JDFTime, ConvertsTheInstantToLocalTime) {
    // One hour east of UTC, without daylight-saving time.
    ExpectJdfCases("XXX-1", {
        {"2020-01-01T12:00:00Z", "Wed Jan  1 13:00:00 2020"},
        {"2020-01-01T12:00:00z", "Wed Jan  1 13:00:00 2020"},
        {"2020-01-01T12:00:00+01:00", "Wed Jan  1 12:00:00 2020"},
        {"2020-01-01T12:00:00-05:00", "Wed Jan  1 18:00:00 2020"},
        {"2020-01-01T12:00:00.5+01:00", "Wed Jan  1 12:00:00 2020"},
        {"2020-01-01T23:30:00-01:00", "Thu Jan  2 01:30:00 2020"},
        {"2020-02-29T00:00:00Z", "Sat Feb 29 01:00:00 2020"},
    });
    ExpectJdfCases("UTC", {{"2020-01-01T12:00:00+01:00", "Wed Jan  1 11:00:00 2020"}});
}

TEST(JDFTime, DaylightSavingTimeDoesNotShiftTheInstant) {
    ExpectJdfCases("CET-1CEST,M3.5.0,M10.5.0/3", {
        {"2020-07-01T12:00:00Z", "Wed Jul  1 14:00:00 2020"},
        {"2020-07-01T12:00:00+02:00", "Wed Jul  1 12:00:00 2020"},
        {"2020-01-01T12:00:00Z", "Wed Jan  1 13:00:00 2020"},
        {"2020-03-29T02:30:00Z", "Sun Mar 29 04:30:00 2020"},
    });
}

TEST(JDFTime, RejectsTextThatIsNoDateTimeWithZone) {
    std::vector<JdfCase> cases;
    for (const char* text : {"", "INF", "inf", "-INF", "-Inf", "2020-13-01T00:00:00Z", "2019-02-29T00:00:00Z",
                             "2020-01-32T00:00:00Z", "2020-01-01T24:00:00Z", "2020-01-01T12:00:00+ab:00",
                             "2020-01-01T12:34:56", "2020-01-01T12:00:00+0100", "2020-01-01 12:00:00Z",
                             "20-01-01T12:00:00Z", "garbage", "Z"}) {
        cases.push_back({text, nullptr});
    }
    ExpectJdfCases("UTC", cases);
}

int s_assertReports = 0;

void CountAssert(const wxString&, int, const wxString&, const wxString&, const wxString&) {
    ++s_assertReports;
}

long Ticks(const wxDateTime& time) {
    return static_cast<long>(time.GetTicks());
}

TEST(ElapsedDays, IsTheDaysMemberOfTheCalendarDifference) {
    ExpectSameDayResults([] {
        const wxDateTime now = wxDateTime::Now();
        const long tenDaysBack = Ticks(now - wxDateSpan::Days(10));
        const long monthAndTwoDaysBack = Ticks(now - wxDateSpan(0, 1, 0, 2));
        const long twoDaysAhead = Ticks(now + wxDateSpan::Days(2));
        const long tenDaysMs = 10L * 24 * 3600 * 1000;
        auto days = [](long count, long offset, const char* tail) {
            return wxString::Format("%d", DataFormatter::GetElapsedDays(wxString::Format("%ld%s", count, tail), offset));
        };
        return TextPairs{
            {days(Ticks(now), 0, ""), "0"},
            {days(tenDaysBack, 0, ""), "3"},
            {days(tenDaysBack, 0, ":job 17"), "3"},
            {days(monthAndTwoDaysBack, 0, ""), "2"},
            {days(twoDaysAhead, 0, ""), "-2"},
            {days(Ticks(now), tenDaysMs, ""), "-3"},  // now is moved back by the offset
            {days(300000000000L, 0, ""), "0"},        // beyond the year 9999: no time
        };
    });
}

TEST(ElapsedDays, UnreadableCountIsReportedAndStillGivesADayCount) {
    wxSetAssertHandler(CountAssert);
    int days = DataFormatter::GetElapsedDays("not a count", 0);
    wxSetAssertHandler(nullptr);
    EXPECT_EQ(s_assertReports, 1);
    EXPECT_GE(days, -6);
    EXPECT_LE(days, 6);
}

// A message catalogue (".mo") holding the given translations.
std::string MoFile(std::vector<std::pair<std::string, std::string>> entries) {
    entries.emplace_back("", "Content-Type: text/plain; charset=UTF-8\n");
    std::sort(entries.begin(), entries.end());
    const uint32_t count = static_cast<uint32_t>(entries.size());
    std::vector<uint32_t> header = {0x950412de, 0, count, 28, 28 + 8 * count, 0, 28 + 16 * count};
    std::string strings;
    std::vector<uint32_t> originals, translations;
    uint32_t base = 28 + 16 * count;
    for (const auto& entry : entries) {
        originals.push_back(static_cast<uint32_t>(entry.first.size()));
        originals.push_back(base + static_cast<uint32_t>(strings.size()));
        strings += entry.first + '\0';
    }
    for (const auto& entry : entries) {
        translations.push_back(static_cast<uint32_t>(entry.second.size()));
        translations.push_back(base + static_cast<uint32_t>(strings.size()));
        strings += entry.second + '\0';
    }
    std::string file;
    for (const auto* table : {&header, &originals, &translations}) {
        file.append(reinterpret_cast<const char*>(table->data()), table->size() * sizeof(uint32_t));
    }
    return file + strings;
}

// Loads a French "veq" catalogue translating the four words.
void LoadFrenchCatalogue(const std::string& folder) {
    mkdir((folder + "/fr").c_str(), 0755);
    veqtest::WriteFile(folder + "/fr/veq.mo",
                       MoFile({{"Today", "Aujourd'hui"}, {"Yesterday", "Hier"}, {"KB", "Ko"}, {"MB", "Mo"}}));
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(folder);
    wxTranslations* translations = new wxTranslations;
    wxTranslations::Set(translations);
    translations->SetLanguage("fr");
    ASSERT_TRUE(translations->AddCatalog("veq"));
}

TEST(TranslatedWords, AreTakenFromTheCataloguesAtTheFirstCall) {
    veqtest::TempDir catalogues;
    ExpectInChild([&catalogues] {
        LoadFrenchCatalogue(catalogues.Path());
        EXPECT_EQ(DataFormatter::FormatSizeInMB(1023), "1.0 Ko");
        EXPECT_EQ(DataFormatter::FormatSizeInMB(1048576), "1.0 Mo");
        const long now = static_cast<long>(std::time(nullptr));
        EXPECT_TRUE(DataFormatter::FormatKTRDate(now, 0, TodayYesterday).StartsWith("Aujourd'hui "));
    });
}

TEST(TranslatedWords, StayEnglishWhenTheFirstCallCameBeforeTheCatalogues) {
    veqtest::TempDir catalogues;
    ExpectInChild([&catalogues] {
        const long now = static_cast<long>(std::time(nullptr));
        EXPECT_EQ(DataFormatter::FormatSizeInMB(1023), "1.0 KB");
        EXPECT_TRUE(DataFormatter::FormatKTRDate(now, 0, TodayYesterday).StartsWith("Today "));
        LoadFrenchCatalogue(catalogues.Path());
        EXPECT_EQ(DataFormatter::FormatSizeInMB(1048576), "1.0 MB");
        EXPECT_TRUE(DataFormatter::FormatKTRDate(now, 0, TodayYesterday).StartsWith("Today "));
    });
}

}  // namespace
