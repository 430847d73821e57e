#include "PluginServer.h"

#include "VEQDataSource.h"

bool SelectPluginServer(std::shared_ptr<Server>& held, const wxString& ip) {
    const bool sameAddress = held && held->GetIP() == ip;
    const VEQTypes::ServerStatus status = held ? held->GetServerStatus() : VEQTypes::DISCONNECTED;
    // A server of that address still logging out is not reused: it would
    // refuse, and a new one can log in at once.
    if (sameAddress && status != VEQTypes::DISCONNECTING) {
        if (status != VEQTypes::DISCONNECTED) {
            return status == VEQTypes::CONNECTED;
        }
    } else {
        if (held && !sameAddress) {
            held->Disconnect(false);
        }
        held = VEQDataSource::Get().CreateServer(ip);
    }
    if (!held) {
        return false;
    }
    held->Connect("guest", "", false);
    return held->GetServerStatus() == VEQTypes::CONNECTED;
}
