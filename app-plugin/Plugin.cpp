#include "Plugin.h"

#include <wx/intl.h>
#include <wx/utils.h>

#include "JobFileNames.h"
#include "PluginServer.h"
#include "ScanAPIComponent.h"
#include "ScanSaveDirChooser.h"
#include "ScannerCapability.h"

Plugin::Plugin() = default;
Plugin::~Plugin() = default;

bool Plugin::SetServer(const wxString& ip) {
    return SelectPluginServer(m_server, ip);
}

std::shared_ptr<Server> Plugin::GetServer() {
    return m_server;
}

bool Plugin::IsDriverMode() {
    return false;
}

bool Plugin::IsPluginMode() {
    return false;
}

int Plugin::InitScan(const VEQTypes::ScanInitiateAttributes& attributes) {
    if (!m_server) {
        return 1;
    }
    std::shared_ptr<ScanAPIComponent> scanAPI = m_server->GetScanAPI();
    std::shared_ptr<ScannerCapability> capability = scanAPI ? scanAPI->GetScannerCapability() : nullptr;
    if (!capability) {
        return 1;
    }
    const std::vector<VEQTypes::FileFormat> formats = capability->GetSupportedFileFormat(attributes);
    if (formats.empty()) {
        return 1;
    }
    ScanSaveDirChooser chooser(formats, capability->GetDefaultFileFormat());
    if (!chooser.Launch(_("Untitled"))) {
        return 3;
    }
    m_targetPath = chooser.GetDir();
    m_retrieveAttribute.m_format = chooser.GetFilterType();
    m_retrieveAttribute.m_pageIndex = 0;
    return scanAPI->InitiateScan(attributes, m_retrieveAttribute.m_jobId, true);
}

int Plugin::OnScanCompleted() {
    std::shared_ptr<ScanAPIComponent> scanAPI = m_server ? m_server->GetScanAPI() : nullptr;
    std::shared_ptr<MailBox> mailbox = scanAPI ? scanAPI->GetDefaultMailBox() : nullptr;
    if (!mailbox) {
        return 0;
    }
    return mailbox->SaveScanedJobToPathFromMailBox(m_targetPath, m_retrieveAttribute, true,
                                                   MailBox::SAVE_DOCUMENTS_WHOLE)
               ? 1
               : 0;
}

bool Plugin::OnDownloadCompleted() {
    return true;
}

int Plugin::InitMailBoxRetrive(std::shared_ptr<MailBox> mailbox, const VEQTypes::VEQScannedJob& job) {
    if (!mailbox) {
        return 1;
    }
    const std::vector<VEQTypes::FileFormat> formats = mailbox->GetSupportedFileFormatForJob(job.m_id);
    if (formats.empty()) {
        return 1;
    }
    ScanSaveDirChooser chooser(formats, mailbox->GetDefaultFileFormatForJob(job.m_id));
    if (!chooser.Launch(JobFileNames::SafeFileName(job.m_name))) {
        return 3;
    }
    VEQTypes::ScanRetriveAttribute attribute;
    attribute.m_format = chooser.GetFilterType();
    attribute.m_pageIndex = 0;
    attribute.m_jobId = job.m_id;
    wxBusyCursor busy;
    return mailbox->SaveScanedJobToPathFromMailBox(chooser.GetDir(), attribute, true,
                                                   MailBox::SAVE_DOCUMENTS_WHOLE)
               ? 0
               : 1;
}
