#include "VEQUI.h"

#include <wx/aboutdlg.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "Logger.h"
#include "MailboxPage.h"
#include "ScanPage.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"
#include "VEQUIUtil.h"

namespace {

std::pair<bool, VEQTypes::FileFormat> ForcedFormatOf(const std::shared_ptr<VEQUILaunchContext>& context) {
    auto zelto = std::dynamic_pointer_cast<ZeltoVEQUILaunchContext>(context);
    return zelto ? zelto->GetFormat() : std::make_pair(false, VEQTypes::PDF);
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
    m_findButton = new wxButton(this, wxID_ANY, _("Find"), wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, "FindServers");
    m_connectButton = new wxButton(this, wxID_ANY, _("Connect"), wxDefaultPosition, wxDefaultSize, 0,
                                   wxDefaultValidator, "ConnectServer");
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
                                      wxST_ELLIPSIZE_END, "ProgressText");

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
        about->Bind(wxEVT_BUTTON, [](wxCommandEvent&) {
            wxAboutDialogInfo info;
            info.SetName(VEQUIUtil::GetAppName());
            info.SetDescription(_("Scanning client for Zelto print controllers."));
            wxAboutBox(info);
        });
        sizer->Add(about, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 12);
    }
    SetSizer(sizer);

    m_connectButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnConnectButton(); });
    m_serverCombo->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { OnConnectButton(); });
    m_findButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        m_findButton->Disable();
        SetProgressText(_("Looking for controllers..."));
        m_controller->DiscoverServers();
    });
    m_cancelButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { m_controller->Cancel(); });
    m_mailboxPage->m_onOpen = [this]() { OnOpenMailbox(); };
    m_mailboxPage->m_onRetrieve = [this]() { OnRetrieve(); };
    m_mailboxPage->m_onDelete = [this]() { OnDelete(); };
    m_mailboxPage->m_onRefresh = [this]() { m_controller->RefreshMailbox(); };
    m_scanPage->m_onScan = [this]() { OnScan(); };
    UpdateControls();
}

void VEQUI::StartUp() {
    std::shared_ptr<VEQConfig> config = VEQDataSource::Get().GetConfig();
    wxString server = AutorunRequest::ServerFromEnvironment();
    if (config) {
        for (const VEQConfig::VEQConfigServerEntry& entry : config->GetRecentServers()) {
            AddServerChoice(entry.m_ip);
        }
        if (server.empty()) {
            server = config->GetCurrentServer().m_ip;
        }
    }
    if (!server.empty()) {
        m_serverCombo->SetValue(server);
        m_controller->Connect(server);
    } else if (m_autorunPending) {
        FailAutorun(_("No controller to connect to."));
    } else {
        // Nothing chosen yet: offer the controllers that answer.
        m_findButton->Disable();
        SetProgressText(_("Looking for controllers..."));
        m_controller->DiscoverServers();
    }
}

void VEQUI::AddServerChoice(const wxString& address) {
    if (!address.empty() && m_serverCombo->FindString(address, true) == wxNOT_FOUND) {
        m_serverCombo->Append(address);
    }
}

void VEQUI::SetProgressText(const wxString& text) {
    m_progressText->SetLabel(text);
    m_progressText->SetToolTip(text);
}

