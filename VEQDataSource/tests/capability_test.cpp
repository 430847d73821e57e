// The scanner capability computed from a server's scan attribute set.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "VEQAttributeKeys.h"
#include "ZeltoScannerCapability.h"

namespace {

using Attributes = std::map<wxString, wxString>;

ZeltoScannerCapability Make(const Attributes& attributes) {
    return ZeltoScannerCapability(nullptr, attributes, {});
}

std::vector<wxString> Values(const std::vector<ScannerAttribute>& list) {
    std::vector<wxString> values;
    for (const ScannerAttribute& a : list) values.push_back(a.m_value);
    return values;
}

}  // namespace

TEST(ZeltoScannerCapability, ResolutionsAreSortedLargestFirstWithoutRepeats) {
    ZeltoScannerCapability capability = Make({{"N_RESOLUTION", "3"},
                                              {"RESOLUTION", "300"},
                                              {"RESOLUTION:1", "600"},
                                              {"RESOLUTION:2", "150"},
                                              {"RESOLUTION:3", "300"}});
    EXPECT_EQ(Values(capability.GetValidResolutions()), (std::vector<wxString>{"600", "300", "150"}));
    EXPECT_EQ(capability.GetValidResolutions().front().m_display, "600 dpi");
    EXPECT_EQ(capability.GetValidResolutions().front().m_type, ScannerAttribute::RESOLUTION);
    EXPECT_EQ(capability.GetDefaultResolution().m_value, "300");
    EXPECT_EQ(capability.GetDefaultResolution().m_display, "300 dpi");
    EXPECT_EQ(capability.GetMaxResolution(), std::make_pair(600, 600));
}

TEST(ZeltoScannerCapability, ResolutionsThatAreNoNumbersComeLastInTheirOrder) {
    ZeltoScannerCapability capability = Make({{"N_RESOLUTION", "5"},
                                              {"RESOLUTION", "AUTO"},
                                              {"RESOLUTION:1", "200"},
                                              {"RESOLUTION:2", "FINE"},
                                              {"RESOLUTION:3", "1200"},
                                              {"RESOLUTION:4", "BEST"},
                                              {"RESOLUTION:5", "75"}});
    EXPECT_EQ(Values(capability.GetValidResolutions()),
              (std::vector<wxString>{"1200", "200", "75", "AUTO", "FINE", "BEST"}));
    EXPECT_EQ(capability.GetDefaultResolution().m_value, "AUTO");
    EXPECT_EQ(capability.GetMaxResolution(), std::make_pair(1200, 1200));
}

TEST(ZeltoScannerCapability, ListsNeedAPositiveCount) {
    struct Case {
        const char* name;
        Attributes attributes;
        std::vector<wxString> sources;
    };
    const Case cases[] = {
        {"no count", {{"SCAN_SOURCE", "PLATEN"}}, {}},
        {"count 0", {{"N_SCAN_SOURCE", "0"}, {"SCAN_SOURCE", "PLATEN"}}, {}},
        {"negative count", {{"N_SCAN_SOURCE", "-1"}, {"SCAN_SOURCE", "PLATEN"}}, {}},
        {"count no number", {{"N_SCAN_SOURCE", "two"}, {"SCAN_SOURCE", "PLATEN"}}, {}},
        {"missing keys skipped",
         {{"N_SCAN_SOURCE", "3"}, {"SCAN_SOURCE:2", "ADF"}, {"SCAN_SOURCE:3", "PLATEN"}},
         {"ADF", "PLATEN"}},
        {"keys beyond the count ignored",
         {{"N_SCAN_SOURCE", "1"}, {"SCAN_SOURCE", "PLATEN"}, {"SCAN_SOURCE:1", "PLATEN"},
          {"SCAN_SOURCE:2", "ADF"}},
         {"PLATEN"}},
    };
    for (const Case& c : cases) {
        ZeltoScannerCapability capability = Make(c.attributes);
        EXPECT_EQ(Values(capability.GetScanSources()), c.sources) << c.name;
    }
}

