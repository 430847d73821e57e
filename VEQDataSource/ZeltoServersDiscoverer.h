// What callers hold to discover controllers: hands each one found to the
// caller's function, on an SDK thread, possibly while Start is still running.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ServersDiscovererProxy.h"
#include "VEQDataSourceExport.h"

class ZeltoServerDiscovererProxy;

class VEQDATASOURCE_API ZeltoServersDiscoverer {
public:
    // Throws std::invalid_argument for an empty function.
    ZeltoServersDiscoverer(std::function<void(const ZeltoServerInfo&)>& onServer, int mode);
    // Cancels a running discovery and waits for the SDK to finish it.
    ~ZeltoServersDiscoverer();
    ZeltoServersDiscoverer(const ZeltoServersDiscoverer&) = delete;
    ZeltoServersDiscoverer& operator=(const ZeltoServersDiscoverer&) = delete;

    void Start();
    void Start(const std::string& first, const std::string& second);
    void Stop();
    void NewServerDiscovered(const ZeltoServerInfo& server);

private:
    std::unique_ptr<ZeltoServerDiscovererProxy> m_proxy;
    std::function<void(const ZeltoServerInfo&)> m_onServer;
};
