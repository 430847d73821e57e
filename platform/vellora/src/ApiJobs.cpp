// Mailboxes, engine boxes, job lists and job data.
#include "Api.h"

#include <cstring>

using namespace vellora;

namespace {

// Job list replies: u32 count, then per entry i32 id, i64 size, i32 pages, names, values.
int GiveJobList(Connection& connection, const Reply& reply, ScanJobList** out) {
    auto in = reply.Fields();
    uint32_t count = in.U32();
    struct Entry {
        int id, pages;
        int64_t size;
        std::vector<std::string> names, values;
    };
    std::vector<Entry> entries;
    for (uint32_t i = 0; i < count && in.Ok(); ++i) {
        Entry e;
        e.id = in.I32();
        e.size = in.I64();
        e.pages = in.I32();
        e.names = in.StrList();
        e.values = in.StrList();
        if (e.names.size() != e.values.size()) return connection.Malformed("job list entry");
        entries.push_back(std::move(e));
    }
    if (!in.Done()) return connection.Malformed("job list");
    auto* list = static_cast<ScanJobList*>(vellora_malloc(sizeof(ScanJobList)));
    if (!list) return VELLORA_OUT_OF_MEMORY;
    list->count = 0;
    list->entries = nullptr;
    if (!entries.empty()) {
        list->entries = static_cast<ScanJob*>(vellora_malloc(sizeof(ScanJob) * entries.size()));
        if (!list->entries) {
            vellora_free(list);
            return VELLORA_OUT_OF_MEMORY;
        }
        std::memset(list->entries, 0, sizeof(ScanJob) * entries.size());
    }
    for (const auto& e : entries) {
        ScanJob& job = list->entries[list->count];
        job.jobId = e.id;
        job.size = e.size > 0x7fffffff ? 0x7fffffff : static_cast<int>(e.size);
        job.pages = e.pages;
        if (!FillAttributes(job.attributes, e.names, e.values)) {
            SCAN_freeScanJobList(list, 0);
            return VELLORA_OUT_OF_MEMORY;
        }
        ++list->count;
    }
    *out = list;
    return VELLORA_OK;
}

int ListCall(VelloraScanSession* session, vwire::Writer& request, ScanJobList** list) {
    auto connection = FromScanSession(session);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!list) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *list = nullptr;
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    return GiveJobList(*connection, reply, list);
}

}  // namespace

extern "C" {

VELLORA_API int SCAN_getJobListInMailbox(VelloraScanSession* session, const char* mailbox, const char* password,
                                         ScanJobList** list, int) {
    auto request = Request(vwire::kOpJobListMailbox);
    request.Str(TextOrEmpty(mailbox)).Str(TextOrEmpty(password));
    return ListCall(session, request, list);
}

VELLORA_API int SCAN_getJobListInEngineBox(VelloraScanSession* session, const char* user, const char* password,
                                           int flags, const char* box, const char* boxPassword,
                                           ScanJobList** list, int) {
    auto request = Request(vwire::kOpJobListEngineBox);
    request.Str(TextOrEmpty(user)).Str(TextOrEmpty(password)).I32(flags).Str(TextOrEmpty(box))
        .Str(TextOrEmpty(boxPassword));
    return ListCall(session, request, list);
}

VELLORA_API int SCAN_getBoxListInEngineBox(VelloraScanSession* session, const char* user, const char* password,
                                           const char* filter, ScanJobList** list, int) {
    auto request = Request(vwire::kOpBoxListEngineBox);
    request.Str(TextOrEmpty(user)).Str(TextOrEmpty(password)).OptStr(filter ? vwire::OptText(filter)
                                                                           : std::nullopt);
    return ListCall(session, request, list);
}

VELLORA_API int SCAN_freeScanJobList(ScanJobList* list, int) {
    if (!list) return VELLORA_OK;
    for (int i = 0; i < list->count && list->entries; ++i) ClearAttributes(list->entries[i].attributes);
    vellora_free(list->entries);
    vellora_free(list);
    return VELLORA_OK;
}

VELLORA_API int SCAN_getNumPagesInJob(VelloraScanSession* session, int jobId, int* pages, int) {
    auto connection = FromScanSession(session);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!pages) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    auto request = Request(vwire::kOpNumPages);
    request.I32(jobId);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    auto in = reply.Fields();
    int count = in.I32();
    if (!in.Done()) return connection->Malformed("page count");
    *pages = count;
    return VELLORA_OK;
}

