// The shared vocabulary: format key texts, the format table and the exported keys.
#include <gtest/gtest.h>

#include "ScannerAttribute.h"
#include "VEQAttributeKeys.h"
#include "VEQTypes.h"

namespace {

TEST(VEQTypes, EveryFormatHasItsKeyTextAndOthersHaveNone) {
    const std::pair<int, const char*> cases[] = {
        {0, "PDF"}, {1, "TIFF"}, {2, "JPEG"}, {3, "XPS"}, {4, "BMP"},
        {5, "RAW"}, {6, "COMPACT_PDF"}, {7, "COMPACT_XPS"}, {8, ""}, {-1, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VEQTypes::ToString(static_cast<VEQTypes::FileFormat>(c.first)), c.second)
            << c.first;
    }
}

TEST(VEQTypes, TheFormatTableHoldsEveryServedFormatButBmpAndComparesExactly) {
    const std::map<wxString, VEQTypes::FileFormat> expected = {
        {"PDF", VEQTypes::PDF},       {"TIFF", VEQTypes::TIFF},
        {"JPEG", VEQTypes::JPEG},     {"XPS", VEQTypes::XPS},
        {"RAW", VEQTypes::RAW},       {"COMPACT_PDF", VEQTypes::COMPACT_PDF},
        {"COMPACT_XPS", VEQTypes::COMPACT_XPS},
    };
    EXPECT_EQ(VEQTypes::g_fileFormats, expected);
    EXPECT_EQ(VEQTypes::g_fileFormats.count("BMP"), 0u);
    EXPECT_EQ(VEQTypes::g_fileFormats.count("pdf"), 0u);
}

TEST(VEQTypes, TheExportedKeysHoldTheServersTexts) {
    const std::pair<const wxString*, const char*> keys[] = {
        {&g_keyFile_Format, "FILE_FORMAT"}, {&g_keyPDF, "PDF"},
        {&g_keyTIFF, "TIFF"},               {&g_keyJPEG, "JPEG"},
        {&g_keyBMP, "BMP"},                 {&g_keyRAW, "RAW"},
        {&g_keyXPS, "XPS"},                 {&g_keyCOMPACT_PDF, "COMPACT_PDF"},
        {&g_keyCOMPACT_XPS, "COMPACT_XPS"}, {&g_keyScanSource, "SCAN_SOURCE"},
        {&g_keyPlaten, "PLATEN"},           {&g_keyAPF, "ADF"},
        {&g_keyPageSize, "PAGESIZE"},       {&g_keyResolution, "RESOLUTION"},
        {&g_keySidesToScan, "SIDES_TO_SCAN"}, {&g_keyScanSingleSide, "SCAN_SINGLE_SIDE"},
        {&g_keyScanDoubleSide, "SCAN_DOUBLE_SIDE"}, {&g_keyOrientation, "ORIENTATION"},
        {&g_keyColorMode, "COLOR_MODE"},    {&g_keyColor, "COLOR"},
        {&g_keyGrayScale, "GRAYSCALE"},     {&g_keyBlack_White, "BLACK_WHITE"},
    };
    for (const auto& key : keys) {
        EXPECT_EQ(*key.first, key.second);
    }
}

TEST(VEQTypes, ScannerAttributesCompareByTypeAndExactValue) {
    const ScannerAttribute color(ScannerAttribute::COLOR_MODE, "COLOR_MODE", "COLOR", "Colour");
    EXPECT_TRUE(color == ScannerAttribute(ScannerAttribute::COLOR_MODE, "other", "COLOR", "x"));
    EXPECT_FALSE(color == ScannerAttribute(ScannerAttribute::COLOR_MODE, "COLOR_MODE", "color"));
    EXPECT_FALSE(color == ScannerAttribute(ScannerAttribute::SCAN_SOURCE, "COLOR_MODE", "COLOR"));
    EXPECT_EQ(ScannerAttribute(ScannerAttribute::RESOLUTION, "RESOLUTION", "600").m_display, "600");
    EXPECT_EQ(ScannerAttribute().m_type, ScannerAttribute::SCAN_SOURCE);
}

}  // namespace
