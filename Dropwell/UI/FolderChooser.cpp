#include "FolderChooser.h"

#include <wx/dirdlg.h>
#include <wx/intl.h>

namespace {

bool SystemFolderDialog(wxWindow* parent, wxString& folder) {
    wxDirDialog dialog(parent, _("Choose Folder"), wxEmptyString, wxDD_DEFAULT_STYLE);
    if (dialog.ShowModal() != wxID_OK) return false;
    folder = dialog.GetPath();
    return true;
}

FolderChooser& CurrentChooser() {
    static FolderChooser chooser = SystemFolderDialog;
    return chooser;
}

}  // namespace

void SetFolderChooser(FolderChooser chooser) {
    CurrentChooser() = chooser ? std::move(chooser) : FolderChooser(SystemFolderDialog);
}

bool ChooseFolder(wxWindow* parent, wxString& folder) {
    return CurrentChooser()(parent, folder);
}
