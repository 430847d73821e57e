#include "VEQUIPlugin.h"

#include <algorithm>
#include <cstdlib>

#include <wx/dir.h>

#include "PluginServer.h"
#include "ScanAPIComponent.h"
#include "VEQPluginUtil.h"

namespace veq {

namespace {

// The page number of a name such as image12 (0 for "image" alone); false
// when the name does not start with "image".
bool PageNumberOf(const wxString& name, long& number) {
    wxString rest;
    if (!name.StartsWith(g_scanFileName, &rest)) {
        return false;
    }
    const wxScopedCharBuffer text = rest.utf8_str();
    number = std::strtol(text.data(), nullptr, 10);
    return true;
}

struct SessionFile {
    wxString m_path;
    wxString m_name;  // without extension
    bool m_numbered;
    long m_number;
};

bool PageOrder(const SessionFile& left, const SessionFile& right) {
    if (left.m_numbered && right.m_numbered && left.m_number != right.m_number) {
        return left.m_number < right.m_number;
    }
    return left.m_name.compare(right.m_name) < 0;
}

}  // namespace

VEQUIPlugin::VEQUIPlugin(types::FileFormat format)
    : m_format(format), m_sourceType(VEQScannedImageSourceNone) {
    m_retrieveAttribute.m_format = VEQTypes::PDF;
    m_retrieveAttribute.m_pageIndex = 0;
}

bool VEQUIPlugin::SetServer(const wxString& ip) {
    return SelectPluginServer(m_server, ip);
}

std::shared_ptr<Server> VEQUIPlugin::GetServer() {
    return m_server;
}

bool VEQUIPlugin::IsDriverMode() {
    return true;
}

bool VEQUIPlugin::IsPluginMode() {
    return true;
}

int VEQUIPlugin::InitScan(const VEQTypes::ScanInitiateAttributes& attributes) {
    m_sourceType = VEQScannedImageSourceScan;
    m_retrieveAttribute.m_format = PluginToVEQFormat(m_format);
    m_retrieveAttribute.m_pageIndex = 0;
    std::shared_ptr<ScanAPIComponent> scanAPI = m_server ? m_server->GetScanAPI() : nullptr;
    if (!scanAPI) {
        return 1;
    }
    return scanAPI->InitiateScan(attributes, m_retrieveAttribute.m_jobId, true);
}

int VEQUIPlugin::OnScanCompleted() {
    std::shared_ptr<ScanAPIComponent> scanAPI = m_server ? m_server->GetScanAPI() : nullptr;
    std::shared_ptr<MailBox> mailbox = scanAPI ? scanAPI->GetDefaultMailBox() : nullptr;
    if (!mailbox) {
        return 0;
    }
    m_sessionFile = VEQPluginUtil::GetNewScanSessionFilePath().first;
    return mailbox->SaveScanedJobToPathFromMailBox(m_sessionFile, m_retrieveAttribute, true,
                                                   MailBox::SAVE_PAGE_PER_FILE)
               ? 1
               : 0;
}

bool VEQUIPlugin::OnDownloadCompleted() {
    m_images.clear();
    if (!m_sessionFile.empty()) {
        ScanDirectoryForImages(wxFileName(m_sessionFile), m_images);
    }
    return true;
}

int VEQUIPlugin::InitMailBoxRetrive(std::shared_ptr<MailBox> mailbox, const VEQTypes::VEQScannedJob& job) {
    if (!mailbox) {
        return 1;
    }
    m_sourceType = VEQScannedImageSourceMailbox;
    m_retrieveAttribute.m_format = PluginToVEQFormat(m_format);
    m_retrieveAttribute.m_pageIndex = 0;
    m_retrieveAttribute.m_jobId = job.m_id;
    m_sessionFile = VEQPluginUtil::GetNewScanSessionFilePath().first;
    return mailbox->SaveScanedJobToPathFromMailBox(m_sessionFile, m_retrieveAttribute, true,
                                                   MailBox::SAVE_PAGE_PER_FILE)
               ? 0
               : 1;
}

std::vector<std::shared_ptr<VEQScannedImage>> VEQUIPlugin::GetScannedImages() {
    return m_images;
}

VEQTypes::FileFormat VEQUIPlugin::PluginToVEQFormat(types::FileFormat format) {
    return static_cast<VEQTypes::FileFormat>(std::min(static_cast<int>(format), 2));
}

void VEQUIPlugin::ScanDirectoryForImages(const wxFileName& sessionFile,
                                         std::vector<std::shared_ptr<VEQScannedImage>>& images) {
    const wxString folder = sessionFile.GetPath(wxPATH_GET_VOLUME);
    if (folder.empty() || !wxDir::Exists(folder)) {
        return;
    }
    wxDir dir(folder);
    if (!dir.IsOpened()) {
        return;
    }
    std::vector<SessionFile> files;
    wxString name;
    for (bool found = dir.GetFirst(&name, wxEmptyString, wxDIR_FILES); found; found = dir.GetNext(&name)) {
        const wxFileName file(folder, name);
        if (!file.GetExt().IsSameAs(g_scanFileExt, false)) {
            continue;
        }
        SessionFile entry{file.GetFullPath(), file.GetName(), false, 0};
        entry.m_numbered = PageNumberOf(entry.m_name, entry.m_number);
        files.push_back(entry);
    }
    std::sort(files.begin(), files.end(), PageOrder);
    for (const SessionFile& file : files) {
        images.push_back(std::make_shared<VEQScannedImageWithFileBuffer>(m_format, m_sourceType, file.m_path));
    }
}

}  // namespace veq
