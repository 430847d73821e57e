// The body of the mapping dialog: a title and explanation, a check box that
// switches the mapping on, and while it is on the folder row (status icon,
// mailbox name, folder, "Browse..."), with the alert strip below. It decides
// whether the dialog's OK may be pressed and reports the result on OK.
#pragma once

#include <wx/checkbox.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "DropwellTypes.h"

class AlertPanel;

class MailboxToFolderPanel : public wxPanel {
public:
    enum { ID_ENABLE_MAPPING = 4000, ID_FOLDER_PATH = 4001, ID_BROWSE = 4002 };
    // The icon the folder row shows.
    enum class StatusIcon { CannotLink, Ok, FolderProblem, ScannerProblem };

    MailboxToFolderPanel(wxWindow* parent, int id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                         const wxSize& size = wxDefaultSize);

    // The stored mapping; OK starts disabled.
    void InitializePanel(const wxString& mailboxName, const wxString& folder, const DROPWELL::stFolderMapStatus& status);
    // The folder and statuses chosen; nothing is copied while no folder is held.
    void GetFolderMapDetails(wxString& folder, DROPWELL::stFolderMapStatus& status) const;

    // Recomputes the statuses, icon, alert and what is shown.
    void UpdateControls();
    // Enables or disables the dialog's OK button (id wxID_OK under the parent).
    void EnableOKButton(bool enable);

    // Whether files can be created in folder; logs nothing.
    static bool IsDirWritable(const wxString& folder);

    StatusIcon GetStatusIcon() const { return m_statusIcon; }
    AlertPanel* GetAlertPanel() const { return m_alertPanel; }

private:
    void OnCheckFolderMap(wxCommandEvent& event);
    void OnSearchFolderLocation(wxCommandEvent& event);
    void ShowIcon(StatusIcon icon);

    wxCheckBox* m_enableCheckBox;
    wxBoxSizer* m_folderRowSizer;
    wxTextCtrl* m_folderPathText;
    AlertPanel* m_alertPanel;
    wxStaticBitmap* m_statusBitmap;
    wxStaticText* m_mailboxNameText;
    wxString m_folder;
    wxString m_initialFolder;
    int m_mapped = 0;
    int m_mailboxStatus = 0;
    int m_serverStatus = 0;
    bool m_showAlert = false;
    StatusIcon m_statusIcon = StatusIcon::CannotLink;

    wxDECLARE_EVENT_TABLE();
};
