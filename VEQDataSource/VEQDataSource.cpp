#include "VEQDataSource.h"

#include "VEQConfig.h"
#include "ZeltoServer.h"

VEQDataSource& VEQDataSource::Get() {
    static VEQDataSource instance;
    return instance;
}

VEQDataSource::VEQDataSource() : m_config(std::make_shared<VEQConfig>("veq_config")) {}

VEQDataSource::~VEQDataSource() = default;

std::shared_ptr<Server> VEQDataSource::CreateServer(const wxString& address) {
    return std::make_shared<ZeltoServer>(address);
}

std::shared_ptr<VEQConfig> VEQDataSource::GetConfig() {
    return m_config;
}
