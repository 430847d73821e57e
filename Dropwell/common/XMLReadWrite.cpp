#include "XMLReadWrite.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>

#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include "Logger.h"
#include "StoreFile.h"
#include "StoreXml.h"
#include "VEQHelper.h"

using DROPWELL::stFolderMapDetails;
using DROPWELL::stServerFolderMapDetails;

namespace {

std::string FileSystemPath(const wxString& path) { return std::string(path.fn_str()); }

// Leading digits with an optional sign; anything after them is ignored, and
// text that does not start with a number gives 0.
long ParseStatus(const wxString& text) {
    return std::strtol(text.utf8_str().data(), nullptr, 10);
}

wxString FormatStatus(long status) { return wxString::Format("%ld", status); }

// 32-bit FNV-1a of the UTF-8 text, as eight hexadecimal digits.
wxString ShortDigest(const wxString& text) {
    unsigned hash = 2166136261u;
    for (unsigned char c : std::string(text.utf8_str())) {
        hash ^= c;
        hash *= 16777619u;
    }
    return wxString::Format("%08x", hash);
}

// The file names (without folder) of the entries of folder that pass keep.
template <typename Predicate>
std::vector<std::string> EntryNames(const std::string& folder, Predicate keep) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && keep(name)) names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

XMLReadWrite::XMLReadWrite(const wxString& path) : m_path(path) {}

int XMLReadWrite::Read(std::vector<stServerFolderMapDetails>& out) {
    return ReadServerSettingsFromXML(out);
}

int XMLReadWrite::ReadServerSettingsFromXML(std::vector<stServerFolderMapDetails>& out) {
    wxXmlDocument document;
    std::string problem;
    switch (DROPWELL::LoadStoreXml(FileSystemPath(m_path), document, problem)) {
    case DROPWELL::StoreXmlResult::Missing:
        VEQLOG(Error) << "File " << m_path << " does not exist";
        return 0;
    case DROPWELL::StoreXmlResult::Unreadable:
    case DROPWELL::StoreXmlResult::Refused:
    case DROPWELL::StoreXmlResult::Malformed:
        VEQLOG(Error) << "The mapping file " << m_path << " is not read: " << problem;
        return 1;
    case DROPWELL::StoreXmlResult::Loaded:
        break;
    }
    const wxXmlNode* root = document.GetRoot();
    if (root != nullptr && root->GetName() == "Dropwell") ReadZeltoNodes(root, out);
    return 0;
}

void XMLReadWrite::ReadZeltoNodes(const wxXmlNode* root, std::vector<stServerFolderMapDetails>& out) {
    for (const wxXmlNode* node = root->GetChildren(); node; node = node->GetNext()) {
        if (node->GetType() != wxXML_ELEMENT_NODE || node->GetName() != "Zelto") continue;
        stServerFolderMapDetails server;
        server.NameIP = node->GetAttribute("NameIP");
        server.DisplayName = node->GetAttribute("DisplayName");
        server.Status = ParseStatus(node->GetAttribute("Status"));
        ReadMappedFolderDetails(node, server);
        out.push_back(server);
    }
}

void XMLReadWrite::ReadMappedFolderDetails(const wxXmlNode* serverNode, stServerFolderMapDetails& server) {
    for (const wxXmlNode* node = serverNode->GetChildren(); node; node = node->GetNext()) {
        if (node->GetType() != wxXML_ELEMENT_NODE || node->GetName() != "MappedFolder") continue;
        const wxString id = node->GetAttribute("Mailbox");
        const wxString passwordFile = node->GetAttribute("PwdFileName");
        stFolderMapDetails mapping;
        if (!passwordFile.empty()) {
            // Only a password file of the store's own folder is read, so that a
            // planted mapping cannot have another file of the user's sent as a password.
            const wxString storeFile = VEQHelper::StorePasswordFilePath(passwordFile);
            if (storeFile.empty()) {
                VEQLOG(Error) << "The password file " << passwordFile << " of mailbox " << id
                              << " is not read: not a password file";
            } else {
                VEQHelper::ReadPassword(storeFile, mapping.Password);
            }
        }
        mapping.MailboxName = node->GetAttribute("MailboxName");
        mapping.Folder = node->GetAttribute("Folder");
        mapping.Status = ParseStatus(node->GetAttribute("Status"));
        server.MappedFolders.insert(std::make_pair(id, mapping));
    }
}

int XMLReadWrite::Write(const std::vector<stServerFolderMapDetails>& in) {
    return WriteServerSettingsToXML(in);
}

XMLReadWrite::PasswordPaths XMLReadWrite::ChoosePasswordPaths(const std::vector<stServerFolderMapDetails>& in) {
    std::map<wxString, int> uses;
    for (const stServerFolderMapDetails& server : in)
        for (const auto& entry : server.MappedFolders) ++uses[VEQHelper::PasswordFileName(server.NameIP, entry.first)];

    wxString folder;
    VEQHelper::GetPasswordFilePath(folder, true);
    PasswordPaths paths;
    std::set<wxString> taken;
    for (const auto& use : uses)
        if (use.second == 1) taken.insert(use.first);
    for (size_t index = 0; index < in.size(); ++index) {
        const stServerFolderMapDetails& server = in[index];
        for (const auto& entry : server.MappedFolders) {
            wxString name = VEQHelper::PasswordFileName(server.NameIP, entry.first);
            if (uses[name] > 1) {
                // Shared by several mailboxes: each gets a suffix of its own
                // server and id, so that no mailbox reads another's password.
                const wxString stem = name.BeforeLast('.') + "_" + ShortDigest(server.NameIP + "\n" + entry.first);
                name = stem + ".dwp";
                for (int n = 2; taken.count(name); ++n) name = stem + wxString::Format("_%d.dwp", n);
                taken.insert(name);
            }
            paths[std::make_pair(index, entry.first)] = folder + "/" + name;
        }
    }
    return paths;
}

