// Discovery of controllers on the network: what one report carries and the
// interface of the object that talks to the SDK.
#pragma once

#include <string>

#include "VEQDataSourceExport.h"

// One discovered controller, valid only during the call that hands it over.
struct VEQDATASOURCE_API ZeltoServerInfo {
    char m_address[16];  // the SDK record's first two fields, copied as they are
    char m_name[16];
    const char* m_product;  // the device's product text; empty when it has none
};

class VEQDATASOURCE_API ServersDiscovererProxy {
public:
    ServersDiscovererProxy();
    virtual ~ServersDiscovererProxy();
    ServersDiscovererProxy(const ServersDiscovererProxy&) = delete;
    ServersDiscovererProxy& operator=(const ServersDiscovererProxy&) = delete;

    virtual void Start() = 0;
    // first and second bound the range searched; the SDK gives them their meaning.
    virtual void Start(const std::string& first, const std::string& second) = 0;
    // Cancels a running discovery and waits until the SDK has finished it.
    virtual void Stop() = 0;
    virtual void NewServerDiscovered(const ZeltoServerInfo& server) = 0;
};
