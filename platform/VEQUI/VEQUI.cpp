#include "VEQUI.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "DropwellTypes.h"
#include "DropwellUIEntryPoints.h"
#include "Logger.h"
#include "MailboxPage.h"
#include "MappingAutorun.h"
#include "ScanPage.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"
#include "VEQUIUtil.h"

namespace {

std::pair<bool, VEQTypes::FileFormat> ForcedFormatOf(const std::shared_ptr<VEQUILaunchContext>& context) {
    auto zelto = std::dynamic_pointer_cast<ZeltoVEQUILaunchContext>(context);
    return zelto ? zelto->GetFormat() : std::make_pair(false, VEQTypes::PDF);
}

wxString ServerChoiceLabel(const wxString& address, const wxString& name) {
    return name.empty() ? address : wxString::Format("%s (%s)", name, address);
}

// The folder the application's save chooser used last (where a job just went).
wxString LastSaveFolder() {
    std::shared_ptr<VEQConfig> config = VEQDataSource::Get().GetConfig();
    return config ? config->GetLastSaveJobPath() : wxString();
}

}  // namespace

VEQUI::VEQUI(wxWindow* parent, std::shared_ptr<IPlugin> plugin,
             std::shared_ptr<VEQUILaunchContext> context)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "VEQUI"),
      m_plugin(std::move(plugin)),
      m_context(std::move(context)) {
    m_controller = std::make_unique<VEQUIController>(
        m_plugin, this, static_cast<VEQUIController::Listener&>(*this), ForcedFormatOf(m_context));
    BuildControls();
    m_autorun = AutorunRequest::FromEnvironment();
    m_autorunPending = m_autorun.m_kind != AutorunRequest::NONE;
    if (m_controller->IsPluginMode()) {
        m_closeBoundTo = wxGetTopLevelParent(this);
        if (m_closeBoundTo) {
            m_closeBoundTo->Bind(wxEVT_CLOSE_WINDOW, &VEQUI::OnTopLevelClose, this);
        }
    }
    CallAfter(&VEQUI::StartUp);
}

VEQUI::~VEQUI() {
    if (m_closeBoundTo) {
        m_closeBoundTo->Unbind(wxEVT_CLOSE_WINDOW, &VEQUI::OnTopLevelClose, this);
    }
    // The controller goes first and with it the links to the server; work it
    // had posted and not yet run goes next; the plug-in (which owns the server) last.
    m_controller.reset();
    DeletePendingEvents();
    m_plugin.reset();
}

