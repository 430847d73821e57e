#include "PluginServer.h"

#include "VEQDataSource.h"

bool SelectPluginServer(std::shared_ptr<Server>& held, const wxString& ip) {
    // A server of that address still logging out is not reused: it would
    // refuse, and a new one can log in at once.
    if (held && held->GetIP() == ip && held->GetServerStatus() != VEQTypes::DISCONNECTING) {
        const VEQTypes::ServerStatus status = held->GetServerStatus();
        if (status != VEQTypes::DISCONNECTED) {
            return status == VEQTypes::CONNECTED;
        }
    } else {
        if (held && held->GetIP() != ip) {
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
