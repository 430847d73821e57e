// The file names and percentages of a job save.
#include <gtest/gtest.h>

#include <cstdint>

#include "JobFileNames.h"
#include "SaveProgress.h"

TEST(JobFileNames, PageFilesAreNumberedBeforeTheExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/f/Scan.jpg", "/f/Scan3.jpg"},
        {"/f/Scan", "/f/Scan3."},
        {"/f/Scan.tar.gz", "/f/Scan.tar3.gz"},
        {"/f/My Scan.pdf", "/f/My Scan3.pdf"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JobFileNames::PageFilePath(c.first, 3), c.second) << c.first;
    }
    EXPECT_EQ(JobFileNames::PageFilePath("/f/Scan.jpg", 12), "/f/Scan12.jpg");
}

TEST(JobFileNames, ServerNamesCannotLeaveTheFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"Scan.pdf", "Scan.pdf"},
        {"../../etc/passwd", "____etc_passwd"},
        {"a/b", "a_b"},
        {"..", "_"},
        {".", "_"},
        {"...", "_."},
        {"v1.2.pdf", "v1.2.pdf"},
        {"", ""},
    };
    for (const auto& c : cases) {
        const wxString safe = JobFileNames::SafeFileName(c.first);
        EXPECT_EQ(safe, c.second) << c.first;
        EXPECT_EQ(safe.Find("/"), wxNOT_FOUND) << c.first;
        EXPECT_EQ(safe.Find(".."), wxNOT_FOUND) << c.first;
    }
}

TEST(SaveProgress, TransferPercentIsExactForLargeJobs) {
    const std::uint64_t mb22 = 22ull * 1000 * 1000;       // times 100 overflows 32 bits
    const std::uint64_t gib3 = 3ull * 1024 * 1024 * 1024;  // overflows 32 bits itself
    struct Case {
        std::uint64_t done, total;
        int percent;
    };
    const Case cases[] = {
        {0, 100, 0},         {1, 3, 33},          {mb22 / 2, mb22, 50}, {mb22 - 1, mb22, 99},
        {gib3 / 4, gib3, 25}, {gib3 - 1, gib3, 99}, {gib3, gib3, 100},   {gib3 + 5, gib3, 100},
        {5, 0, 0},           {UINT64_MAX - 1, UINT64_MAX, 99},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SaveProgress::TransferPercent(c.done, c.total), c.percent)
            << c.done << "/" << c.total;
    }
}

TEST(SaveProgress, PagePercentIsIntegerDivision) {
    EXPECT_EQ(SaveProgress::PagePercent(1, 3), 33);
    EXPECT_EQ(SaveProgress::PagePercent(2, 3), 66);
    EXPECT_EQ(SaveProgress::PagePercent(3, 3), 100);
    EXPECT_EQ(SaveProgress::PagePercent(9999, 10000), 99);
    EXPECT_EQ(SaveProgress::PagePercent(1, 0), 0);
}
