#include "Server.h"

#include <wx/socket.h>

#include "VEQServicesUtil.h"

namespace {

// The numeric address of a host name, or an empty text when it does not resolve.
wxString ResolveHostName(const wxString& name) {
    wxIPV4address resolver;
    if (!resolver.Hostname(name)) {
        return wxString();
    }
    return resolver.IPAddress();
}

}  // namespace

Server::Server(const wxString& address)
    : m_address(address), m_status(VEQTypes::DISCONNECTED) {
    if (!VEQServicesUtil::isValidIPv4AddressFormat(address)) {
        const wxString resolved = ResolveHostName(address);
        if (!resolved.empty()) {
            m_address = resolved;
        }
    }
}

Server::~Server() = default;

int Server::GetTimeAdjustment() {
    return 0;
}

VEQTypes::ServerStatus Server::GetServerStatus() {
    return static_cast<VEQTypes::ServerStatus>(m_status.load());
}