VELLORA_API int SCAN_isJobInMailbox(VelloraScanSession* session, const char* mailbox, const char* password,
                                    int jobId, unsigned char* present, int) {
    auto connection = FromScanSession(session);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!present) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    auto request = Request(vwire::kOpIsJobInMailbox);
    request.Str(TextOrEmpty(mailbox)).Str(TextOrEmpty(password)).I32(jobId);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    auto in = reply.Fields();
    int flag = in.I32();
    if (!in.Done()) return connection->Malformed("job presence");
    *present = flag ? 1 : 0;
    return VELLORA_OK;
}

VELLORA_API int SCAN_deleteJobInMailbox(VelloraScanSession* session, const char* mailbox, const char* password,
                                        int jobId, int) {
    auto connection = FromScanSession(session);
    if (!connection) return VELLORA_INVALID_HANDLE;
    auto request = Request(vwire::kOpDeleteJob);
    request.Str(TextOrEmpty(mailbox)).Str(TextOrEmpty(password)).I32(jobId);
    Reply reply;
    return connection->Call(request, reply);
}

VELLORA_API int SCAN_getDataInMailbox(VelloraScanSession* session, const char* mailbox, const char* password,
                                      int jobId, ScanAttributes* destination, int offset, char* buffer,
                                      int* length, int) {
    auto connection = FromScanSession(session);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!length) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    int capacity = *length;
    *length = 0;
    if (capacity < 0 || offset < 0) return VELLORA_BAD_PARAM;
    if (capacity > 0 && !buffer) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    DataKey key;
    key.mailbox = TextOrEmpty(mailbox);
    key.password = TextOrEmpty(password);
    key.jobId = jobId;
    ReadAttributes(destination, key.names, key.values);
    key.offset = offset;
    ReadAhead& ahead = connection->DataAhead();
    if (capacity > 0 && static_cast<uint32_t>(capacity) <= vwire::kMaxDataChunk) {
        // One request per call: the chunk may have been read ahead, and the next one is.
        key.length = static_cast<uint32_t>(capacity);
        int rc = VELLORA_OK;
        size_t got = 0;
        if (!ahead.Take(*connection, key, buffer, rc, got)) {
            auto request = Request(vwire::kOpGetData);
            request.Str(key.mailbox).Str(key.password).I32(jobId).StrList(key.names).StrList(key.values)
                .I64(key.offset).U32(key.length);
            rc = connection->CallData(request, buffer, key.length, got);
            if (rc == VELLORA_OK && got == key.length) ahead.Start(*connection, key);
        }
        *length = static_cast<int>(got);
        return rc;
    }
    // Large buffers are filled by several requests; a short piece is the end.
    ahead.Clear(*connection);
    size_t delivered = 0;
    do {
        size_t piece = std::min<size_t>(static_cast<size_t>(capacity) - delivered, vwire::kMaxDataChunk);
        auto request = Request(vwire::kOpGetData);
        request.Str(key.mailbox).Str(key.password).I32(jobId).StrList(key.names).StrList(key.values)
            .I64(static_cast<int64_t>(offset) + static_cast<int64_t>(delivered)).U32(static_cast<uint32_t>(piece));
        size_t got = 0;
        int rc = connection->CallData(request, buffer ? buffer + delivered : nullptr, piece, got);
        delivered += got;
        *length = static_cast<int>(delivered);
        if (rc != VELLORA_OK) return rc;
        if (got < piece) break;
    } while (delivered < static_cast<size_t>(capacity));
    return VELLORA_OK;
}

}  // extern "C"
