// Operation codes of request frames, each named after the SDK function whose
// call it carries (the controller logs calls and injects results by that name),
// and the kinds of event frames.
#pragma once

#include <cstdint>
#include <string>

namespace vwire {

// The first text of a Hello body; a different text is a protocol mismatch.
constexpr const char* kProtocolMagic = "VELLORA/1";

enum Op : uint16_t {
    kOpHello = 1,             // INIT_connectUTF8: magic, user, password, app name, app key, protocol
    kOpBye = 2,               // INIT_disconnect
    kOpPing = 3,              // connection monitor probe (not an SDK call of its own)
    kOpDiscover = 4,          // DISCOV_getZeltoList probe, allowed without a login
    kOpServerInfo = 10,
    kOpDeviceInfo = 11,
    kOpDictRead = 12,
    kOpFeatures = 13,
    kOpAuthId = 14,
    kOpSubscribeServer = 15,  // SERVER_getEventsEx
    kOpSubscribeScanEx = 16,  // SCAN_getEventsEx
    kOpSubscribeScan = 17,    // SCAN_getEvents
    kOpSubscribeAlerts = 18,  // SCAN_getAlertEvents
    kOpMonitor = 19,          // INIT_monitorServer
    kOpTicketEnd = 20,        // NB_cancel of a subscription or monitor: the function that made it (no answer awaited)
    kOpLocaleOpen = 21,
    kOpLocaleClose = 22,
    kOpLocaleGet = 23,
    kOpLocaleGetContext = 24,
    kOpDefaultEncoding = 25,
    kOpScanOpen = 30,
    kOpScanClose = 31,
    kOpScanAttributes = 32,
    kOpScanInitiate = 33,
    kOpScanFinish = 34,
    kOpScanCancel = 35,
    kOpJobListMailbox = 40,
    kOpJobListEngineBox = 41,
    kOpBoxListEngineBox = 42,
    kOpNumPages = 43,
    kOpIsJobInMailbox = 44,
    kOpDeleteJob = 45,
    kOpGetData = 46,
    kOpGetDataAhead = 47,     // the next chunk, asked for before the caller asks (no call of its own)
    kOpDataTaken = 48         // a caller's call took the chunk read ahead by request u32 id
};

// The SDK function name of an operation; nullptr for an unknown code.
const char* OpFunctionName(uint16_t op);

enum EventKind : uint16_t {
    kEventServer = 1,   // i32 type, i32 id
    kEventScan = 2,     // i32 type, i32 job id, names, values
    kEventAlert = 3     // i32 id, i32 kind, text, i32 has_message
};

}  // namespace vwire
