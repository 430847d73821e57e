#include "DropwellDialog.h"

#include <wx/accel.h>
#include <wx/button.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include "DropwellManager.h"
#include "MailboxToFolderPanel.h"
#include "MappingPreferences.h"
#include "StoreFile.h"
#include "Theme.h"
#include "VEQHelper.h"
#include "VEQNSUtils.h"
#include "VeqRoot.h"

namespace {

constexpr int kServerMapped = 1;
constexpr int kServerPasswordMismatch = 4;
constexpr int kHelpAbout = 4003;
constexpr int kHelpShortcut = 4004;
constexpr int kHelpMenu = 4005;
const char* const kSignalFileName = "VEQFMWATCH_100804659.txt";
const char* const kGenericFolderIcon = "/System/Library/CoreServices/CoreTypes.bundle/Contents/Resources/GenericFolderIcon.icns";

void GiveGenericIcon(const wxString& folder) {
    VEQNSUtils::FolderSetIcon(folder, wxString::FromUTF8(veqplatform::UnderRoot(kGenericFolderIcon)));
}

}  // namespace

wxBEGIN_EVENT_TABLE(DropwellDialog, wxDialog)
    EVT_BUTTON(wxID_OK, DropwellDialog::OnOk)
    EVT_BUTTON(wxID_CANCEL, DropwellDialog::OnCancel)
    EVT_INIT_DIALOG(DropwellDialog::OnInitDialog)
    EVT_MENU_RANGE(kHelpAbout, kHelpMenu, DropwellDialog::OnMenuHelpAbout)
wxEND_EVENT_TABLE()

DropwellDialog::DropwellDialog(DropwellManager* manager, const stMailBoxInfo& mailbox, const wxString& text,
                               wxWindow* parent, int id, const wxString& title)
    : wxDialog(parent, id, title, wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "VEQ_Dropwell_Dialog"),
      m_manager(manager),
      m_mailbox(mailbox),
      m_text(text) {
    SetSize(450, RoomForPrivacyWarning() ? 450 : 390);
    SetBackgroundColour(Theme::Get()->m_background);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_panel = new MailboxToFolderPanel(this, wxID_ANY);
    sizer->Add(m_panel, 1, wxEXPAND);
    auto* buttonPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE);
    auto* buttons = new wxStdDialogButtonSizer();
    buttons->AddStretchSpacer(1);
    buttons->Add(new wxButton(buttonPanel, wxID_OK, _("OK")), 0, wxALIGN_CENTER_VERTICAL | wxALL, 8);
    buttons->Add(new wxButton(buttonPanel, wxID_CANCEL, _("Cancel")), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 8);
    buttons->AddSpacer(12);
    buttonPanel->SetSizer(buttons);
    sizer->Add(buttonPanel, 0, wxEXPAND | wxALL, 8);
    SetSizer(sizer);
    Layout();
    Centre(wxBOTH);

    m_manager->GetDropwellInfo(m_mailbox, m_folder, m_status);
    if (m_status.serverStatus == kServerPasswordMismatch) {
        // Stores the mapping again with the password the caller knows now.
        m_status.serverStatus = kServerMapped;
        m_manager->DoDropwell(m_mailbox, m_folder, m_status);
    }
    m_panel->InitializePanel(m_mailbox.MailboxName, m_folder, m_status);
}

wxString DropwellDialog::SignalFilePath() {
    wxString folder;
    VEQHelper::GetPasswordFilePath(folder, true);
    return folder + wxFileName::GetPathSeparator() + kSignalFileName;
}

void DropwellDialog::RecreateSignalFile() {
    // The folder is shared: a link planted under the signal's name is replaced, never written through.
    DROPWELL::RecreateEmptyStoreFile(std::string(SignalFilePath().fn_str()));
}

void DropwellDialog::SetFolderIcons(const wxString& previousFolder) {
    if (m_status.mapped == 1) {
        VEQHelper::ChangeFolderIcon(m_folder, false);
    } else if (!m_manager->IsFolderMapped(m_folder)) {
        GiveGenericIcon(m_folder);
    }
    // A folder the mapping moved away from loses its icon unless another mapping still uses it.
    if (!previousFolder.empty() && previousFolder.CmpNoCase(m_folder) != 0 && wxDirExists(previousFolder) &&
        !m_manager->IsFolderMapped(previousFolder)) {
        GiveGenericIcon(previousFolder);
    }
}

void DropwellDialog::OnOk(wxCommandEvent&) {
    const wxString previousFolder = m_folder;
    m_panel->GetFolderMapDetails(m_folder, m_status);
    if (!m_folder.empty()) {
        m_status.serverStatus = kServerMapped;
        m_manager->DoDropwell(m_mailbox, m_folder, m_status);
        RecreateSignalFile();
        SetFolderIcons(previousFolder);
    }
    EndModal(m_status.mapped);
}

void DropwellDialog::OnCancel(wxCommandEvent&) {
    EndModal(m_status.mapped);
}

void DropwellDialog::OnInitDialog(wxInitDialogEvent& event) {
    wxAcceleratorEntry help(wxACCEL_CMD | wxACCEL_SHIFT, '/', kHelpShortcut);
    SetAcceleratorTable(wxAcceleratorTable(1, &help));
    event.Skip();
}

void DropwellDialog::OnMenuHelpAbout(wxCommandEvent&) {
    // Help commands do nothing inside the mapping dialog.
}
