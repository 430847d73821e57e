// Runs an SDK discovery and reports every controller found through its signal,
// on the SDK's thread, leaving out the product line this client does not serve.
#pragma once

#include <string>

#include <boost/signals2/signal.hpp>

#include "ServersDiscovererProxy.h"
#include "VEQDataSourceExport.h"
#include "vellora.h"

class VEQDATASOURCE_API ZeltoServerDiscovererProxy : public ServersDiscovererProxy {
public:
    explicit ZeltoServerDiscovererProxy(int mode);
    ~ZeltoServerDiscovererProxy() override;  // stops a running discovery

    void Start() override;
    void Start(const std::string& first, const std::string& second) override;
    void Stop() override;
    void NewServerDiscovered(const ZeltoServerInfo& server) override;

    static void ZeltoServerDiscoveryCallback(VelloraDiscoveryRecord* record, void* context);

    boost::signals2::signal<void(const ZeltoServerInfo&)> m_serverDiscoveredSignal;

private:
    void StartDiscovery(const char* first, const char* second);

    std::string m_first;
    std::string m_second;
    bool m_started;
    int m_mode;
    VelloraNBTicket* m_ticket;
};
