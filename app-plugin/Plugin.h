// The main application's IPlugin: asks the user where to save before a scan
// or a retrieval starts and saves the job as one file there.
#pragma once

#include <memory>

#include "IPlugin.h"
#include "VEQAppPluginExport.h"

class VEQAPPPLUGIN_API Plugin : public IPlugin {
public:
    Plugin();
    virtual ~Plugin();

    bool SetServer(const wxString& ip) override;
    std::shared_ptr<Server> GetServer() override;
    bool IsDriverMode() override;
    bool IsPluginMode() override;
    int InitScan(const VEQTypes::ScanInitiateAttributes& attributes) override;
    int OnScanCompleted() override;
    bool OnDownloadCompleted() override;
    int InitMailBoxRetrive(std::shared_ptr<MailBox> mailbox, const VEQTypes::VEQScannedJob& job) override;

private:
    std::shared_ptr<Server> m_server;
    wxString m_targetPath;
    VEQTypes::ScanRetriveAttribute m_retrieveAttribute;
};
