#include "MappedFolders.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <wx/filename.h>
#include <wx/xml/xml.h>

#include "Logger.h"
#include "StoreXml.h"

namespace {

// A base-10 number from its leading digits (with an optional sign); 0 without any.
long LeadingNumber(const wxString& text) {
    return std::strtol(text.utf8_str().data(), nullptr, 10);
}

}  // namespace

void ReadFolderMapDetailsFromXML(const wxXmlNode* root, std::vector<stMappedFoldersDetail>& list) {
    for (const wxXmlNode* server = root->GetChildren(); server; server = server->GetNext()) {
        if (server->GetType() != wxXML_ELEMENT_NODE || server->GetName() != "Zelto") {
            continue;
        }
        stMappedFoldersDetail detail;
        detail.ServerDisplayName = server->GetAttribute("DisplayName");
        detail.ServerStatus = LeadingNumber(server->GetAttribute("Status"));
        for (const wxXmlNode* mapping = server->GetChildren(); mapping; mapping = mapping->GetNext()) {
            if (mapping->GetType() != wxXML_ELEMENT_NODE || mapping->GetName() != "MappedFolder") {
                continue;
            }
            detail.MailboxName = mapping->GetAttribute("MailboxName");
            detail.Folder = mapping->GetAttribute("Folder");
            detail.MailboxStatus = LeadingNumber(mapping->GetAttribute("Status"));
            const bool known = std::any_of(list.begin(), list.end(), [&](const stMappedFoldersDetail& entry) {
                return entry.Folder == detail.Folder;
            });
            if (!known && !detail.Folder.empty()) {
                list.push_back(detail);
            }
        }
    }
}

void LoadMappedFolders(const wxString& path, std::vector<stMappedFoldersDetail>& list) {
    list.clear();
    wxXmlDocument document;
    std::string problem;
    const DROPWELL::StoreXmlResult result = DROPWELL::LoadStoreXml(std::string(path.fn_str()), document, problem);
    if (result == DROPWELL::StoreXmlResult::Refused) {
        VEQLOG(Warning) << "The mapping file " << path << " is not read: " << problem;
    }
    if (result != DROPWELL::StoreXmlResult::Loaded || !document.GetRoot() ||
        document.GetRoot()->GetName() != "Dropwell") {
        return;
    }
    ReadFolderMapDetailsFromXML(document.GetRoot(), list);
}

wxString MappedFolderTitle(const wxString& folder) {
    const wxString name = wxFileName(folder).GetName();
    return name.empty() ? folder : name;
}