void VEQUI::BuildControls() {
    m_serverCombo = new wxComboBox(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0,
                                   nullptr, wxTE_PROCESS_ENTER, wxDefaultValidator, "ServerAddress");
    // As narrow as their labels, so that the field keeps room for a controller's name.
    m_findButton = new wxButton(this, wxID_ANY, _("Find"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT,
                                wxDefaultValidator, "FindServers");
    m_connectButton = new wxButton(this, wxID_ANY, _("Connect"), wxDefaultPosition, wxDefaultSize,
                                   wxBU_EXACTFIT, wxDefaultValidator, "ConnectServer");
    const int padding = 2 * FromDIP(12);
    m_findButton->SetMinSize(wxSize(m_findButton->GetTextExtent(_("Find")).GetWidth() + padding, -1));
    m_connectButton->SetMinSize(wxSize(std::max(m_connectButton->GetTextExtent(_("Connect")).GetWidth(),
                                                m_connectButton->GetTextExtent(_("Disconnect")).GetWidth()) +
                                           padding,
                                       -1));
    m_connectionText = new wxStaticText(this, wxID_ANY, _("Not connected"), wxDefaultPosition,
                                        wxDefaultSize, wxST_ELLIPSIZE_END, "ConnectionStatus");
    m_notebook = new wxNotebook(this, wxID_ANY);
    m_mailboxPage = new MailboxPage(m_notebook);
    m_scanPage = new ScanPage(m_notebook);
    if (m_controller->IsPluginMode()) {
        m_notebook->AddPage(m_scanPage, _("Scan"), true);
        m_notebook->AddPage(m_mailboxPage, _("Mailbox"));
    } else {
        m_notebook->AddPage(m_mailboxPage, _("Mailbox"), true);
        m_notebook->AddPage(m_scanPage, _("Scan"));
    }
    m_gauge = new wxGauge(this, wxID_ANY, 100, wxDefaultPosition, wxSize(-1, 12));
    // Not wxID_CANCEL: a dialog turns its close box into a click on that
    // button, which would cancel what runs and leave the dialog open.
    m_cancelButton = new wxButton(this, wxID_ANY, _("Cancel"), wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, "CancelOperation");
    m_progressText = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                      wxST_ELLIPSIZE_END | wxST_NO_AUTORESIZE, "ProgressText");
    // Its best width is the whole text's: without a small minimum and with resizing to the
    // label, a long message (a mapped folder's path) runs past the window instead of being cut.
    m_progressText->SetMinSize(wxSize(1, -1));

    auto* serverRow = new wxBoxSizer(wxHORIZONTAL);
    serverRow->Add(new wxStaticText(this, wxID_ANY, _("Controller:")), 0,
                   wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    serverRow->Add(m_serverCombo, 1, wxALIGN_CENTER_VERTICAL);
    serverRow->Add(m_findButton, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
    serverRow->Add(m_connectButton, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
    auto* progressRow = new wxBoxSizer(wxHORIZONTAL);
    progressRow->Add(m_gauge, 1, wxALIGN_CENTER_VERTICAL);
    progressRow->Add(m_cancelButton, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 8);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(serverRow, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    sizer->Add(m_connectionText, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    sizer->Add(m_notebook, 1, wxEXPAND | wxALL, 12);
    sizer->Add(progressRow, 0, wxEXPAND | wxLEFT | wxRIGHT, 12);
    sizer->Add(m_progressText, 0, wxEXPAND | wxALL, 12);
    if (!m_controller->IsPluginMode()) {
        auto* about = new wxButton(this, wxID_ABOUT, _("About"), wxDefaultPosition, wxDefaultSize,
                                   wxBU_EXACTFIT, wxDefaultValidator, "About");
        about->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ShowVEQAboutScreen(wxGetTopLevelParent(this)); });
        sizer->Add(about, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 12);
    }
    SetSizer(sizer);

    m_connectButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnConnectButton(); });
    m_serverCombo->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { OnConnectButton(); });
    m_findButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        m_findButton->Disable();
        m_foundAddresses.clear();
        SetProgressText(_("Looking for controllers..."));
        m_controller->DiscoverServers();
    });
    m_cancelButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { m_controller->Cancel(); });
    m_notebook->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, [this](wxBookCtrlEvent& event) {
        ShowMessage();
        event.Skip();
    });
    m_mailboxPage->m_onOpen = [this]() { OnOpenMailbox(); };
    m_mailboxPage->m_onRetrieve = [this]() { OnRetrieve(); };
    m_mailboxPage->m_onDelete = [this]() { OnDelete(); };
    m_mailboxPage->m_onRefresh = [this]() { m_controller->RefreshMailbox(); };
    if (!m_controller->IsPluginMode()) {
        m_mailboxPage->m_onMapToFolder = [this]() { OnMapToFolder(); };
        m_mailboxPage->ShowMapButton();
    }
    m_scanPage->m_onScan = [this]() { OnScan(); };
    UpdateControls();
}

void VEQUI::StartUp() {
    std::shared_ptr<VEQConfig> config = VEQDataSource::Get().GetConfig();
    wxString server = AutorunRequest::ServerFromEnvironment();
    if (config) {
        for (const VEQConfig::VEQConfigServerEntry& entry : config->GetRecentServers()) {
            AddServerChoice(entry.m_ip, entry.m_name);
        }
        if (server.empty()) {
            server = config->GetCurrentServer().m_ip;
        }
    }
    if (!server.empty()) {
        ShowServerChoice(server);
        m_controller->Connect(server);
    } else if (m_autorunPending) {
        FailAutorun(_("No controller to connect to."));
    } else {
        // Nothing chosen yet: offer the controllers that answer.
        m_findButton->Disable();
        m_foundAddresses.clear();
        SetProgressText(_("Looking for controllers..."));
        m_controller->DiscoverServers();
    }
}

