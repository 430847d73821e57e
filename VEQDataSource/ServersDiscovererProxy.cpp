#include "ServersDiscovererProxy.h"

ServersDiscovererProxy::ServersDiscovererProxy() = default;

ServersDiscovererProxy::~ServersDiscovererProxy() = default;
