#include "JobFileNames.h"

#include <wx/filename.h>

wxString JobFileNames::PageFilePath(const wxString& path, int page) {
    wxString folder;
    wxString baseName;
    wxString extension;
    wxFileName::SplitPath(path, &folder, &baseName, &extension);
    return folder + wxFileName::GetPathSeparator() + baseName + wxString::Format("%d", page) +
           "." + extension;
}

wxString JobFileNames::SafeFileName(const wxString& name) {
    wxString safe = name;
    safe.Replace("/", "_");
    while (safe.Replace("..", "_") > 0) {
    }
    if (safe == ".") {
        safe = "_";
    }
    return safe;
}
