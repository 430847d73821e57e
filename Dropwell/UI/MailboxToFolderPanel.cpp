#include "MailboxToFolderPanel.h"

#include <wx/button.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/settings.h>

#include "AlertPanel.h"
#include "DropwellImages.h"
#include "FolderChooser.h"
#include "KitBitmaps.h"
#include "KitFonts.h"
#include "MappingPreferences.h"
#include "Theme.h"
#include "VEQHelper.h"
#include "VEQServicesUtil.h"

namespace {

constexpr int kServerUnreachable = 3;
constexpr int kFolderWritable = 1;
constexpr int kFolderNotAccessible = 2;
constexpr int kNoFolder = 0;

wxBitmap IconBitmap(MailboxToFolderPanel::StatusIcon icon) {
    using Icon = MailboxToFolderPanel::StatusIcon;
    switch (icon) {
    case Icon::Ok: return VEQ::CUGetBitmapFromMemory(veqora_foldersync_ok_png, veqora_foldersync_ok_png_length);
    case Icon::FolderProblem:
        return VEQ::CUGetBitmapFromMemory(veqora_foldersync_problem_folder_png,
                                          veqora_foldersync_problem_folder_png_length);
    case Icon::ScannerProblem:
        return VEQ::CUGetBitmapFromMemory(veqora_foldersync_problem_scanner_png,
                                          veqora_foldersync_problem_scanner_png_length);
    case Icon::CannotLink: break;
    }
    return VEQ::CUGetBitmapFromMemory(veqora_foldersync_cannotlink_png, veqora_foldersync_cannotlink_png_length);
}

}  // namespace

wxBEGIN_EVENT_TABLE(MailboxToFolderPanel, wxPanel)
    EVT_CHECKBOX(MailboxToFolderPanel::ID_ENABLE_MAPPING, MailboxToFolderPanel::OnCheckFolderMap)
    EVT_BUTTON(MailboxToFolderPanel::ID_BROWSE, MailboxToFolderPanel::OnSearchFolderLocation)
wxEND_EVENT_TABLE()

MailboxToFolderPanel::MailboxToFolderPanel(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size)
    : wxPanel(parent, id, pos, size, wxTAB_TRAVERSAL | wxBORDER_NONE) {
    SetBackgroundColour(Theme::Get()->m_background);
    auto* content = new wxBoxSizer(wxVERTICAL);

    auto* title = new wxStaticText(this, wxID_ANY, _("Map mailbox to folder"));
    wxFont titleFont = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    titleFont.SetSymbolicSize(wxFONTSIZE_LARGE);
    title->SetFont(titleFont);
    title->SetForegroundColour(wxColour(0, 33, 99));
    content->Add(title, 0, wxTOP | wxBOTTOM, 0);
    content->AddSpacer(12);

    wxString explanation =
        _("Veqora can map your mailbox to a folder on your computer or to a network shared folder.");
    content->Add(new wxStaticText(this, wxID_ANY, VEQHelper::WrapString(explanation, this, 370)), 0);
    content->AddSpacer(12);

    m_enableCheckBox = new wxCheckBox(this, ID_ENABLE_MAPPING, " " + _("Enable mailbox to folder mapping"));
    m_enableCheckBox->SetValue(false);
    content->Add(m_enableCheckBox, 0);
    content->AddSpacer(18);

    m_folderRowSizer = new wxBoxSizer(wxHORIZONTAL);
    m_statusBitmap = new wxStaticBitmap(this, wxID_ANY, IconBitmap(StatusIcon::CannotLink));
    m_folderRowSizer->Add(m_statusBitmap, 0, wxALIGN_CENTER_VERTICAL);
    auto* column = new wxBoxSizer(wxVERTICAL);
    m_mailboxNameText = new wxStaticText(this, wxID_ANY, "ANOTHERMAILBOX");
    m_mailboxNameText->SetFont(VEQ::QMVFont_TitleBold);
    column->Add(m_mailboxNameText, 0, wxTOP, 5);
    column->AddSpacer(15);
    auto* pathLine = new wxBoxSizer(wxHORIZONTAL);
    m_folderPathText = new wxTextCtrl(this, ID_FOLDER_PATH, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                      wxTE_READONLY);
    m_folderPathText->SetBackgroundColour(Theme::Get()->m_background);
    pathLine->Add(m_folderPathText, 1, wxALIGN_CENTER_VERTICAL);
    pathLine->Add(new wxButton(this, ID_BROWSE, _("Browse...")), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 5);
    column->Add(pathLine, 0, wxEXPAND);
    m_folderRowSizer->Add(column, 1, wxALIGN_CENTER_VERTICAL | wxLEFT, 5);
    content->Add(m_folderRowSizer, 0, wxEXPAND | wxLEFT, 24);

    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(content, 0, wxEXPAND | wxALL, 24);
    outer->AddStretchSpacer(1);
    m_alertPanel = new AlertPanel(this, RoomForPrivacyWarning() ? wxSize(-1, 90) : wxDefaultSize);
    outer->Add(m_alertPanel, 0, wxEXPAND);
    SetSizer(outer);

    m_showAlert = false;
    outer->Show(m_folderRowSizer, m_enableCheckBox->GetValue(), true);
    m_alertPanel->Hide();
}

