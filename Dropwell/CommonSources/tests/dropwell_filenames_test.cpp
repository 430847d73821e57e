#include "DropwellFileNames.h"

#include <gtest/gtest.h>

namespace {

struct StemCase {
    const char* name;
    const char* expected;
};

class SafeStemTest : public ::testing::TestWithParam<StemCase> {};

TEST_P(SafeStemTest, NameBecomesOnePlainComponent) {
    EXPECT_EQ(DropwellFileNames::SafeStem(wxString::FromUTF8(GetParam().name), 7),
              wxString::FromUTF8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Names, SafeStemTest,
                         ::testing::Values(StemCase{"Scan", "Scan"}, StemCase{"a/b", "a_b"},
                                           StemCase{"../../etc/passwd", "_.._etc_passwd"},
                                           StemCase{"..", "Job_7"}, StemCase{".", "Job_7"}, StemCase{"", "Job_7"},
                                           StemCase{"///", "___"}, StemCase{"  Scan  ", "Scan"},
                                           StemCase{".hidden", "hidden"}, StemCase{"Scan.", "Scan"},
                                           StemCase{"a\\b", "a_b"}, StemCase{"tab\tname", "tab_name"},
                                           StemCase{"Rechnung März", "Rechnung März"},
                                           StemCase{"日本語", "日本語"}));

TEST(SafeStem, LongNamesAreCutOnCharacterBoundaries) {
    EXPECT_EQ(DropwellFileNames::SafeStem(wxString('x', 300), 1).length(), 180u);
    wxString accents;
    for (int i = 0; i < 100; ++i) accents += wxString::FromUTF8("é");
    const wxString cut = DropwellFileNames::SafeStem(accents, 1);
    EXPECT_EQ(cut.length(), 90u);
    EXPECT_EQ(cut.utf8_str().length(), 180u);
}

TEST(Extension, KeepsOnlyLettersDigitsAndDashes) {
    EXPECT_EQ(DropwellFileNames::Extension("PDF"), "PDF");
    EXPECT_EQ(DropwellFileNames::Extension("COMPACT_PDF"), "COMPACT_PDF");
    EXPECT_EQ(DropwellFileNames::Extension("../x"), "x");
    EXPECT_EQ(DropwellFileNames::Extension("P/D.F"), "PDF");
    EXPECT_EQ(DropwellFileNames::Extension("/"), "");
    EXPECT_EQ(DropwellFileNames::FileName("Scan", "a/../b"), "Scan.ab");
}

TEST(IsJpegFormat, JpegAndJpgInAnyCaseOnly) {
    for (const char* yes : {"JPEG", "jpeg", "jpg", "JPG", "Jpg"}) EXPECT_TRUE(DropwellFileNames::IsJpegFormat(yes)) << yes;
    for (const char* no : {"JPEGX", "jpg2", "PDF", ""}) EXPECT_FALSE(DropwellFileNames::IsJpegFormat(no)) << no;
}

TEST(FileNames, PagesAndPartFiles) {
    EXPECT_EQ(DropwellFileNames::PageFileName("Scan", 2, "JPEG"), "Scan_2.JPEG");
    EXPECT_EQ(DropwellFileNames::PartFileName("Scan.PDF"), ".Scan.PDF.veqpart");
    EXPECT_TRUE(DropwellFileNames::IsPartFileName(DropwellFileNames::PartFileName("Scan.PDF")));
    // Only the exact pattern: a user's files that merely resemble it are not ours.
    for (const char* other : {"..veqpart", ".veqpart", "Scan.PDF.veqpart", ".Scan.PDF.veqpart~", ".Scan.veqparts", ""}) {
        EXPECT_FALSE(DropwellFileNames::IsPartFileName(other)) << other;
    }
}

}  // namespace
