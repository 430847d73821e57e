#include "VellMemoryAllocator.h"

#include <cstring>

void* VellMemoryAllocator::AllocateMemory(size_t size, const char*, int) { return new char[size]; }

void VellMemoryAllocator::FreeMemory(void* p) { delete[] static_cast<char*>(p); }

void* VellMemoryAllocator::AllocateZeroed(size_t count, size_t size, const char* file, int line) {
    if (count == 0) return nullptr;
    void* p = AllocateMemory(count * size, file, line);
    std::memset(p, 0, count * size);
    return p;
}

char* VellMemoryAllocator::DupString(const char* text, const char* file, int line) {
    const size_t length = std::strlen(text);
    char* copy = static_cast<char*>(AllocateMemory(length + 2, file, line));
    std::memcpy(copy, text, length + 1);
    return copy;
}

void VellMemoryAllocator::AllocateScanAttributes(long count, ScanAttributes& record, const char* file, int line) {
    record.count = count;
    record.names = nullptr;
    record.values = nullptr;
    if (count <= 0) return;
    record.names = static_cast<char**>(AllocateZeroed(size_t(count), sizeof(char*), file, line));
    record.values = static_cast<char**>(AllocateZeroed(size_t(count), sizeof(char*), file, line));
}

void VellMemoryAllocator::AllocateScanAttributes(long count, ScanAttributes** out, const char* file, int line) {
    *out = static_cast<ScanAttributes*>(AllocateZeroed(1, sizeof(ScanAttributes), file, line));
    AllocateScanAttributes(count, **out, file, line);
}

void VellMemoryAllocator::FreeScanAttributes(ScanAttributes& record) {
    for (long i = 0; i < record.count; ++i) {
        if (record.names) FreeMemory(record.names[i]);
        if (record.values) FreeMemory(record.values[i]);
    }
    FreeMemory(record.names);
    FreeMemory(record.values);
    record.names = nullptr;
    record.values = nullptr;
    record.count = 0;
}

void VellMemoryAllocator::FreeScanAttributes(ScanAttributes** p, bool freeRecord) {
    if (!p || !*p) return;
    FreeScanAttributes(**p);
    if (freeRecord) {
        FreeMemory(*p);
        *p = nullptr;
    }
}

void VellMemoryAllocator::AllocateScanJobList(int count, ScanJobList** out, const char* file, int line) {
    *out = static_cast<ScanJobList*>(AllocateZeroed(1, sizeof(ScanJobList), file, line));
    (*out)->count = count > 0 ? count : 0;
    (*out)->entries = static_cast<ScanJob*>(AllocateZeroed(size_t((*out)->count), sizeof(ScanJob), file, line));
}

void VellMemoryAllocator::FreeScanJobList(ScanJobList** list) {
    if (!list || !*list) return;
    for (int i = 0; i < (*list)->count; ++i) FreeScanAttributes((*list)->entries[i].attributes);
    FreeMemory((*list)->entries);
    FreeMemory(*list);
    *list = nullptr;
}
