// A plug-in over the real data source, for driving the panel against a
// simulated controller: it logs in as the plug-ins do and saves a retrieved
// job as one PDF file into a fixed folder, recording that folder as the last
// save folder, as the application's save chooser does. It shows no windows.
#pragma once

#include <memory>

#include <wx/filename.h>

#include "IPlugin.h"
#include "MailBox.h"
#include "Server.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"

namespace veqtest {

class SaveToFolderPlugin : public IPlugin {
public:
    explicit SaveToFolderPlugin(const wxString& folder) : m_folder(folder) {}

    bool SetServer(const wxString& ip) override {
        if (m_server && m_server->GetIP() == ip && m_server->GetServerStatus() == VEQTypes::CONNECTED) {
            return true;
        }
        if (!m_server || m_server->GetIP() != ip || m_server->GetServerStatus() != VEQTypes::DISCONNECTED) {
            m_server = VEQDataSource::Get().CreateServer(ip);
        }
        return m_server && m_server->Connect("guest", "", false);
    }
    std::shared_ptr<Server> GetServer() override { return m_server; }
    bool IsDriverMode() override { return false; }
    bool IsPluginMode() override { return false; }
    int InitScan(const VEQTypes::ScanInitiateAttributes&) override { return 1; }
    int OnScanCompleted() override { return 0; }
    bool OnDownloadCompleted() override { return true; }
    int InitMailBoxRetrive(std::shared_ptr<MailBox> mailbox, const VEQTypes::VEQScannedJob& job) override {
        if (!mailbox) {
            return 1;
        }
        VEQTypes::ScanRetriveAttribute attributes;
        attributes.m_format = VEQTypes::PDF;
        attributes.m_pageIndex = 0;
        attributes.m_jobId = job.m_id;
        VEQDataSource::Get().GetConfig()->SetLastSaveJobPath(m_folder);
        return mailbox->SaveScanedJobToPathFromMailBox(SavedPath(job), attributes, true,
                                                       MailBox::SAVE_DOCUMENTS_WHOLE)
                   ? 0
                   : 1;
    }

    wxString SavedPath(const VEQTypes::VEQScannedJob& job) const {
        return wxFileName(m_folder, job.m_name + ".pdf").GetFullPath();
    }

private:
    wxString m_folder;
    std::shared_ptr<Server> m_server;
};

}  // namespace veqtest
