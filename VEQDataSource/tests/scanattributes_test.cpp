// Scan settings: ScannerAttribute values and their conversion into the SDK's
// attribute lists.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <wx/utils.h>

#include "ScanAttributeUtil.h"
#include "ScannerAttribute.h"
#include "VEQAttributeKeys.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs ToPairs(const ScanAttributes& list) {
    Pairs pairs;
    for (long i = 0; i < list.count; ++i) pairs.emplace_back(list.names[i], list.values[i]);
    return pairs;
}

VEQTypes::ScanInitiateAttributes Request(const wxString& source, const wxString& resolution,
                                         const wxString& pageSize, const wxString& sides,
                                         const wxString& colour, const wxString& orientation) {
    VEQTypes::ScanInitiateAttributes request;
    request.m_scanSource = ScannerAttribute(ScannerAttribute::SCAN_SOURCE, g_keyScanSource, source);
    request.m_resolution = ScannerAttribute(ScannerAttribute::RESOLUTION, g_keyResolution, resolution);
    request.m_pageSize = ScannerAttribute(ScannerAttribute::PAGE_SIZE, g_keyPageSize, pageSize);
    request.m_sidesToScan = ScannerAttribute(ScannerAttribute::SIDES, g_keySidesToScan, sides);
    request.m_colorMode = ScannerAttribute(ScannerAttribute::COLOR_MODE, g_keyColorMode, colour);
    request.m_orientation =
        ScannerAttribute(ScannerAttribute::ORIENTATION, g_keyOrientation, orientation);
    return request;
}

std::string User() {
    return std::string(wxGetUserId().utf8_str());
}

}  // namespace

TEST(ScannerAttribute, EqualityComparesTypeAndExactValueOnly) {
    const ScannerAttribute a(ScannerAttribute::COLOR_MODE, "COLOR_MODE", "COLOR", "Colour");
    EXPECT_TRUE(a == ScannerAttribute(ScannerAttribute::COLOR_MODE, "other", "COLOR", "Farbe"));
    EXPECT_FALSE(a == ScannerAttribute(ScannerAttribute::COLOR_MODE, "COLOR_MODE", "color"));
    EXPECT_FALSE(a == ScannerAttribute(ScannerAttribute::PAGE_SIZE, "COLOR_MODE", "COLOR"));
}

TEST(ScannerAttribute, ConstructorsFillTheDisplayText) {
    const ScannerAttribute empty;
    EXPECT_EQ(empty.m_type, ScannerAttribute::SCAN_SOURCE);
    EXPECT_TRUE(empty.m_name.empty() && empty.m_value.empty() && empty.m_display.empty());
    const ScannerAttribute plain(ScannerAttribute::RESOLUTION, "RESOLUTION", "600");
    EXPECT_EQ(plain.m_display, "600");
    ScannerAttribute copy = plain;
    EXPECT_EQ(copy.m_name, "RESOLUTION");
    EXPECT_TRUE(copy == plain);
}

TEST(ScanAttributeUtil, AScanRequestBecomesTheServersPairsInOrder) {
    ScanAttributeUtil util(nullptr);
    util.SetAllScanAttributes({{"E_MIXED_PAGESIZE", "yes"}});
    const ScanAttributeUtil::ScanAttributesPtr list(util.MakeVelloraScanInitiateAttributes(
        Request("", "600", "AUTO_PAGESIZE", "SCAN_DOUBLE_SIDE", "COLOR", "")));
    const Pairs expected = {{"SCAN_SOURCE", "PLATEN"},     {"RAW_X_RES", "600"},
                            {"RAW_Y_RES", "600"},          {"PAGESIZE", "AUTO_PAGESIZE"},
                            {"MIXED_PAGESIZE", "ON"},      {"SCAN_DOUBLE_SIDE", "YES"},
                            {"Duplex", "1"},               {"COLOR_MODE", "COLOR"},
                            {"UTF8_USERNAME", User()},     {"USERNAME", User()}};
    EXPECT_EQ(ToPairs(*list), expected);
}