void MailboxToFolderPanel::InitializePanel(const wxString& mailboxName, const wxString& folder,
                                           const DROPWELL::stFolderMapStatus& status) {
    m_folder = folder;
    m_serverStatus = status.serverStatus;
    m_mapped = status.mapped;
    m_mailboxStatus = status.mailboxStatus;
    m_mailboxNameText->SetLabelText(mailboxName);
    UpdateControls();
    EnableOKButton(false);
    m_initialFolder = m_folderPathText->GetValue();
    m_initialFolder.Trim(true).Trim(false);
}

void MailboxToFolderPanel::GetFolderMapDetails(wxString& folder, DROPWELL::stFolderMapStatus& status) const {
    if (m_folder.empty()) return;
    folder = m_folder;
    status.mapped = m_mapped;
    status.mailboxStatus = m_mailboxStatus;
    status.serverStatus = m_serverStatus;
}

void MailboxToFolderPanel::ShowIcon(StatusIcon icon) {
    m_statusIcon = icon;
    m_statusBitmap->SetBitmap(IconBitmap(icon));
}

void MailboxToFolderPanel::UpdateControls() {
    m_showAlert = false;
    bool showRow = false;
    if (m_mapped == 1) {
        if (m_folder.empty()) {
            m_mailboxStatus = kNoFolder;
        } else {
            m_mailboxStatus = IsDirWritable(m_folder) ? kFolderWritable : kFolderNotAccessible;
            StatusIcon icon = StatusIcon::Ok;
            wxString message;
            if (m_mailboxStatus == kFolderNotAccessible) {
                m_showAlert = true;
                message = _("Can't access destination folder.\nCheck your network connection and try again.");
                icon = StatusIcon::FolderProblem;
                EnableOKButton(false);
            }
            if (m_serverStatus == kServerUnreachable) {
                m_showAlert = true;
                message = _("Can't connect to the mailbox.\nCheck your network connection and try again.");
                icon = StatusIcon::ScannerProblem;
                EnableOKButton(false);
            }
            wxString location;
            bool showLinks = false;
            if (VEQServicesUtil::IsOSXPrivacyFolder(m_folder, location) && !m_showAlert &&
                m_mailboxStatus == kFolderWritable && ShowPrivacyFolderWarnings()) {
                m_showAlert = true;
                message = wxString::Format(_("The selected location %s will not be accessible by Veqora, until you "
                                             "grant access in System Preferences > Security & Privacy > Privacy > "
                                             "Full Disk Access."),
                                           location);
                EnableOKButton(true);
                showLinks = true;
            }
            m_folderPathText->SetValue(m_folder);
            // A long path shows its end, where the folder's own name is.
            m_folderPathText->SetInsertionPointEnd();
            ShowIcon(icon);
            m_alertPanel->EnableHyperlinks(showLinks, location);
            m_alertPanel->SetErrorMessage(message);
        }
        showRow = true;
    }
    m_enableCheckBox->SetValue(showRow);
    GetSizer()->Show(m_folderRowSizer, showRow, true);
    m_alertPanel->Show(m_showAlert);
    Layout();
}

void MailboxToFolderPanel::EnableOKButton(bool enable) {
    if (wxWindow* ok = wxWindowBase::FindWindowById(wxID_OK, GetParent())) ok->Enable(enable);
}

bool MailboxToFolderPanel::IsDirWritable(const wxString& folder) {
    wxLogNull quiet;
    const wxFileName name(folder, wxEmptyString);
    return name.IsOk() && name.IsDirWritable();
}

void MailboxToFolderPanel::OnCheckFolderMap(wxCommandEvent&) {
    m_mapped = m_enableCheckBox->GetValue() ? 1 : 0;
    EnableOKButton(!m_folderPathText->GetValue().empty());
    UpdateControls();
}

void MailboxToFolderPanel::OnSearchFolderLocation(wxCommandEvent&) {
    wxString chosen;
    if (!ChooseFolder(this, chosen)) return;
    m_folder = chosen;
    EnableOKButton(m_folder.CmpNoCase(m_initialFolder) != 0);
    UpdateControls();
}
