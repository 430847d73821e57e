#include "MappingAutorun.h"

#include <wx/app.h>
#include <wx/checkbox.h>

#include "FolderChooser.h"
#include "Logger.h"

namespace {

// The control ids of the mapping dialog.
constexpr int kEnableMapping = 4000;
constexpr int kBrowse = 4002;

void Click(wxWindow* window) {
    wxCommandEvent click(wxEVT_BUTTON, window->GetId());
    click.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(click);
}

}  // namespace

void AnswerNextMappingDialog(const wxString& folder) {
    SetFolderChooser([folder](wxWindow*, wxString& chosen) {
        chosen = folder;
        return true;
    });
    wxTheApp->CallAfter([]() {
        wxWindow* dialog = wxWindow::FindWindowByName("VEQ_Dropwell_Dialog");
        auto* box = dialog ? wxDynamicCast(wxWindow::FindWindowById(kEnableMapping, dialog), wxCheckBox) : nullptr;
        wxWindow* browse = dialog ? wxWindow::FindWindowById(kBrowse, dialog) : nullptr;
        wxWindow* ok = dialog ? wxWindow::FindWindowById(wxID_OK, dialog) : nullptr;
        if (!box || !browse || !ok) {
            VEQLOG(Error) << "Unattended run failed: no mapping dialog to answer";
            return;
        }
        if (!box->GetValue()) {
            box->SetValue(true);
            wxCommandEvent tick(wxEVT_CHECKBOX, kEnableMapping);
            tick.SetEventObject(box);
            tick.SetInt(1);
            box->GetEventHandler()->ProcessEvent(tick);
        }
        Click(browse);
        Click(ok);
        SetFolderChooser(nullptr);
    });
}
