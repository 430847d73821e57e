#include "ZeltoServersDiscoverer.h"

#include <stdexcept>

#include <boost/bind/bind.hpp>

#include "ZeltoServerDiscovererProxy.h"

ZeltoServersDiscoverer::ZeltoServersDiscoverer(
    std::function<void(const ZeltoServerInfo&)>& onServer, int mode)
    : m_onServer(onServer) {
    if (!m_onServer) {
        throw std::invalid_argument("a discoverer needs a function to hand servers to");
    }
    m_proxy.reset(new ZeltoServerDiscovererProxy(mode));
    m_proxy->m_serverDiscoveredSignal.connect(
        boost::bind(&ZeltoServersDiscoverer::NewServerDiscovered, this, boost::placeholders::_1));
}

ZeltoServersDiscoverer::~ZeltoServersDiscoverer() {
    m_proxy->m_serverDiscoveredSignal.disconnect_all_slots();
    m_proxy.reset();
}

void ZeltoServersDiscoverer::Start() {
    m_proxy->Start();
}

void ZeltoServersDiscoverer::Start(const std::string& first, const std::string& second) {
    m_proxy->Start(first, second);
}

void ZeltoServersDiscoverer::Stop() {
    m_proxy->Stop();
}

void ZeltoServersDiscoverer::NewServerDiscovered(const ZeltoServerInfo& server) {
    m_onServer(server);
}
