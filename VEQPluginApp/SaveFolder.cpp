#include "SaveFolder.h"

#include <wx/filename.h>

namespace {

bool IsUsableFolder(const wxFileName& dir) {
    return dir.DirExists() && dir.IsDirWritable() && dir.IsDirReadable();
}

}  // namespace

bool CheckSaveFolder(const wxString& savePath, wxString& folder) {
    if (savePath.empty()) {
        return false;
    }
    wxFileName dir = wxFileName::DirName(savePath);
    dir.MakeAbsolute();
    dir.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    // The folder itself, or the nearest part of its path that exists.
    wxFileName existing = dir;
    while (!existing.DirExists() && existing.GetDirCount() > 0) {
        if (wxFileName::Exists(existing.GetPath(), wxFILE_EXISTS_ANY | wxFILE_EXISTS_NO_FOLLOW)) {
            return false;  // a file, or a dangling link, in the way
        }
        existing.RemoveLastDir();
    }
    if (!IsUsableFolder(existing)) {
        return false;
    }
    folder = dir.GetFullPath();
    return true;
}

bool MakeSaveFolder(const wxString& folder) {
    const wxFileName dir = wxFileName::DirName(folder);
    if (!dir.DirExists() && !wxFileName::Mkdir(dir.GetFullPath(), 0777, wxPATH_MKDIR_FULL)) {
        return false;
    }
    return IsUsableFolder(dir);
}