TEST(ZeltoScannerCapability, WithoutALocaleComponentValuesAreShownAsTheyStand) {
    ZeltoScannerCapability capability = Make({{"N_PAGESIZE", "2"},
                                              {"PAGESIZE:1", "A4"},
                                              {"PAGESIZE:2", "LETTER"},
                                              {"N_COLOR_MODE", "1"},
                                              {"COLOR_MODE", "COLOR"}});
    ASSERT_EQ(capability.GetValidPageSizes().size(), 2u);
    EXPECT_EQ(capability.GetValidPageSizes()[1].m_display, "LETTER");
    EXPECT_EQ(capability.GetValidPageSizes()[1].m_name, "PAGESIZE");
    EXPECT_EQ(capability.GetValidPageSizes()[1].m_type, ScannerAttribute::PAGE_SIZE);
    ASSERT_EQ(capability.GetVEQColorModes().size(), 1u);
    EXPECT_EQ(capability.GetVEQColorModes()[0].m_type, ScannerAttribute::COLOR_MODE);
}

TEST(ZeltoScannerCapability, OrientationsNeedBothSwitches) {
    const Attributes list = {{"N_ORIENTATION", "1"}, {"ORIENTATION", "PORTRAIT"}};
    Attributes both = list;
    both["S_ORIENTATION"] = "yes";
    both["E_ORIENTATION"] = "YES";
    Attributes one = list;
    one["S_ORIENTATION"] = "YES";
    EXPECT_EQ(Values(Make(both).GetSupportedOrientation()), (std::vector<wxString>{"PORTRAIT"}));
    EXPECT_TRUE(Make(one).GetSupportedOrientation().empty());
}

TEST(ZeltoScannerCapability, DuplexAddsTheDoubleSidedEntry) {
    ZeltoScannerCapability simplex = Make({});
    ZeltoScannerCapability duplex = Make({{"SUPPORT_DUPLEX", "Yes"}});
    EXPECT_EQ(Values(simplex.GetSidesToScanOption()), (std::vector<wxString>{"SCAN_SINGLE_SIDE"}));
    EXPECT_EQ(simplex.GetSidesToScanOption()[0].m_display, "Single-Sided");
    EXPECT_EQ(Values(duplex.GetSidesToScanOption()),
              (std::vector<wxString>{"SCAN_SINGLE_SIDE", "SCAN_DOUBLE_SIDE"}));
    EXPECT_EQ(duplex.GetSidesToScanOption()[1].m_display, "Double-Sided");
    EXPECT_EQ(duplex.GetSidesToScanOption()[1].m_name, "SIDES_TO_SCAN");
}

TEST(ZeltoScannerCapability, WithoutResolutionsTheAnswersAreNeutral) {
    ZeltoScannerCapability capability = Make({});
    EXPECT_TRUE(capability.GetValidResolutions().empty());
    EXPECT_EQ(capability.GetMaxResolution(), std::make_pair(0, 0));
    EXPECT_TRUE(capability.GetDefaultResolution().m_value.empty());
    EXPECT_TRUE(capability.GetDefaultResolution().m_display.empty());
}

TEST(ZeltoScannerCapability, FileFormatsComeFromKnownTextsWithADefault) {
    struct Case {
        const char* name;
        Attributes attributes;
        std::vector<VEQTypes::FileFormat> formats;
        VEQTypes::FileFormat defaultFormat;
    };
    const Case cases[] = {
        {"known texts in order, unknown skipped",
         {{"N_FILE_FORMAT", "3"}, {"FILE_FORMAT:1", "TIFF"}, {"FILE_FORMAT:2", "BMP"},
          {"FILE_FORMAT:3", "JPEG"}, {"SCAN_DEFAULT_FORMAT", "JPEG"}},
         {VEQTypes::TIFF, VEQTypes::JPEG},
         VEQTypes::JPEG},
        {"nothing known: PDF and TIFF",
         {{"N_FILE_FORMAT", "1"}, {"FILE_FORMAT", "pdf"}, {"SCAN_DEFAULT_FORMAT", "pdf"}},
         {VEQTypes::PDF, VEQTypes::TIFF},
         VEQTypes::PDF},
        {"no formats at all", {}, {VEQTypes::PDF, VEQTypes::TIFF}, VEQTypes::PDF},
        {"unknown default",
         {{"N_FILE_FORMAT", "1"}, {"FILE_FORMAT", "XPS"}, {"SCAN_DEFAULT_FORMAT", "BMP"}},
         {VEQTypes::XPS},
         VEQTypes::PDF},
    };
    for (const Case& c : cases) {
        ZeltoScannerCapability capability = Make(c.attributes);
        EXPECT_EQ(capability.GetSupportedFileFormat(), c.formats) << c.name;
        EXPECT_EQ(capability.GetDefaultFileFormat(), c.defaultFormat) << c.name;
    }
}

