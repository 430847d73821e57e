#include "SaveFolder.h"

#include <wx/filename.h>

bool PrepareSaveFolder(const wxString& savePath, wxString& folder) {
    if (savePath.empty()) {
        return false;
    }
    wxFileName dir = wxFileName::DirName(savePath);
    dir.MakeAbsolute();
    if (!dir.DirExists() && !wxFileName::Mkdir(dir.GetFullPath(), 0777, wxPATH_MKDIR_FULL)) {
        return false;
    }
    if (!dir.IsDirWritable() || !dir.IsDirReadable()) {
        return false;
    }
    folder = dir.GetFullPath();
    return true;
}
