// The modal dialog that maps one mailbox to a folder: the mapping panel and
// OK / Cancel. OK saves the mapping, signals the folder-mapping service and
// gives the folders their icons; the dialog ends with the mapped flag.
#pragma once

#include <wx/dialog.h>

#include "DropwellTypes.h"

class DropwellManager;
class MailboxToFolderPanel;

class DropwellDialog : public wxDialog {
public:
    DropwellDialog(DropwellManager* manager, const stMailBoxInfo& mailbox, const wxString& text, wxWindow* parent,
                   int id, const wxString& title);

    MailboxToFolderPanel* GetPanel() const { return m_panel; }

    // The signal file whose creation makes the service reload the mapping file.
    static wxString SignalFilePath();

private:
    void OnOk(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnInitDialog(wxInitDialogEvent& event);
    void OnMenuHelpAbout(wxCommandEvent& event);

    void RecreateSignalFile();
    void SetFolderIcons(const wxString& previousFolder);

    DropwellManager* m_manager;
    stMailBoxInfo m_mailbox;
    wxString m_folder;
    DROPWELL::stFolderMapStatus m_status{};
    MailboxToFolderPanel* m_panel;
    wxString m_text;

    wxDECLARE_EVENT_TABLE();
};