TEST(ZeltoScannerCapability, BlackAndWhiteScansAreNotOfferedJpeg) {
    ZeltoScannerCapability capability = Make({{"N_FILE_FORMAT", "3"},
                                              {"FILE_FORMAT:1", "PDF"},
                                              {"FILE_FORMAT:2", "JPEG"},
                                              {"FILE_FORMAT:3", "TIFF"}});
    VEQTypes::ScanInitiateAttributes request;
    request.m_colorMode = ScannerAttribute(ScannerAttribute::COLOR_MODE, g_keyColorMode, "BLACK_WHITE");
    EXPECT_EQ(capability.GetSupportedFileFormat(request),
              (std::vector<VEQTypes::FileFormat>{VEQTypes::PDF, VEQTypes::TIFF}));
    request.m_colorMode.m_value = "COLOR";
    EXPECT_EQ(capability.GetSupportedFileFormat(request),
              (std::vector<VEQTypes::FileFormat>{VEQTypes::PDF, VEQTypes::JPEG, VEQTypes::TIFF}));
    request.m_colorMode.m_value = "black_white";
    EXPECT_EQ(capability.GetSupportedFileFormat(request).size(), 3u);
}

TEST(ZeltoScannerCapability, ScanInitiationFollowsLockEnableAndDisable) {
    struct Case {
        const char* name;
        Attributes attributes;
        bool enabled;
    };
    const Case cases[] = {
        {"enabled without lock key but with remote init",
         {{"SCAN_ENABLED", "YES"}, {"SCAN_REMOTE_INIT", "yes"}}, true},
        {"enabled via the client's own key", {{"SCAN_ENABLED", "YES"}, {"VEQORA_INIT", "YES"}}, true},
        {"no initiation key and no lock key", {{"SCAN_ENABLED", "YES"}}, false},
        {"locked locally without initiation keys",
         {{"SCAN_ENABLED", "YES"}, {"SCAN_INIT_LOCKBY", "LOCAL"}}, false},
        {"remote lock in lower case skips the initiation keys",
         {{"SCAN_ENABLED", "YES"}, {"SCAN_INIT_LOCKBY", "remote"}}, true},
        {"lock NONE skips the initiation keys",
         {{"SCAN_ENABLED", "yes"}, {"SCAN_INIT_LOCKBY", "None"}}, true},
        {"disabled by the server",
         {{"SCAN_ENABLED", "YES"}, {"SCAN_INIT_LOCKBY", "NONE"}, {"VEQ_DISABLE_INITIATE", "YES"}},
         false},
        {"scanning off", {{"SCAN_ENABLED", "NO"}, {"SCAN_INIT_LOCKBY", "NONE"}}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Make(c.attributes).IsVeqoraEnabled(), c.enabled) << c.name;
    }
}

TEST(ZeltoScannerCapability, LoginSupportReadsItsKeys) {
    ZeltoScannerCapability none = Make({});
    EXPECT_FALSE(none.MailBoxAuthenticationSupported());
    EXPECT_FALSE(none.CanServerSupportEngineBox());
    EXPECT_FALSE(none.CanServerSupportEngineAuthentication());
    EXPECT_TRUE(none.GetEngineAuth().empty());
    EXPECT_FALSE(none.CanServerSupportsAccountTrackLogin());

    ZeltoScannerCapability all = Make({{"E_MBOX_PASSWORD", "yes"},
                                       {"ENGINEBOX_ENABLED", "YES"},
                                       {"ENGINEBOX_USERAUTH", "EXTERNAL"},
                                       {"ENGINEBOX_ACCOUNTTRACK", "ON"}});
    EXPECT_TRUE(all.MailBoxAuthenticationSupported());
    EXPECT_TRUE(all.CanServerSupportEngineBox());
    EXPECT_TRUE(all.CanServerSupportEngineAuthentication());
    EXPECT_EQ(all.GetEngineAuth(), "EXTERNAL");
    EXPECT_TRUE(all.CanServerSupportsAccountTrackLogin());

    ZeltoScannerCapability lower = Make({{"ENGINEBOX_USERAUTH", "internal"}});
    EXPECT_EQ(lower.GetEngineAuth(), "internal");
    EXPECT_FALSE(lower.CanServerSupportEngineAuthentication());

    const std::pair<const char*, bool> tracks[] = {{"OFF", false}, {"", false}, {"off", true}, {"X", true}};
    for (const auto& t : tracks) {
        EXPECT_EQ(Make({{"ENGINEBOX_ACCOUNTTRACK", t.first}}).CanServerSupportsAccountTrackLogin(),
                  t.second)
            << t.first;
    }
}
