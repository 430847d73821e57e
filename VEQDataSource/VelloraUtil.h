// Allocation, copy and release of SDK attribute lists, scan events and scan
// alerts, so that what an SDK thread delivers can be handed to a pool task and
// attribute lists can be built for the SDK. What is made here is freed here.
#pragma once

#include <cstddef>

#include "VEQDataSourceExport.h"
#include "vellora.h"

class VEQDATASOURCE_API VelloraUtil {
public:
    // A scan event as copied off an SDK thread.
    struct VEQVelloraScanEventEx {
        int type;
        int jobId;
        VelloraServerHandle* server;
        ScanAttributes* attributes;  // a deep copy on the SDK heap, or null
    };

    static char* AllocateMemory(std::size_t size);
    static void FreeMemory(char* memory);
    // A copy of the text in a new array of its length + 2 bytes; null stays null.
    static char* DupString(const char* text);

    // Sets the count; for a count above 0 makes both arrays of null entries,
    // else leaves them null.
    static void AllocateScanAttributes(long count, ScanAttributes& attributes);
    static void AllocateScanAttributes(long count, ScanAttributes** attributes);
    static void FreeScanAttributes(ScanAttributes& attributes);
    static void FreeScanAttributes(ScanAttributes** attributes, bool freeRecord);

    // A new alert with every field copied and its text copied by its length.
    static VelloraScanAlert* CopyVelloraScanAlert(const VelloraScanAlert& alert);
    static VelloraScanAlert* CopyVelloraScanAlert(const VelloraScanAlert* alert);
    static void FreeVelloraScanAlert(VelloraScanAlert** alert);

    static VEQVelloraScanEventEx* MakeVEQVelloraScanEventEx(const VelloraScanEventEx* event);
    static void DeleteVEQVelloraScanEventEx(VEQVelloraScanEventEx* copy);
};
