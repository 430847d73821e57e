// Gives every folder of the folder-mapping file the system's generic folder
// icon back and removes the desktop's metadata file ".DS_store" inside it. It
// runs with rights in folders users can write, so a path is only acted on when
// it is a real folder, nothing is followed through a symbolic link, and no file
// is ever created. Every failure is passed over silently.
#pragma once

#include <string>

#include <wx/arrstr.h>
#include <wx/string.h>

class wxXmlNode;

class VEQIconChanger {
public:
    // xmlPath: the mapping file; empty means the configuration folder's one.
    explicit VEQIconChanger(const wxString& xmlPath);

    void RemoveVEQFolderIcons();

    // The mapped folder path acted on, without trailing separators: only an
    // absolute path of a real folder (not a link to one), without "." or ".."
    // components, and not the root itself. Empty for any other path.
    static std::string FolderToRestore(const std::string& path);

private:
    wxString GetXMLFilePath();
    // The "Folder" of every "MappedFolder" of every "Zelto" under the root
    // "Dropwell", in document order, duplicates kept; none when the file is
    // missing, unreadable or has another root.
    void ReadMappedFolderPathsFromXML(wxArrayString& folders);
    void ReadZeltoNodes(wxXmlNode* root, wxArrayString& folders);
    void ReadMappedFolderDetails(wxXmlNode* server, wxArrayString& folders);
    void RemoveFolderIcon(const wxString& folder);

    wxString m_xmlPath;
};
