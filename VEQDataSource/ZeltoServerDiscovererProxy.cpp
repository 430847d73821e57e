#include "ZeltoServerDiscovererProxy.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

// The product line this client does not serve.
const char kExcludedProduct[] = "Zelto Korvel";
const char s_emptyDeviceName[] = "";
const auto kTicketPollInterval = std::chrono::milliseconds(100);

}  // namespace

ZeltoServerDiscovererProxy::ZeltoServerDiscovererProxy(int mode)
    : m_started(false), m_mode(mode), m_ticket(nullptr) {}

ZeltoServerDiscovererProxy::~ZeltoServerDiscovererProxy() {
    if (m_started) {
        Stop();
    }
}

void ZeltoServerDiscovererProxy::Start() {
    if (!m_started) {
        StartDiscovery(nullptr, nullptr);
    }
}

void ZeltoServerDiscovererProxy::Start(const std::string& first, const std::string& second) {
    if (!m_started) {
        m_first = first;
        m_second = second;
        StartDiscovery(m_first.c_str(), m_second.c_str());
    }
}

void ZeltoServerDiscovererProxy::StartDiscovery(const char* first, const char* second) {
    m_ticket = new VelloraNBTicket();
    if (DISCOV_getZeltoList(m_mode, 0, first, second, 0,
                            &ZeltoServerDiscovererProxy::ZeltoServerDiscoveryCallback, this, 0, 0,
                            m_ticket) != 0) {
        // Nothing runs: there is no ticket to stop later.
        delete m_ticket;
        m_ticket = nullptr;
        return;
    }
    m_started = true;
}

void ZeltoServerDiscovererProxy::Stop() {
    if (!m_started) {
        return;
    }
    m_started = false;
    NB_cancel(m_ticket);
    for (;;) {
        int result = 0;
        int status = 0;
        if (NB_checkTicket(m_ticket, &result, 0, &status) != 0 || status != VELLORA_PENDING) {
            break;
        }
        std::this_thread::sleep_for(kTicketPollInterval);
    }
    // The discovery has finished: let the SDK release what it kept for the ticket.
    NB_destroy(m_ticket);
    delete m_ticket;
    m_ticket = nullptr;
}

void ZeltoServerDiscovererProxy::NewServerDiscovered(const ZeltoServerInfo& server) {
    m_serverDiscoveredSignal(server);
}

void ZeltoServerDiscovererProxy::ZeltoServerDiscoveryCallback(VelloraDiscoveryRecord* record,
                                                              void* context) {
    if (!record || !context) {
        return;
    }
    ZeltoServerInfo server;
    std::memcpy(server.m_address, record->address, sizeof server.m_address);
    std::memcpy(server.m_name, record->name, sizeof server.m_name);
    server.m_product = record->device && record->device->product ? record->device->product
                                                                 : s_emptyDeviceName;
    if (std::strcmp(server.m_product, kExcludedProduct) == 0) {
        return;
    }
    static_cast<ZeltoServerDiscovererProxy*>(context)->NewServerDiscovered(server);
}
