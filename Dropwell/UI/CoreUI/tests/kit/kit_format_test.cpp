// Size, page-size and date texts of the kit.
#include <gtest/gtest.h>

#include <ctime>

#include "KitFormat.h"

namespace {

struct SizeRow {
    double bytes;
    const char* text;
};

TEST(KitFormat, FormatSizePicksTheUnitByMagnitude) {
    const SizeRow rows[] = {
        {0, "0.0 KB"},          {1023, "1.0 KB"},           {1048575, "1024.0 KB"},
        {1048576, "1.0 MB"},    {1572864, "1.5 MB"},        {1073741824.0, "1.0 GB"},
        {5.5 * 1073741824.0, "5.5 GB"},
    };
    for (const SizeRow& row : rows) {
        EXPECT_EQ(VEQ::FormatSize(row.bytes), row.text) << row.bytes;
    }
}

TEST(KitFormat, FormatMBSizeNeverShowsZeroForSomething) {
    const SizeRow rows[] = {
        {0, "0.0 MB"},       {1, "0.1 MB"},        {104857.5, "0.1 MB"},
        {104857.6, "0.1 MB"}, {1048576, "1.0 MB"}, {10 * 1048576.0, "10.0 MB"},
    };
    for (const SizeRow& row : rows) {
        EXPECT_EQ(VEQ::FormatMBSize(row.bytes), row.text) << row.bytes;
    }
}

struct PointsRow {
    const char* points;
    VEQ::UNITS unit;
    const char* text;
};

TEST(KitFormat, ConvertPointsToEachUnit) {
    const PointsRow rows[] = {
        {"72", VEQ::INCHES, "1.00in"},       {"612", VEQ::INCHES, "8.50in"},
        {"72", VEQ::MILLIMETERS, "25.40mm"}, {"595", VEQ::MILLIMETERS, "209.90mm"},
        {"612", VEQ::POINTS, "612.00pt"},
    };
    for (const PointsRow& row : rows) {
        EXPECT_EQ(VEQ::ConvertPoints(row.points, row.unit), row.text) << row.points << " " << row.unit;
    }
}

TEST(KitFormat, CustomPageSizeNeedsTwoNumbers) {
    const PointsRow rows[] = {
        {"612 792", VEQ::INCHES, "8.50in x 11.00in"},
        {"612  792 extra", VEQ::INCHES, "8.50in x 11.00in"},
        {"595 842", VEQ::MILLIMETERS, "209.90mm x 297.04mm"},
        {"", VEQ::INCHES, ""},
        {"612", VEQ::INCHES, ""},
        {"   ", VEQ::INCHES, ""},
        {"612 tall", VEQ::INCHES, ""},
    };
    for (const PointsRow& row : rows) {
        EXPECT_EQ(VEQ::FormatCustomPageSize(row.points, row.unit), row.text) << '"' << row.points << '"';
    }
}

TEST(KitFormat, DatesOfTodayAndYesterdayAreNamed) {
    // The sandbox runs in UTC; noon keeps both days clear of midnight.
    const std::time_t now = std::time(nullptr);
    const unsigned long todayNoon = static_cast<unsigned long>(now - now % 86400 + 12 * 3600);
    const wxString time = VEQ::getDateTime(todayNoon, kCFDateFormatterNoStyle, kCFDateFormatterMediumStyle);
    ASSERT_FALSE(time.empty());
    EXPECT_EQ(VEQ::FormatKTRDate(wxString::Format("%lu", todayNoon), 0), "Today " + time);
    EXPECT_EQ(VEQ::FormatKTRDate(wxString::Format("%lu", todayNoon - 86400), 0), "Yesterday " + time);
    // The offset is added before the day is decided.
    EXPECT_EQ(VEQ::FormatKTRDate(wxString::Format("%lu", todayNoon - 86400), 86400), "Today " + time);
    EXPECT_EQ(VEQ::FormatKTRDate("86400", 0),
              VEQ::getDateTime(86400, kCFDateFormatterShortStyle, kCFDateFormatterMediumStyle));
}

TEST(KitFormat, DateTextsWithoutANumberAreEmpty) {
    for (const char* text : {"", "soon", "-"}) {
        EXPECT_EQ(VEQ::FormatKTRDate(text, 0), "") << text;
    }
    EXPECT_EQ(VEQ::getDateTime(86400, kCFDateFormatterShortStyle, kCFDateFormatterNoStyle), "01/02/70");
}

}  // namespace
