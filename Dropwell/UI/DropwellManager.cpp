#include "DropwellManager.h"

#include <algorithm>

#include "Logger.h"
#include "SynchronizedReadWrite.h"

using DROPWELL::stFolderMapDetails;
using DROPWELL::stServerFolderMapDetails;

DropwellManager* DropwellManager::GetInstance() {
    static DropwellManager instance;
    return &instance;
}

void DropwellManager::ReloadForTesting() { GetInstance()->Load(); }

DropwellManager::DropwellManager() { Load(); }

void DropwellManager::Load() {
    std::vector<stServerFolderMapDetails> mappings;
    SynchronizedReadWrite::GetInstance()->Read(mappings);
    m_mappings.swap(mappings);
}

std::vector<stServerFolderMapDetails>::iterator DropwellManager::FindServer(const wxString& nameIP) {
    return std::find_if(m_mappings.begin(), m_mappings.end(),
                        [&nameIP](const stServerFolderMapDetails& server) { return server.NameIP == nameIP; });
}

int DropwellManager::DoDropwell(const stMailBoxInfo& mailbox, wxString folder,
                                const DROPWELL::stFolderMapStatus& status) {
    const std::vector<stServerFolderMapDetails> before = m_mappings;
    auto server = FindServer(mailbox.NameIP);
    if (status.mapped == 1) {
        stFolderMapDetails mapping;
        mapping.MailboxName = mailbox.MailboxName;
        mapping.Password = mailbox.Password;
        mapping.Folder = folder;
        mapping.Status = status.mailboxStatus;
        if (server != m_mappings.end()) {
            server->MappedFolders[mailbox.MailboxId] = mapping;
        } else {
            stServerFolderMapDetails record;
            record.NameIP = mailbox.NameIP;
            record.DisplayName = mailbox.DisplayName;
            record.Status = status.serverStatus;
            record.MappedFolders[mailbox.MailboxId] = mapping;
            m_mappings.push_back(record);
        }
    } else if (server != m_mappings.end()) {
        server->MappedFolders.erase(mailbox.MailboxId);
        if (server->MappedFolders.empty()) m_mappings.erase(server);
    }
    const int result = SynchronizedReadWrite::GetInstance()->Write(m_mappings);
    // What this process holds stays what the file holds.
    if (result != 0) m_mappings = before;
    return result;
}

void DropwellManager::GetDropwellInfo(const stMailBoxInfo& mailbox, wxString& folder,
                                      DROPWELL::stFolderMapStatus& status) {
    status.mapped = 0;
    auto server = FindServer(mailbox.NameIP);
    if (server == m_mappings.end()) return;
    auto mapping = server->MappedFolders.find(mailbox.MailboxId);
    if (mapping == server->MappedFolders.end()) return;
    status.mapped = 1;
    folder = mapping->second.Folder;
    status.mailboxStatus = static_cast<int32_t>(mapping->second.Status);
    status.serverStatus = static_cast<int32_t>(server->Status);
    if (server->Status == 1 && mailbox.Password != mapping->second.Password) {
        VEQLOG(Error) << server->NameIP << " Mail box not accessible due to password mismatch";
        status.serverStatus = 4;
    }
}

bool DropwellManager::IsFolderMapped(const wxString& folder) {
    for (const stServerFolderMapDetails& server : m_mappings)
        for (const auto& entry : server.MappedFolders)
            if (entry.second.Folder == folder) return true;
    return false;
}
