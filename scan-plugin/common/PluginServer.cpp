#include "PluginServer.h"

#include "VEQDataSource.h"

bool SelectPluginServer(std::shared_ptr<Server>& held, const wxString& ip) {
    if (held && held->GetIP() == ip) {
        const VEQTypes::ServerStatus status = held->GetServerStatus();
        if (status != VEQTypes::DISCONNECTED) {
            return status == VEQTypes::CONNECTED;
        }
    } else {
        if (held) {
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
