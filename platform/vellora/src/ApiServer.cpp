// Server and device information, the system dictionary, features, authentication
// ids and server events.
#include "Api.h"

#include <cstdlib>

using namespace vellora;

namespace {

constexpr size_t kInfoTexts = 8;

// Fills an information record (char* text[8]) from the reply's texts.
template <typename Record>
int GiveInfo(Connection& connection, const Reply& reply, Record** out) {
    auto in = reply.Fields();
    auto texts = in.OptStrList();
    if (!in.Done()) return connection.Malformed("information texts");
    auto* record = static_cast<Record*>(vellora_malloc(sizeof(Record)));
    if (!record) return VELLORA_OUT_OF_MEMORY;
    for (size_t i = 0; i < kInfoTexts; ++i) {
        record->text[i] = nullptr;
        if (i < texts.size() && texts[i]) record->text[i] = HeapText(*texts[i]);
    }
    *out = record;
    return VELLORA_OK;
}

template <typename Record>
int FreeInfo(Record* record) {
    if (!record) return VELLORA_OK;
    for (size_t i = 0; i < kInfoTexts; ++i) vellora_free(record->text[i]);
    vellora_free(record);
    return VELLORA_OK;
}

}  // namespace

extern "C" {

VELLORA_API int SERVER_getInfo(VelloraServerHandle* handle, VelloraServerInfo** info, int) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!info) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *info = nullptr;
    auto request = Request(vwire::kOpServerInfo);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    return GiveInfo(*connection, reply, info);
}

VELLORA_API int SERVER_freeInfo(VelloraServerHandle*, VelloraServerInfo* info, int) { return FreeInfo(info); }

VELLORA_API int DEV_getInfo(VelloraServerHandle* handle, int device, VelloraDeviceInfo** info, int) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!info) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *info = nullptr;
    auto request = Request(vwire::kOpDeviceInfo);
    request.I32(device);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    return GiveInfo(*connection, reply, info);
}

VELLORA_API int DEV_freeInfo(VelloraServerHandle*, VelloraDeviceInfo* info, int) { return FreeInfo(info); }

VELLORA_API int QMVM_dictRead(VelloraServerHandle* handle, const char* dictionary, const char* key,
                              char** value, int) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!value) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *value = nullptr;
    if (!dictionary || !key) return VELLORA_BAD_PARAM;
    auto request = Request(vwire::kOpDictRead);
    request.Str(dictionary).Str(key);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    auto in = reply.Fields();
    std::string text = in.Str();
    if (!in.Done()) return connection->Malformed("dictionary value");
    return GiveText(text, value);
}

VELLORA_API int FEAT_getFeatureList(VelloraServerHandle* handle, char*** names, char*** values, int* count,
                                    int) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!names || !values || !count) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *names = *values = nullptr;
    *count = 0;
    auto request = Request(vwire::kOpFeatures);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    auto in = reply.Fields();
    auto keys = in.OptStrList();
    auto vals = in.OptStrList();
    if (!in.Done() || keys.size() != vals.size()) return connection->Malformed("feature list");
    char** k = HeapTextList(keys);
    char** v = HeapTextList(vals);
    if (!k || !v) {
        freeStringList(k, static_cast<int>(keys.size()));
        freeStringList(v, static_cast<int>(vals.size()));
        return VELLORA_OUT_OF_MEMORY;
    }
    *names = k;
    *values = v;
    *count = static_cast<int>(keys.size());
    return VELLORA_OK;
}

VELLORA_API int AUTH_getAuthIDEx(VelloraServerHandle* handle, const char* user, const char* domain, int kind,
                                 int flags, char** idText, int* idNumber, int) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!idText) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *idText = nullptr;
    if (!user) return VELLORA_BAD_PARAM;
    auto request = Request(vwire::kOpAuthId);
    request.Str(user).Str(TextOrEmpty(domain)).I32(kind).I32(flags);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    auto in = reply.Fields();
    std::string id = in.Str();
    int number = in.I32();
    if (!in.Done()) return connection->Malformed("authentication id");
    if (idNumber) *idNumber = number;
    return GiveText(id, idText);
}

VELLORA_API int SERVER_getEventsEx(VelloraServerHandle* handle, VelloraServerEventCallback callback,
                                   void* context, VelloraNBTicket* ticket) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!callback || !ticket) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    std::shared_ptr<TicketState> state;
    int rc = connection->Subscribe(
        vwire::kOpSubscribeServer, vwire::kEventServer,
        [handle, callback, context](const EventData& e) {
            VelloraServerEvent event{e.type, e.id, handle};
            callback(&event, context);
        },
        state);
    if (rc != VELLORA_OK) return rc;
    PublishTicket(ticket, state);
    return VELLORA_OK;
}

}  // extern "C"
