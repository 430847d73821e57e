// Reader and writer of one mapping file ("VEQ_Dropwell.xml"): a root
// "Dropwell" with one "Zelto" element per mapped server and one "MappedFolder"
// element per mapped mailbox. Passwords lie in password files of their own.
#pragma once

#include <map>

#include <wx/string.h>

#include "DropwellTypes.h"

class wxXmlNode;

class XMLReadWrite {
public:
    explicit XMLReadWrite(const wxString& path);

    // Appends the file's records to out and returns 0; a missing file is
    // logged and has none. A file that cannot be read, is refused as hostile
    // or does not parse is logged and returns 1: the caller keeps what it had.
    int Read(std::vector<DROPWELL::stServerFolderMapDetails>& out);

    // Replaces the file and the password files with the content of in; servers
    // without mappings are left out. Returns 0, or 1 when the mapping file could
    // not be written (the old one is then left as it was).
    int Write(const std::vector<DROPWELL::stServerFolderMapDetails>& in);

    const wxString& GetPath() const { return m_path; }

private:
    // Password file path of each mapping, keyed by server index and mailbox id.
    typedef std::map<std::pair<size_t, wxString>, wxString> PasswordPaths;

    int ReadServerSettingsFromXML(std::vector<DROPWELL::stServerFolderMapDetails>& out);
    void ReadZeltoNodes(const wxXmlNode* root, std::vector<DROPWELL::stServerFolderMapDetails>& out);
    void ReadMappedFolderDetails(const wxXmlNode* server, DROPWELL::stServerFolderMapDetails& record);
    int WriteServerSettingsToXML(const std::vector<DROPWELL::stServerFolderMapDetails>& in);
    void WriteServerDetails(wxXmlNode* node, const DROPWELL::stServerFolderMapDetails& server);
    void WriteServerMappedFolderDetails(wxXmlNode* node, size_t index,
                                        const DROPWELL::stServerFolderMapDetails& server,
                                        const PasswordPaths& paths);
    void WriteMailBoxPassword(const wxString& password, const wxString& path);
    static PasswordPaths ChoosePasswordPaths(const std::vector<DROPWELL::stServerFolderMapDetails>& in);
    static void RemoveSavedPasswordFiles();
    void RemoveUnusedPasswordFiles(const PasswordPaths& used) const;

    wxString m_path;
};