void VEQUI::AddServerChoice(const wxString& address, const wxString& name) {
    if (address.empty()) {
        return;
    }
    const wxString label = ServerChoiceLabel(address, name);
    for (unsigned i = 0; i < m_serverCombo->GetCount(); ++i) {
        auto* data = static_cast<wxStringClientData*>(m_serverCombo->GetClientObject(i));
        if (data && data->GetData() == address) {
            if (!name.empty() && m_serverCombo->GetString(i) != label) {
                const bool shown = m_serverCombo->GetValue() == m_serverCombo->GetString(i);
                m_serverCombo->SetString(i, label);
                if (shown) {
                    ShowServerChoice(label);
                }
            }
            return;
        }
    }
    m_serverCombo->Append(label, new wxStringClientData(address));
}

void VEQUI::ShowServerChoice(const wxString& text) {
    m_serverCombo->SetValue(text);
    // From its start: a text wider than the field would otherwise show its end.
    m_serverCombo->SetInsertionPoint(0);
}

wxString VEQUI::ChosenAddress() const {
    const wxString value = m_serverCombo->GetValue().Strip(wxString::both);
    for (unsigned i = 0; i < m_serverCombo->GetCount(); ++i) {
        auto* data = static_cast<wxStringClientData*>(m_serverCombo->GetClientObject(i));
        if (data && m_serverCombo->GetString(i) == value) {
            return data->GetData();
        }
    }
    return value;
}

void VEQUI::SetProgressText(const wxString& text, MessagePage page) {
    m_message = text;
    m_messagePage = page;
    m_messageIsJobCount = false;
    ShowMessage();
}

void VEQUI::ShowMessage() {
    const MessagePage current =
        m_notebook->GetCurrentPage() == m_mailboxPage ? MessagePage::MAILBOX : MessagePage::SCAN;
    const bool shown = m_messagePage == MessagePage::ALL || m_messagePage == current;
    const wxString text = shown ? m_message : wxString();
    m_progressText->SetLabel(text);
    m_progressText->SetToolTip(text);
    if (!shown) {
        m_gauge->SetValue(0);
    } else if (m_gaugeValue < 0) {
        m_gauge->Pulse();
    } else {
        m_gauge->SetValue(m_gaugeValue > 100 ? 100 : m_gaugeValue);
    }
}

void VEQUI::ShowJobCount() {
    SetProgressText(wxString::Format(_("%u job(s) in the mailbox."),
                                     static_cast<unsigned>(m_mailboxPage->GetJobCount())),
                    MessagePage::MAILBOX);
    m_messageIsJobCount = true;
}

void VEQUI::UpdateControls() {
    const VEQUIController::Activity activity = m_controller->GetActivity();
    const bool idle = activity == VEQUIController::Activity::NONE;
    const bool connected = m_controller->IsConnected();
    m_serverCombo->Enable(idle && !connected);
    m_connectButton->Enable(idle || connected);
    m_connectButton->SetLabel(connected ? _("Disconnect") : _("Connect"));
    m_cancelButton->Enable(!idle);
    m_scanPage->EnableScan(idle && connected && m_scanAllowed);
    m_mailboxPage->UpdateControls(connected, m_controller->HasMailbox(), idle);
    Layout();
}

void VEQUI::EndDialog(int code) {
    if (!m_controller->IsPluginMode()) {
        return;
    }
    auto* dialog = wxDynamicCast(wxGetTopLevelParent(this), wxDialog);
    if (dialog && dialog->IsModal()) {
        dialog->EndModal(code);
    }
}

void VEQUI::FailAutorun(const wxString& reason) {
    if (!m_autorunPending) {
        return;
    }
    m_autorunPending = false;
    VEQLOG(Error) << "Unattended run failed: " << reason;
    SetProgressText(reason);
    EndDialog(wxID_ABORT);
}

// ---- User actions -------------------------------------------------------------

void VEQUI::OnConnectButton() {
    if (m_controller->IsConnected()) {
        m_controller->Disconnect();
        return;
    }
    const wxString address = ChosenAddress();
    if (address.empty()) {
        SetProgressText(_("Type or choose the address of a controller."));
        return;
    }
    m_controller->Connect(address);
}