TEST(ScanAttributeUtil, EachSettingFollowsItsOwnRule) {
    struct Case {
        const char* name;
        VEQTypes::ScanInitiateAttributes request;
        std::map<wxString, wxString> server;
        Pairs expected;  // before the user pairs
    };
    const Case cases[] = {
        {"all given, single-sided",
         Request("ADF", "300", "A4", "SCAN_SINGLE_SIDE", "GRAYSCALE", "PORTRAIT"),
         {},
         {{"SCAN_SOURCE", "ADF"}, {"RAW_X_RES", "300"}, {"RAW_Y_RES", "300"}, {"PAGESIZE", "A4"},
          {"SCAN_DOUBLE_SIDE", "NO"}, {"Duplex", "0"}, {"COLOR_MODE", "GRAYSCALE"},
          {"ORIENTATION", "PORTRAIT"}}},
        {"sides in another letter case add nothing",
         Request("PLATEN", "", "", "scan_double_side", "", ""),
         {},
         {{"SCAN_SOURCE", "PLATEN"}}},
        {"automatic size without mixed sizes",
         Request("PLATEN", "", "AUTO_PAGESIZE", "", "", ""),
         {{"E_MIXED_PAGESIZE", "NO"}},
         {{"SCAN_SOURCE", "PLATEN"}, {"PAGESIZE", "AUTO_PAGESIZE"}}},
        {"mixed sizes only for the automatic size",
         Request("PLATEN", "", "A4", "", "", ""),
         {{"E_MIXED_PAGESIZE", "YES"}},
         {{"SCAN_SOURCE", "PLATEN"}, {"PAGESIZE", "A4"}}},
    };
    for (const Case& c : cases) {
        ScanAttributeUtil util(nullptr);
        util.SetAllScanAttributes(c.server);
        Pairs expected = c.expected;
        expected.emplace_back("UTF8_USERNAME", User());
        expected.emplace_back("USERNAME", User());
        EXPECT_EQ(ToPairs(*ScanAttributeUtil::ScanAttributesPtr(
                      util.MakeVelloraScanInitiateAttributes(c.request))),
                  expected)
            << c.name;
    }
}

TEST(ScanAttributeUtil, GeneralPairsKeepOrderAndNonAsciiText) {
    const ScanAttributeUtil::ScanAttributesPtr list(ScanAttributeUtil::MakeVelloraScanAttributes(
        {{"B", "2"}, {"A", wxString::FromUTF8("\xc3\xa9t\xc3\xa9")}, {"EMPTY", ""}}));
    EXPECT_EQ(ToPairs(*list), (Pairs{{"B", "2"}, {"A", "\xc3\xa9t\xc3\xa9"}, {"EMPTY", ""}}));

    const ScanAttributeUtil::ScanAttributesPtr none(ScanAttributeUtil::MakeVelloraScanAttributes({}));
    EXPECT_EQ(none->count, 0);
}

TEST(ScanAttributeUtil, DestinationNamesTheCallerFormatAndPage) {
    const ScanAttributeUtil::ScanAttributesPtr list(
        ScanAttributeUtil::MakeDestinationAttributes(VEQTypes::COMPACT_PDF, 3));
    EXPECT_EQ(ToPairs(*list), (Pairs{{"N_DEST", "1"},
                                     {"DEST:1", "CALLER"},
                                     {"DEST_FORMAT:1", "COMPACT_PDF"},
                                     {"DEST_PAGE:1", "3"},
                                     {"DEST_ERR:1", ""}}));
}

TEST(ScanAttributeUtil, Utf8SupportNeedsVersionTwo) {
    const std::pair<const char*, bool> cases[] = {
        {"1", false}, {"2", true}, {"10", true}, {"two", false}, {"", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(ScanAttributeUtil::IsUTF8Supported({{"UTF8_VERSION", c.first}}), c.second) << c.first;
    }
    EXPECT_FALSE(ScanAttributeUtil::IsUTF8Supported({}));
}

TEST(ScanAttributeUtil, LookupsAnswerEmptyForMissingKeys) {
    ScanAttributeUtil util(nullptr);
    util.SetAllScanAttributes({{"SCAN_ENABLED", "YES"}});
    util.SetServerFeatures({{"UTF8_VERSION", "2"}});
    EXPECT_EQ(util.GetScanAttributeForKey("SCAN_ENABLED"), "YES");
    EXPECT_EQ(util.GetScanAttributeForKey("UTF8_VERSION"), "");
    EXPECT_EQ(util.GetServerAttributeForKey("UTF8_VERSION"), "2");
    EXPECT_EQ(util.GetServerAttributeForKey("SCAN_ENABLED"), "");
}

TEST(ScanAttributeUtil, WithoutAServerTextsAreNotDecoded) {
    ScanAttributeUtil util(nullptr);
    std::string output = "stale";
    util.DecodeStringToUTF("ja", "\x83\x65", output, false);
    EXPECT_EQ(output, "\x83\x65");
    EXPECT_EQ(util.GetCurrentLocaleString(), "");
}
