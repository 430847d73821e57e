// Scan sessions, the server's scan attributes, scan and alert events, and scan
// initiation.
#include "Api.h"

#include <cstring>

using namespace vellora;

namespace {

void WriteAttributes(vwire::Writer& request, const ScanAttributes* attributes) {
    std::vector<std::string> names, values;
    ReadAttributes(attributes, names, values);
    request.StrList(names).StrList(values);
}

// A call on a scan session whose reply carries nothing but its result.
int SessionCall(VelloraScanSession* session, uint16_t op, int jobId, int flags) {
    auto connection = FromScanSession(session);
    if (!connection) return VELLORA_INVALID_HANDLE;
    auto request = Request(op);
    request.I32(jobId).I32(flags);
    Reply reply;
    return connection->Call(request, reply);
}

int SubscribeScan(VelloraServerHandle* handle, uint16_t op, uint16_t kind,
                  std::function<void(const EventData&)> handler, VelloraNBTicket* ticket) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!ticket) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    std::shared_ptr<TicketState> state;
    int rc = connection->Subscribe(op, kind, std::move(handler), state);
    if (rc != VELLORA_OK) return rc;
    PublishTicket(ticket, state);
    return VELLORA_OK;
}

}  // namespace

extern "C" {

VELLORA_API int SCAN_openSession(VelloraServerHandle* handle, VelloraScanSession* session, int) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!session) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    auto request = Request(vwire::kOpScanOpen);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    session->id = connection->OpenScanSession();
    session->reserved = 0;
    session->server = handle;
    return VELLORA_OK;
}

VELLORA_API int SCAN_closeSession(VelloraScanSession* session, int) {
    auto connection = FromScanSession(session);
    if (!connection) return VELLORA_INVALID_HANDLE;
    auto request = Request(vwire::kOpScanClose);
    Reply reply;
    int rc = connection->Call(request, reply);
    // A controller that answers with a failure keeps the session, so that the
    // caller can try again; without an answer the session ends here.
    if (rc != VELLORA_OK && rc != VELLORA_TIMEOUT && connection->Alive()) return rc;
    connection->CloseScanSession(session->id);
    session->id = 0;
    return VELLORA_OK;
}

VELLORA_API int SCAN_serverAttributes(VelloraScanSession* session, ScanAttributes** attributes) {
    auto connection = FromScanSession(session);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!attributes) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *attributes = nullptr;
    auto request = Request(vwire::kOpScanAttributes);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    auto in = reply.Fields();
    auto names = in.StrList();
    auto values = in.StrList();
    if (!in.Done() || names.size() != values.size()) return connection->Malformed("scan attributes");
    auto* record = static_cast<ScanAttributes*>(vellora_malloc(sizeof(ScanAttributes)));
    if (!record) return VELLORA_OUT_OF_MEMORY;
    *record = ScanAttributes{nullptr, nullptr, 0};
    if (!FillAttributes(*record, names, values)) {
        vellora_free(record);
        return VELLORA_OUT_OF_MEMORY;
    }
    *attributes = record;
    return VELLORA_OK;
}

VELLORA_API int SCAN_getEventsEx(VelloraServerHandle* handle, VelloraScanEventExCallback callback,
                                 VelloraNBTicket* ticket) {
    if (!callback) return FindHandle(handle) ? VELLORA_PARAMETER_MAY_NOT_BE_NULL : VELLORA_INVALID_HANDLE;
    return SubscribeScan(handle, vwire::kOpSubscribeScanEx, vwire::kEventScan,
                         [handle, callback](const EventData& e) {
                             ScanAttributes attributes{nullptr, nullptr, 0};
                             FillAttributes(attributes, e.names, e.values);
                             VelloraScanEventEx event{e.type, e.id, handle, &attributes};
                             callback(&event);
                             ClearAttributes(attributes);
                         },
                         ticket);
}

VELLORA_API int SCAN_getEvents(VelloraServerHandle* handle, VelloraScanEventCallback callback,
                               VelloraNBTicket* ticket) {
    if (!callback) return FindHandle(handle) ? VELLORA_PARAMETER_MAY_NOT_BE_NULL : VELLORA_INVALID_HANDLE;
    return SubscribeScan(handle, vwire::kOpSubscribeScan, vwire::kEventScan,
                         [handle, callback](const EventData& e) {
                             VelloraScanEvent event{e.type, e.id, handle};
                             callback(&event);
                         },
                         ticket);
}

VELLORA_API int SCAN_getAlertEvents(VelloraServerHandle* handle, VelloraScanAlertCallback callback,
                                    VelloraNBTicket* ticket) {
    if (!callback) return FindHandle(handle) ? VELLORA_PARAMETER_MAY_NOT_BE_NULL : VELLORA_INVALID_HANDLE;
    return SubscribeScan(handle, vwire::kOpSubscribeAlerts, vwire::kEventAlert,
                         [handle, callback](const EventData& e) {
                             char* text = HeapText(e.text);
                             VelloraScanAlert alert{e.id, e.type, text, static_cast<int>(e.text.size()),
                                                    e.hasMessage, handle};
                             callback(&alert);
                             vellora_free(text);
                         },
                         ticket);
}

VELLORA_API int SCAN_initiateScan(VelloraScanSession* session, ScanAttributes* attributes, int* jobId, int) {
    auto connection = FromScanSession(session);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!jobId) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    auto request = Request(vwire::kOpScanInitiate);
    WriteAttributes(request, attributes);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    auto in = reply.Fields();
    int id = in.I32();
    if (!in.Done()) return connection->Malformed("scan job id");
    *jobId = id;
    return VELLORA_OK;
}

VELLORA_API int SCAN_finish(VelloraScanSession* session, int jobId, int) {
    return SessionCall(session, vwire::kOpScanFinish, jobId, 0);
}

VELLORA_API int SCAN_cancelScan(VelloraScanSession* session, int jobId, int flags, int) {
    return SessionCall(session, vwire::kOpScanCancel, jobId, flags);
}

}  // extern "C"