void VEQUI::OnOpenMailbox() {
    m_controller->OpenMailbox(m_mailboxPage->GetMailboxName(), m_mailboxPage->GetMailboxPassword());
}

void VEQUI::OnRetrieve() {
    const VEQTypes::VEQScannedJob* job = m_mailboxPage->GetSelectedJob();
    if (!job) {
        SetProgressText(_("Choose a job to retrieve."));
        return;
    }
    const VEQTypes::VEQScannedJob chosen = *job;
    m_controller->StartRetrieve(chosen);
}

void VEQUI::OnDelete() {
    const VEQTypes::VEQScannedJob* job = m_mailboxPage->GetSelectedJob();
    if (!job) {
        SetProgressText(_("Choose a job to delete."));
        return;
    }
    const int jobId = job->m_id;
    wxMessageDialog confirm(this, wxString::Format(_("Delete the job \"%s\" from the mailbox?"), job->m_name),
                            VEQUIUtil::GetAppName(), wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
    if (confirm.ShowModal() == wxID_YES) {
        m_controller->DeleteJob(jobId);
    }
}

void VEQUI::OnScan() {
    m_controller->StartScan(MakeScanAttributes(m_scanPage->GetOptions(), m_scanPage->GetSelection()));
}

void VEQUI::OnMapToFolder() {
    stMailBoxInfo mailbox{m_connection.m_ip, m_connection.m_name, m_openMailboxName, m_openMailboxName,
                          m_openMailboxPassword};
    wxString text;
    const int mapped = DoDropwellUI(&mailbox, &text, wxGetTopLevelParent(this));
    wxString folder;
    GetDropwellStatus(&mailbox, &folder);
    VEQLOG(Debug) << "Mailbox " << m_openMailboxName << " mapped: " << mapped << " folder: " << folder;
    SetProgressText(mapped == 1 ? wxString::Format(_("The mailbox is mapped to %s."), folder)
                                : _("The mailbox is not mapped to a folder."));
}

void VEQUI::OnTopLevelClose(wxCloseEvent& event) {
    m_controller->Cancel();
    event.Skip();
}

// ---- Controller reports ---------------------------------------------------------

void VEQUI::OnActivityChanged(VEQUIController::Activity activity) {
    switch (activity) {
    case VEQUIController::Activity::CONNECTING:
        m_connectionText->SetLabel(wxString::Format(_("Connecting to %s..."), m_serverCombo->GetValue()));
        m_gaugeValue = -1;
        SetProgressText(wxString());
        break;
    case VEQUIController::Activity::OPENING_MAILBOX:
        m_mailboxPage->CloseMailbox(_("Opening the mailbox..."));
        m_gaugeValue = -1;
        SetProgressText(_("Opening the mailbox..."));
        break;
    case VEQUIController::Activity::REFRESHING:
        m_gaugeValue = -1;
        SetProgressText(_("Refreshing the list of jobs..."));
        break;
    case VEQUIController::Activity::DELETING_JOB:
        m_gaugeValue = -1;
        SetProgressText(_("Deleting the job..."));
        break;
    default:
        break;
    }
    UpdateControls();
}

void VEQUI::OnConnected(const VEQUIController::ConnectionDetails& details) {
    m_connectionText->SetLabel(wxString::Format(_("Connected to %s (%s)"),
                                                details.m_name.empty() ? details.m_ip : details.m_name,
                                                details.m_ip));
    m_serverLabel = details.m_label;
    m_gaugeValue = 0;
    AddServerChoice(details.m_ip, details.m_name);
    ShowServerChoice(ServerChoiceLabel(details.m_ip, details.m_name));
    m_connection = details;
    m_scanAllowed = details.m_scanSupported;
    m_scanPage->SetOptions(details.m_scanOptions);
    m_scanPage->SetNotice(m_scanAllowed ? wxString()
                                        : _("Scanning from this computer is not enabled on the controller."));
    m_mailboxPage->SetSizeColumnHidden(details.m_sizeColumnHidden);
    m_mailboxPage->CloseMailbox(_("No mailbox open."));
    SetProgressText(wxString());
    UpdateControls();

    if (!m_autorunPending) {
        return;
    }
    if (m_autorun.m_kind == AutorunRequest::SCAN) {
        if (!m_scanAllowed) {
            FailAutorun(_("Scanning from this computer is not enabled on the controller."));
            return;
        }
        m_notebook->SetSelection(static_cast<size_t>(m_notebook->FindPage(m_scanPage)));
        const ScanSettingOptions& options = m_scanPage->GetOptions();
        m_controller->StartScan(MakeScanAttributes(options, ScanSettingSelection::Defaults(options)));
    } else if (m_autorun.m_kind == AutorunRequest::MAP && m_controller->IsPluginMode()) {
        FailAutorun(_("Mailboxes are mapped to folders in the main application only."));
    } else if (m_autorun.m_kind == AutorunRequest::MAILBOX || m_autorun.m_kind == AutorunRequest::MAP) {
        m_notebook->SetSelection(static_cast<size_t>(m_notebook->FindPage(m_mailboxPage)));
        m_mailboxPage->SetCredentials(m_autorun.m_mailboxName, m_autorun.m_mailboxPassword);
        m_controller->OpenMailbox(m_autorun.m_mailboxName, m_autorun.m_mailboxPassword);
    } else {
        FailAutorun(_("VEQUI_AUTORUN is neither \"scan\", \"mailbox:<name>:<password>[:<job id>]\" nor "
                      "\"map:<name>:<password>:<folder>\"."));
    }
}

void VEQUI::OnConnectFailed(const wxString& ip) {
    const wxString text = wxString::Format(_("Connection to %s failed."), ip);
    m_connectionText->SetLabel(text);
    m_gaugeValue = 0;
    ShowMessage();
    UpdateControls();
    FailAutorun(text);
}

void VEQUI::OnServerStatusChanged(VEQTypes::ServerStatus status) {
    if (status != VEQTypes::DISCONNECTED) {
        return;
    }
    m_connectionText->SetLabel(_("Not connected"));
    m_scanAllowed = false;
    m_scanPage->Clear();
    m_mailboxPage->CloseMailbox(_("No mailbox open."));
    m_gaugeValue = 0;
    SetProgressText(wxString());
    UpdateControls();
    FailAutorun(_("Disconnected."));
}

void VEQUI::OnConnectionLost(const wxString& message) {
    m_connectionText->SetLabel(wxString::Format(_("Connection to %s lost"), m_serverLabel));
    m_scanAllowed = false;
    m_scanPage->Clear();
    m_mailboxPage->CloseMailbox(_("No mailbox open."));
    m_gaugeValue = 0;
    SetProgressText(message);
    UpdateControls();
    FailAutorun(message);
}

void VEQUI::OnMailboxOpened(const wxString& name, const std::vector<VEQTypes::VEQScannedJob>& jobs) {
    m_mailboxPage->ShowMailbox(name, jobs);
    m_openMailboxName = name;
    m_openMailboxPassword = m_mailboxPage->GetMailboxPassword();
    m_gaugeValue = 0;
    ShowJobCount();
    UpdateControls();
    if (m_autorunPending && m_autorun.m_kind == AutorunRequest::MAP) {
        m_autorunPending = false;
        AnswerNextMappingDialog(m_autorun.m_folder);
        OnMapToFolder();
        return;
    }
    if (!m_autorunPending || m_autorun.m_kind != AutorunRequest::MAILBOX) {
        return;
    }
    if (m_autorun.m_jobId == 0) {
        m_autorunPending = false;  // only the list was asked for
        return;
    }
    const VEQTypes::VEQScannedJob* job = m_mailboxPage->FindJob(m_autorun.m_jobId);
    if (!job) {
        FailAutorun(wxString::Format(_("The mailbox holds no job %d."), m_autorun.m_jobId));
        return;
    }
    m_mailboxPage->SelectJob(job->m_id);
    const VEQTypes::VEQScannedJob chosen = *job;
    m_controller->StartRetrieve(chosen);
}

void VEQUI::OnMailboxRefused(const wxString& name) {
    const wxString text =
        name.empty() ? _("The password of the default mailbox is not correct.")
                     : wxString::Format(_("The mailbox \"%s\" or its password is not correct."), name);
    m_mailboxPage->CloseMailbox(_("No mailbox open."));
    m_gaugeValue = 0;
    SetProgressText(text, MessagePage::MAILBOX);
    UpdateControls();
    FailAutorun(text);
}

void VEQUI::OnJobsChanged(const std::vector<VEQTypes::VEQScannedJob>& jobs) {
    m_mailboxPage->SetJobs(jobs);
    if (m_messageIsJobCount) {
        ShowJobCount();
    }
}

void VEQUI::OnAlert(const wxString& text) {
    if (text.empty()) {
        m_scanAllowed = m_controller->IsConnected();
        m_scanPage->SetNotice(wxString());
    } else {
        m_scanAllowed = false;
        m_scanPage->SetNotice(text);
        SetProgressText(text, MessagePage::SCAN);
    }
    UpdateControls();
}

void VEQUI::OnProgress(const wxString& text, int percent) {
    m_gaugeValue = percent;
    SetProgressText(text);
}

void VEQUI::OnOperationFinished(VEQUIController::Operation operation, VEQUIController::Outcome outcome,
                                const wxString& message) {
    using Operation = VEQUIController::Operation;
    m_gaugeValue = outcome == VEQUIController::Outcome::DONE ? 100 : 0;
    const MessagePage page = operation == Operation::SCAN      ? MessagePage::SCAN
                             : operation == Operation::CONNECT ? MessagePage::ALL
                                                               : MessagePage::MAILBOX;
    // The application's plug-in saves where its chooser pointed; inside the
    // plug-in dialog the host writes the files out.
    const wxString folder = m_controller->IsPluginMode() ? wxString() : LastSaveFolder();
    wxString text = message;
    if (outcome == VEQUIController::Outcome::CANCELLED && message.empty()) {
        text = _("Cancelled.");
    } else if (outcome == VEQUIController::Outcome::DONE) {
        switch (operation) {
        case Operation::SCAN:
            text = folder.empty() ? _("The scan is complete.")
                                  : wxString::Format(_("The scan is complete and saved in %s."), folder);
            break;
        case Operation::RETRIEVE:
            text = folder.empty() ? _("The job has been retrieved.")
                                  : wxString::Format(_("The job has been saved in %s."), folder);
            break;
        case Operation::DELETE_JOB:
            text = _("The job has been deleted.");
            break;
        default:
            break;
        }
    }
    if (operation == Operation::REFRESH && outcome == VEQUIController::Outcome::DONE) {
        ShowJobCount();
    } else {
        SetProgressText(text, page);
    }
    if (operation == Operation::OPEN_MAILBOX) {
        m_mailboxPage->CloseMailbox(_("No mailbox open."));
    }
    if (operation == Operation::CONNECT) {
        m_connectionText->SetLabel(_("Not connected"));
    }
    UpdateControls();
    if (operation == Operation::DELETE_JOB || operation == Operation::REFRESH) {
        return;
    }
    if (outcome == VEQUIController::Outcome::DONE) {
        m_autorunPending = false;
        EndDialog(wxID_OK);
    } else {
        FailAutorun(text);
    }
}

void VEQUI::OnServerDiscovered(const wxString& address, const wxString& name) {
    AddServerChoice(address, name);
    if (m_foundAddresses.empty() && !m_controller->IsConnected() &&
        m_controller->GetActivity() == VEQUIController::Activity::NONE) {
        ShowServerChoice(ServerChoiceLabel(address, name));  // the first one found is offered
    }
    m_foundAddresses.push_back(address);
    SetProgressText(wxString::Format(_("Found %s (%s)"), name, address));
}

void VEQUI::OnDiscoveryFinished() {
    m_findButton->Enable();
    if (m_foundAddresses.empty()) {
        SetProgressText(_("No controller answered. Type the address of one."));
    } else if (m_foundAddresses.size() > 1) {
        SetProgressText(wxString::Format(_("%u controllers found: choose one in the list."),
                                         static_cast<unsigned>(m_foundAddresses.size())));
    }
    if (m_serverCombo->GetCount() > 0 && m_serverCombo->GetValue().empty()) {
        ShowServerChoice(m_serverCombo->GetString(0));  // a recent one, when none answered
    }
}
