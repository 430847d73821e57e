// The mapped folders that the tray agent lists: one entry per distinct folder
// of the mapping file, read with the agent's own small parser (the agent never
// writes the file).
#pragma once

#include <vector>

#include <wx/string.h>

class wxXmlNode;

struct stMappedFoldersDetail {
    wxString ServerDisplayName;
    wxString MailboxName;
    wxString Folder;
    long MailboxStatus = 0;
    long ServerStatus = 0;
};

// Appends the mappings under root (the "Dropwell" element): for each "Zelto"
// child its "MappedFolder" children, in file order. A folder already in list
// (compared case-sensitively) is not added again, nor is an empty one.
void ReadFolderMapDetailsFromXML(const wxXmlNode* root, std::vector<stMappedFoldersDetail>& list);

// Replaces list with the mappings of the file at path. A missing, unreadable
// or unparsable file, one refused as hostile (too large, nested too deeply;
// logged), one whose root is not "Dropwell", or a path that is not a regular
// file (a link is never followed) gives an empty list.
void LoadMappedFolders(const wxString& path, std::vector<stMappedFoldersDetail>& list);

// The menu title of a folder: its last path component without the extension,
// or the whole path when that is empty ("/x/Scans.2024" gives "Scans").
wxString MappedFolderTitle(const wxString& folder);
