// The SDK record builder: sizes, zero-filling and that every allocation is freed
// through the same pair of operations.
#include "VellMemoryAllocator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace {

// Counts what passes through AllocateMemory and FreeMemory.
class CountingAllocator : public VellMemoryAllocator {
public:
    std::map<void*, size_t> live;
    std::vector<size_t> sizes;

    void* AllocateMemory(size_t size, const char* file, int line) override {
        void* p = VellMemoryAllocator::AllocateMemory(size, file, line);
        live[p] = size;
        sizes.push_back(size);
        return p;
    }
    void FreeMemory(void* p) override {
        if (p) {
            EXPECT_EQ(live.erase(p), 1u) << "freed twice or never allocated";
        }
        VellMemoryAllocator::FreeMemory(p);
    }
};

TEST(VellMemoryAllocator, DupStringKeepsOneByteMoreThanTheTerminator) {
    const struct {
        const char* text;
        size_t bytes;
    } cases[] = {{"", 2}, {"abc", 5}, {"Rechnung M\xc3\xa4rz", 16}};
    for (const auto& c : cases) {
        CountingAllocator allocator;
        char* copy = allocator.DupString(c.text, __FILE__, __LINE__);
        ASSERT_EQ(allocator.sizes, std::vector<size_t>{c.bytes});
        EXPECT_STREQ(copy, c.text);
        allocator.FreeMemory(copy);
        EXPECT_TRUE(allocator.live.empty());
    }
}

TEST(VellMemoryAllocator, AttributeRecordsAreZeroFilledAndFreedWhole) {
    CountingAllocator allocator;
    ScanAttributes* record = nullptr;
    allocator.AllocateScanAttributes(3, &record, __FILE__, __LINE__);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->count, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(record->names[i], nullptr);
        EXPECT_EQ(record->values[i], nullptr);
    }
    record->names[0] = allocator.DupString("DEST_FORMAT:1", __FILE__, __LINE__);
    record->values[0] = allocator.DupString("PDF", __FILE__, __LINE__);
    record->names[2] = allocator.DupString("DEST_PAGE:1", __FILE__, __LINE__);  // a gap stays null
    allocator.FreeScanAttributes(&record, true);
    EXPECT_EQ(record, nullptr);
    EXPECT_TRUE(allocator.live.empty());

    ScanAttributes empty{};
    allocator.AllocateScanAttributes(0, empty, __FILE__, __LINE__);
    EXPECT_EQ(empty.names, nullptr);
    EXPECT_EQ(empty.values, nullptr);
    EXPECT_EQ(empty.count, 0);
    allocator.FreeScanAttributes(empty);
    ScanAttributes* none = nullptr;
    allocator.FreeScanAttributes(&none, true);  // null is nothing to free
    EXPECT_TRUE(allocator.live.empty());
}

TEST(VellMemoryAllocator, ARecordKeptByItsOwnerLosesOnlyItsContents) {
    CountingAllocator allocator;
    ScanAttributes* record = nullptr;
    allocator.AllocateScanAttributes(1, &record, __FILE__, __LINE__);
    record->names[0] = allocator.DupString("k", __FILE__, __LINE__);
    allocator.FreeScanAttributes(&record, false);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(allocator.live.size(), 1u);
    allocator.FreeMemory(record);
}

TEST(VellMemoryAllocator, JobListsFreeTheAttributesOfEveryEntry) {
    CountingAllocator allocator;
    ScanJobList* list = nullptr;
    allocator.AllocateScanJobList(2, &list, __FILE__, __LINE__);
    ASSERT_EQ(list->count, 2);
    EXPECT_EQ(list->entries[1].jobId, 0);
    EXPECT_EQ(list->entries[1].attributes.names, nullptr);
    list->entries[0].jobId = 7;
    allocator.AllocateScanAttributes(1, list->entries[0].attributes, __FILE__, __LINE__);
    list->entries[0].attributes.names[0] = allocator.DupString("FILENAME", __FILE__, __LINE__);
    list->entries[0].attributes.values[0] = allocator.DupString("Scan", __FILE__, __LINE__);
    allocator.FreeScanJobList(&list);
    EXPECT_EQ(list, nullptr);
    EXPECT_TRUE(allocator.live.empty());
}

}  // namespace
