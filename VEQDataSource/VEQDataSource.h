// The entry object of the data source: a process-wide singleton that owns the
// settings over "veq_config" and makes server objects.
#pragma once

#include <memory>

#include <wx/string.h>

#include "VEQDataSourceExport.h"

class Server;
class VEQConfig;

class VEQDATASOURCE_API VEQDataSource {
public:
    // Made on first use, destroyed at process exit (which saves the settings).
    static VEQDataSource& Get();

    // A new server object for the address; the caller is its only owner.
    std::shared_ptr<Server> CreateServer(const wxString& address);
    std::shared_ptr<VEQConfig> GetConfig();

    VEQDataSource(const VEQDataSource&) = delete;
    VEQDataSource& operator=(const VEQDataSource&) = delete;

private:
    VEQDataSource();
    ~VEQDataSource();

    std::shared_ptr<VEQConfig> m_config;
};