void VEQUI::UpdateControls() {
    const VEQUIController::Activity activity = m_controller->GetActivity();
    const bool idle = activity == VEQUIController::Activity::NONE;
    const bool connected = m_controller->IsConnected();
    m_serverCombo->Enable(idle && !connected);
    m_connectButton->Enable(idle);
    m_connectButton->SetLabel(connected ? _("Disconnect") : _("Connect"));
    m_cancelButton->Enable(activity == VEQUIController::Activity::SCANNING ||
                           activity == VEQUIController::Activity::RETRIEVING);
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
    const wxString address = m_serverCombo->GetValue().Strip(wxString::both);
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

void VEQUI::OnTopLevelClose(wxCloseEvent& event) {
    m_controller->Cancel();
    event.Skip();
}

// ---- Controller reports ---------------------------------------------------------

void VEQUI::OnActivityChanged(VEQUIController::Activity activity) {
    switch (activity) {
    case VEQUIController::Activity::CONNECTING:
        m_connectionText->SetLabel(wxString::Format(_("Connecting to %s..."), m_serverCombo->GetValue()));
        break;
    case VEQUIController::Activity::OPENING_MAILBOX:
        SetProgressText(_("Opening the mailbox..."));
        break;
    case VEQUIController::Activity::DELETING_JOB:
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
    AddServerChoice(details.m_ip);
    m_serverCombo->SetValue(details.m_ip);
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
    } else if (m_autorun.m_kind == AutorunRequest::MAILBOX) {
        m_notebook->SetSelection(static_cast<size_t>(m_notebook->FindPage(m_mailboxPage)));
        m_mailboxPage->SetCredentials(m_autorun.m_mailboxName, m_autorun.m_mailboxPassword);
        m_controller->OpenMailbox(m_autorun.m_mailboxName, m_autorun.m_mailboxPassword);
    } else {
        FailAutorun(_("VEQUI_AUTORUN is neither \"scan\" nor \"mailbox:<name>:<password>[:<job id>]\"."));
    }
}

void VEQUI::OnConnectFailed(const wxString& ip) {
    const wxString text = wxString::Format(_("Connection to %s failed."), ip);
    m_connectionText->SetLabel(text);
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
    UpdateControls();
    FailAutorun(_("The connection to the controller was lost."));
}

void VEQUI::OnMailboxOpened(const wxString& name, const std::vector<VEQTypes::VEQScannedJob>& jobs) {
    m_mailboxPage->ShowMailbox(name, jobs);
    SetProgressText(wxString::Format(_("%u job(s) in the mailbox."), static_cast<unsigned>(jobs.size())));
    UpdateControls();
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
    const wxString text = wxString::Format(_("The mailbox \"%s\" or its password is not correct."), name);
    SetProgressText(text);
    UpdateControls();
    FailAutorun(text);
}

void VEQUI::OnJobsChanged(const std::vector<VEQTypes::VEQScannedJob>& jobs) {
    m_mailboxPage->SetJobs(jobs);
}

void VEQUI::OnAlert(const wxString& text) {
    if (text.empty()) {
        m_scanAllowed = m_controller->IsConnected();
        m_scanPage->SetNotice(wxString());
    } else {
        m_scanAllowed = false;
        m_scanPage->SetNotice(text);
        SetProgressText(text);
    }
    UpdateControls();
}

void VEQUI::OnProgress(const wxString& text, int percent) {
    SetProgressText(text);
    if (percent < 0) {
        m_gauge->Pulse();
    } else {
        m_gauge->SetValue(percent > 100 ? 100 : percent);
    }
}

void VEQUI::OnOperationFinished(VEQUIController::Operation operation, VEQUIController::Outcome outcome,
                                const wxString& message) {
    m_gauge->SetValue(outcome == VEQUIController::Outcome::DONE ? 100 : 0);
    wxString text = message;
    if (outcome == VEQUIController::Outcome::CANCELLED) {
        text = _("Cancelled.");
    } else if (outcome == VEQUIController::Outcome::DONE) {
        switch (operation) {
        case VEQUIController::Operation::SCAN:
            text = _("The scan is complete.");
            break;
        case VEQUIController::Operation::RETRIEVE:
            text = _("The job has been retrieved.");
            break;
        case VEQUIController::Operation::DELETE_JOB:
            text = _("The job has been deleted.");
            break;
        }
    }
    SetProgressText(text);
    UpdateControls();
    if (operation == VEQUIController::Operation::DELETE_JOB) {
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
    AddServerChoice(address);
    SetProgressText(wxString::Format(_("Found %s (%s)"), name, address));
}

void VEQUI::OnDiscoveryFinished() {
    m_findButton->Enable();
    if (m_serverCombo->GetCount() == 0) {
        SetProgressText(_("No controller answered. Type the address of one."));
    }
    if (m_serverCombo->GetCount() > 0 && m_serverCombo->GetValue().empty()) {
        m_serverCombo->SetSelection(0);
    }
}