int XMLReadWrite::WriteServerSettingsToXML(const std::vector<stServerFolderMapDetails>& in) {
    RemoveSavedPasswordFiles();
    const PasswordPaths paths = ChoosePasswordPaths(in);

    wxXmlDocument document;
    document.SetVersion("1.0");
    document.SetFileEncoding("UTF-8");
    wxXmlNode* root = new wxXmlNode(wxXML_ELEMENT_NODE, "Dropwell");
    document.SetRoot(root);
    // Children are appended in order; AddChild would walk the list each time.
    wxXmlNode* lastServer = nullptr;
    for (size_t index = 0; index < in.size(); ++index) {
        const stServerFolderMapDetails& server = in[index];
        if (server.MappedFolders.empty()) continue;
        wxXmlNode* node = new wxXmlNode(wxXML_ELEMENT_NODE, "Zelto");
        if (lastServer) root->InsertChildAfter(node, lastServer); else root->AddChild(node);
        lastServer = node;
        WriteServerDetails(node, server);
        WriteServerMappedFolderDetails(node, index, server, paths);
    }

    wxMemoryOutputStream stream;
    bool ok;
    {
        wxLogNull quiet;
        ok = document.Save(stream, 2);
    }
    std::string content(static_cast<size_t>(stream.GetLength()), '\0');
    if (ok && !content.empty()) stream.CopyTo(&content[0], content.size());
    if (ok && DROPWELL::StoreXmlRefusal(content) != nullptr) {
        // Never a file that the readers would refuse.
        VEQLOG(Error) << "The mapping is too large for the mapping file " << m_path << "; the previous one is kept";
        return 1;
    }
    if (!ok || !DROPWELL::WriteStoreFile(FileSystemPath(m_path), content)) {
        VEQLOG(Error) << "The mapping file " << m_path << " could not be saved; the previous one is kept";
        return 1;
    }
    RemoveUnusedPasswordFiles(paths);
    return 0;
}

void XMLReadWrite::WriteServerDetails(wxXmlNode* node, const stServerFolderMapDetails& server) {
    node->AddAttribute("NameIP", server.NameIP);
    node->AddAttribute("DisplayName", server.DisplayName);
    node->AddAttribute("Status", FormatStatus(server.Status));
}

void XMLReadWrite::WriteServerMappedFolderDetails(wxXmlNode* node, size_t index,
                                                  const stServerFolderMapDetails& server,
                                                  const PasswordPaths& paths) {
    wxXmlNode* last = nullptr;
    for (const auto& entry : server.MappedFolders) {
        wxXmlNode* mapping = new wxXmlNode(wxXML_ELEMENT_NODE, "MappedFolder");
        if (last) node->InsertChildAfter(mapping, last); else node->AddChild(mapping);
        last = mapping;
        const wxString& passwordFile = paths.at(std::make_pair(index, entry.first));
        WriteMailBoxPassword(entry.second.Password, passwordFile);
        mapping->AddAttribute("Mailbox", entry.first);
        mapping->AddAttribute("MailboxName", entry.second.MailboxName);
        mapping->AddAttribute("PwdFileName", passwordFile);
        mapping->AddAttribute("Folder", entry.second.Folder);
        mapping->AddAttribute("Status", FormatStatus(entry.second.Status));
    }
}

void XMLReadWrite::WriteMailBoxPassword(const wxString& password, const wxString& path) {
    VEQHelper::WritePassword(password, path);
}

void XMLReadWrite::RemoveSavedPasswordFiles() {
    wxString folder;
    VEQHelper::GetPasswordFilePath(folder, false);
    const std::string path = FileSystemPath(folder);
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        VEQLOG(Error) << "password file " << folder << " does not exist or cannot access to be removed";
        return;
    }
    ::closedir(dir);
    for (const std::string& name : EntryNames(path, [](const std::string& n) { return EndsWith(n, ".dwp"); }))
        ::unlink((path + "/" + name).c_str());
}

void XMLReadWrite::RemoveUnusedPasswordFiles(const PasswordPaths& used) const {
    // A password file of a mapping that is gone would keep its secret on disk.
    // Only the store's own mapping file, beside them, tells which are in use.
    wxString folder;
    VEQHelper::GetPasswordFilePath(folder, true);
    if (m_path.BeforeLast('/') != folder) return;
    std::set<std::string> keep;
    for (const auto& entry : used) keep.insert(FileSystemPath(entry.second.AfterLast('/')));
    const std::string path = FileSystemPath(folder);
    for (const std::string& name : EntryNames(path, [&keep](const std::string& n) {
             return n.compare(0, 4, "VEQ_") == 0 && EndsWith(n, ".dwp") && !keep.count(n);
         }))
        ::unlink((path + "/" + name).c_str());
}
