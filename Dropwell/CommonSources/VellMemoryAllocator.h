// Builds the SDK records the service hands to the SDK (strings, attribute lists,
// job lists). Everything is allocated and freed through AllocateMemory and
// FreeMemory only; here they are array new and delete, and the SDK wrapper
// overrides them so that the records land in the SDK's own heap.
// Source file and line of each allocation are passed for diagnostics and ignored.
#pragma once

#include "vellora.h"

#include <cstddef>

class VellMemoryAllocator {
public:
    virtual void* AllocateMemory(size_t size, const char* file, int line);
    virtual void FreeMemory(void* p);  // null is ignored

    // A copy of text with its terminator, in strlen(text) + 2 bytes.
    virtual char* DupString(const char* text, const char* file, int line);

    // Sets the count and, when count > 0, zero-filled arrays of count keys and values.
    virtual void AllocateScanAttributes(long count, ScanAttributes& record, const char* file, int line);
    // Allocates the record itself into *out, then fills it as above.
    virtual void AllocateScanAttributes(long count, ScanAttributes** out, const char* file, int line);
    // Frees every key and value below the count, then both arrays.
    virtual void FreeScanAttributes(ScanAttributes& record);
    // Frees *p's contents and, with freeRecord, the record, setting *p to null.
    virtual void FreeScanAttributes(ScanAttributes** p, bool freeRecord);

    // A list of count zero-filled 128-byte entries.
    virtual void AllocateScanJobList(int count, ScanJobList** out, const char* file, int line);
    // Frees each entry's attributes, the entries and the list; *list becomes null.
    virtual void FreeScanJobList(ScanJobList** list);

protected:
    // Zero-filled room for count items of size bytes; null for count 0.
    void* AllocateZeroed(size_t count, size_t size, const char* file, int line);
};
