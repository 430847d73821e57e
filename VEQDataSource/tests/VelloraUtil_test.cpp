// Copies and releases of SDK records made by the data source.
#include <cstring>

#include <gtest/gtest.h>

#include "VelloraUtil.h"

namespace {

TEST(VelloraUtil, AnEmptyAttributeListHasNoArrays) {
    ScanAttributes attributes{reinterpret_cast<char**>(1), reinterpret_cast<char**>(1), 7};
    VelloraUtil::AllocateScanAttributes(0, attributes);
    EXPECT_EQ(attributes.names, nullptr);
    EXPECT_EQ(attributes.values, nullptr);
    EXPECT_EQ(attributes.count, 0);
    VelloraUtil::FreeScanAttributes(attributes);
    EXPECT_EQ(attributes.count, 0);

    ScanAttributes* record = nullptr;
    VelloraUtil::AllocateScanAttributes(0, &record);
    ASSERT_NE(record, nullptr);
    VelloraUtil::FreeScanAttributes(&record, true);
    EXPECT_EQ(record, nullptr);
    VelloraUtil::FreeScanAttributes(&record, true);  // a null record is ignored
}

TEST(VelloraUtil, AttributeListsAreFilledAndFreedWhole) {
    ScanAttributes* record = nullptr;
    VelloraUtil::AllocateScanAttributes(2, &record);
    ASSERT_EQ(record->count, 2);
    EXPECT_EQ(record->names[0], nullptr);
    EXPECT_EQ(record->values[1], nullptr);
    record->names[0] = VelloraUtil::DupString("N_DEST");
    record->values[0] = VelloraUtil::DupString("1");
    record->names[1] = VelloraUtil::DupString("DEST:1");  // a value left null
    VelloraUtil::FreeScanAttributes(*record);
    EXPECT_EQ(record->names, nullptr);
    EXPECT_EQ(record->count, 0);
    VelloraUtil::FreeScanAttributes(&record, true);
    EXPECT_EQ(record, nullptr);
}

TEST(VelloraUtil, DupStringCopiesTheTextAndKeepsNull) {
    char* copy = VelloraUtil::DupString("Veqora");
    EXPECT_STREQ(copy, "Veqora");
    VelloraUtil::FreeMemory(copy);
    EXPECT_EQ(VelloraUtil::DupString(nullptr), nullptr);
    VelloraUtil::FreeMemory(nullptr);
}

TEST(VelloraUtil, AnAlertTextIsCopiedByItsLengthOnly) {
    // The SDK's text has no terminator within its length.
    char text[] = {'P', 'A', 'P', 'E', 'R', 'J', 'A', 'M', 'X', 'X', 'X'};
    VelloraScanAlert alert{4, 1, text, 8, 1, reinterpret_cast<VelloraServerHandle*>(0x10)};
    VelloraScanAlert* copy = VelloraUtil::CopyVelloraScanAlert(&alert);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy->text, "PAPERJAM");
    EXPECT_NE(copy->text, text);
    EXPECT_EQ(copy->id, 4);
    EXPECT_EQ(copy->kind, 1);
    EXPECT_EQ(copy->length, 8);
    EXPECT_EQ(copy->has_message, 1);
    EXPECT_EQ(copy->server, alert.server);
    VelloraUtil::FreeVelloraScanAlert(&copy);
    EXPECT_EQ(copy, nullptr);
}

TEST(VelloraUtil, AnAlertWithoutTextOrLengthCopiesSafely) {
    VelloraScanAlert noText{0, 2, nullptr, 5, 0, nullptr};
    VelloraScanAlert* copy = VelloraUtil::CopyVelloraScanAlert(noText);
    EXPECT_EQ(copy->text, nullptr);
    VelloraUtil::FreeVelloraScanAlert(&copy);

    char text[] = {'A'};
    VelloraScanAlert negative{0, 1, text, -3, 0, nullptr};
    copy = VelloraUtil::CopyVelloraScanAlert(negative);
    EXPECT_STREQ(copy->text, "");
    EXPECT_EQ(copy->length, 0);
    VelloraUtil::FreeVelloraScanAlert(&copy);
    EXPECT_EQ(VelloraUtil::CopyVelloraScanAlert(static_cast<const VelloraScanAlert*>(nullptr)),
              nullptr);
}

TEST(VelloraUtil, AScanEventIsCopiedWithItsOwnAttributes) {
    ScanAttributes* attributes = nullptr;
    VelloraUtil::AllocateScanAttributes(1, &attributes);
    attributes->names[0] = VelloraUtil::DupString("FILENAME");
    attributes->values[0] = VelloraUtil::DupString("Scan");
    VelloraScanEventEx event{8, 42, reinterpret_cast<VelloraServerHandle*>(0x20), attributes};

    VelloraUtil::VEQVelloraScanEventEx* copy = VelloraUtil::MakeVEQVelloraScanEventEx(&event);
    VelloraUtil::FreeScanAttributes(&attributes, true);  // the copy does not depend on it
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->type, 8);
    EXPECT_EQ(copy->jobId, 42);
    EXPECT_EQ(copy->server, event.server);
    ASSERT_NE(copy->attributes, nullptr);
    ASSERT_EQ(copy->attributes->count, 1);
    EXPECT_STREQ(copy->attributes->names[0], "FILENAME");
    EXPECT_STREQ(copy->attributes->values[0], "Scan");
    VelloraUtil::DeleteVEQVelloraScanEventEx(copy);

    VelloraScanEventEx bare{0, 1, nullptr, nullptr};
    copy = VelloraUtil::MakeVEQVelloraScanEventEx(&bare);
    EXPECT_EQ(copy->attributes, nullptr);
    VelloraUtil::DeleteVEQVelloraScanEventEx(copy);
}

}  // namespace
