// Connecting, disconnecting, time-outs, connection monitors and unloading.
#include "Api.h"
#include "Env.h"

#include "vellora_wire/Net.h"

using namespace vellora;

extern "C" {

VELLORA_API int INIT_connectUTF8(const char* address, const char* user, const char* password,
                                 const char* applicationName, const char* applicationKey,
                                 const char* protocol, int port, int timeout, int, int, int,
                                 VelloraServerHandle** handle, int) {
    if (!handle) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    *handle = nullptr;
    if (!address || !*address) return VELLORA_BAD_PARAM;
    vwire::Endpoint endpoint;
    // Only loopback is ever contacted; nothing is sent anywhere else.
    if (!vwire::LoopbackEndpoint(address, ControllerPort(port), endpoint)) return VELLORA_HOST_UNREACHABLE;
    Login login{TextOrEmpty(user), TextOrEmpty(password), TextOrEmpty(applicationName),
                TextOrEmpty(applicationKey), TextOrEmpty(protocol)};
    int timeoutMs = EffectiveTimeoutMs(timeout > 0 ? SecondsToMs(timeout) : kDefaultTimeoutMs);
    std::shared_ptr<Connection> connection;
    int rc = Connection::Open(address, endpoint, login, timeoutMs, connection);
    if (rc != VELLORA_OK) return rc;
    *handle = AddHandle(std::move(connection));
    return VELLORA_OK;
}

VELLORA_API int INIT_disconnect(VelloraServerHandle* handle, int) {
    auto connection = RemoveHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    connection->Close();
    return VELLORA_OK;
}

VELLORA_API int INIT_setTimeout(VelloraServerHandle* handle, int seconds, int) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (seconds <= 0) return VELLORA_BAD_PARAM;
    connection->SetTimeoutMs(EffectiveTimeoutMs(SecondsToMs(seconds)));
    return VELLORA_OK;
}

VELLORA_API int INIT_monitorServer(VelloraServerHandle* handle, int retries, int intervalSeconds,
                                   VelloraNBTicket* ticket) {
    auto connection = FindHandle(handle);
    if (!connection) return VELLORA_INVALID_HANDLE;
    if (!ticket) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    if (retries <= 0 || intervalSeconds <= 0) return VELLORA_BAD_PARAM;
    auto request = Request(vwire::kOpMonitor);
    request.I32(retries).I32(intervalSeconds);
    Reply reply;
    int rc = connection->Call(request, reply);
    if (rc != VELLORA_OK) return rc;
    auto monitor = connection->StartMonitor(retries, SecondsToMs(intervalSeconds));
    connection->NoticeEndOf(monitor, vwire::kOpMonitor);
    PublishTicket(ticket, monitor);
    return VELLORA_OK;
}

VELLORA_API void vellora_unload(void) {
    for (auto& connection : RemoveAllHandles()) connection->Close();
    CancelAllTickets();
}

}  // extern "C"
