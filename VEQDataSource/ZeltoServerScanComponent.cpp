// SCAN COMPONENT SEAM: which scan component a login makes once its scan
// session is open. The default is the Zelto scan component.
#include <mutex>

#include "ScanAPIComponent.h"
#include "ZeltoScanAPIComponent.h"
#include "ZeltoServer.h"

namespace {

std::mutex s_factoryMutex;
ZeltoServer::ScanComponentFactory s_factory;

}  // namespace

void ZeltoServer::SetScanComponentFactory(ScanComponentFactory factory) {
    std::lock_guard<std::mutex> lock(s_factoryMutex);
    s_factory = std::move(factory);
}

std::shared_ptr<ScanAPIComponent> ZeltoServer::MakeDefaultScanComponent(ZeltoServer& server) {
    return std::make_shared<ZeltoScanAPIComponent>(&server);
}

std::shared_ptr<ScanAPIComponent> ZeltoServer::MakeScanComponent(ZeltoServer& server) {
    ZeltoServer::ScanComponentFactory factory;
    {
        std::lock_guard<std::mutex> lock(s_factoryMutex);
        factory = s_factory;
    }
    return factory ? factory(server) : ZeltoServer::MakeDefaultScanComponent(server);
}
