#include <gtest/gtest.h>

#include "FakeDataSource.h"
#include "ScanSettings.h"

namespace {

using veqfake::FakeCapability;

TEST(ScanSettings, DefaultsAreTheFirstEntriesAndTheDefaultResolution) {
    FakeCapability capability;
    const ScanSettingOptions options = ScanSettingOptions::FromCapability(capability, {false, VEQTypes::PDF});
    EXPECT_EQ(options.m_defaultResolution, 1u);
    const VEQTypes::ScanInitiateAttributes attributes =
        MakeScanAttributes(options, ScanSettingSelection::Defaults(options));
    EXPECT_EQ(attributes.m_scanSource.m_value, "ADF");
    EXPECT_EQ(attributes.m_pageSize.m_value, "A4");
    EXPECT_EQ(attributes.m_resolution.m_value, "300");
    EXPECT_EQ(attributes.m_sidesToScan.m_value, "SCAN_SINGLE_SIDE");
    EXPECT_EQ(attributes.m_colorMode.m_value, "BLACK_WHITE");
    // No orientation on offer: the attribute goes out with its key and no value.
    EXPECT_EQ(attributes.m_orientation.m_name, "ORIENTATION");
    EXPECT_EQ(attributes.m_orientation.m_type, ScannerAttribute::ORIENTATION);
    EXPECT_TRUE(attributes.m_orientation.m_value.empty());
}

TEST(ScanSettings, AForcedJpegResultOffersNoBlackAndWhite) {
    FakeCapability capability;
    const struct {
        std::pair<bool, VEQTypes::FileFormat> forced;
        size_t colourModes;
    } cases[] = {
        {{false, VEQTypes::JPEG}, 2},
        {{true, VEQTypes::PDF}, 2},
        {{true, VEQTypes::JPEG}, 1},
    };
    for (const auto& c : cases) {
        const ScanSettingOptions options = ScanSettingOptions::FromCapability(capability, c.forced);
        ASSERT_EQ(options.m_colorModes.size(), c.colourModes);
        if (c.colourModes == 1) {
            EXPECT_EQ(options.m_colorModes[0].m_value, "COLOR");
        }
    }
}

TEST(ScanSettings, ChosenIndicesPickTheirEntriesAndOutOfRangeFallsBackToTheFirst) {
    FakeCapability capability;
    const ScanSettingOptions options = ScanSettingOptions::FromCapability(capability, {false, VEQTypes::PDF});
    ScanSettingSelection selection;
    selection.m_source = 1;
    selection.m_resolution = 0;
    selection.m_colorMode = 9;
    const VEQTypes::ScanInitiateAttributes attributes = MakeScanAttributes(options, selection);
    EXPECT_EQ(attributes.m_scanSource.m_value, "PLATEN");
    EXPECT_EQ(attributes.m_resolution.m_value, "600");
    EXPECT_EQ(attributes.m_colorMode.m_value, "BLACK_WHITE");
}

}  // namespace
