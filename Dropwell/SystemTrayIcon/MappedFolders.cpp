#include "MappedFolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

namespace {

// Far above any real mapping file; a larger file is not a mapping file.
const off_t kMaxMappingFileSize = 16 * 1024 * 1024;

// A base-10 number from its leading digits (with an optional sign); 0 without any.
long LeadingNumber(const wxString& text) {
    return std::strtol(text.utf8_str().data(), nullptr, 10);
}

bool ReadRegularFile(const wxString& path, std::vector<char>& content) {
    const int fd = open(path.utf8_str().data(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxMappingFileSize;
    if (ok) {
        content.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (ok && done < content.size()) {
            const ssize_t got = read(fd, content.data() + done, content.size() - done);
            ok = got > 0;
            done += ok ? static_cast<size_t>(got) : 0;
        }
    }
    close(fd);
    return ok;
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
    std::vector<char> content;
    if (!ReadRegularFile(path, content)) {
        return;
    }
    wxLogNull quiet;  // a broken file only means no folders to list
    wxMemoryInputStream stream(content.data(), content.size());
    wxXmlDocument document;
    if (!document.Load(stream, "UTF-8") || !document.GetRoot() || document.GetRoot()->GetName() != "Dropwell") {
        return;
    }
    ReadFolderMapDetailsFromXML(document.GetRoot(), list);
}

wxString MappedFolderTitle(const wxString& folder) {
    const wxString name = wxFileName(folder).GetName();
    return name.empty() ? folder : name;
}
