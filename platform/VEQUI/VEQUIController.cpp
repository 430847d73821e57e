#include "VEQUIController.h"

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include <wx/event.h>
#include <wx/intl.h>

#include "Logger.h"
#include "ScannerCapability.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"
#include "ZeltoServersDiscoverer.h"

namespace {

// How long one discovery listens for answers.
constexpr std::chrono::milliseconds kDiscoveryTime(3000);

std::vector<VEQTypes::VEQScannedJob> CopyJobs(MailBox& mailbox) {
    auto jobs = mailbox.GetAvailableScannedJobs();
    return jobs ? *jobs : std::vector<VEQTypes::VEQScannedJob>();
}

// Whether a failed call left the server without its connection (the data
// source marks a connection lost when a call goes unanswered).
bool ConnectionLost(const std::shared_ptr<Server>& server) {
    return server && server->GetServerStatus() != VEQTypes::CONNECTED;
}

wxString FixedText(const char* field, size_t size) {
    return wxString::FromUTF8(field, strnlen(field, size));
}

void RememberServer(const Server::ServerInfo& info, const wxString& ip) {
    std::shared_ptr<VEQConfig> config = VEQDataSource::Get().GetConfig();
    if (!config) {
        return;
    }
    VEQConfig::VEQConfigServerEntry entry{ip, info.m_name, info.m_model};
    if (!config->isServerAvailableInRecent(ip)) {
        config->AddToRecentServer(entry);
    }
    config->SetCurrentServer(entry);
}

}  // namespace

VEQUIController::VEQUIController(std::shared_ptr<IPlugin> plugin, wxEvtHandler* uiTarget,
                                 Listener& listener,
                                 std::pair<bool, VEQTypes::FileFormat> forcedFormat)
    : m_plugin(std::move(plugin)),
      m_listener(listener),
      m_dispatcher(uiTarget),
      m_forcedFormat(forcedFormat),
      m_pluginMode(m_plugin->IsPluginMode()),
      m_stopDiscovery(std::make_shared<std::atomic<bool>>(false)) {}

VEQUIController::~VEQUIController() {
    m_closing = true;
    m_dispatcher.Detach();
    m_stopDiscovery->store(true);
    ReleaseServerLinks();
}

void VEQUIController::SetActivity(Activity activity) {
    m_activity = activity;
    ++m_generation;
    m_listener.OnActivityChanged(activity);
}

void VEQUIController::Finish(Operation operation, Outcome outcome, const wxString& message) {
    m_heldScanEvents.clear();
    m_cancelRequested = false;
    m_downloadJobId = 0;
    SetActivity(Activity::NONE);
    m_listener.OnOperationFinished(operation, outcome, message);
}

void VEQUIController::FinishActivity(Outcome outcome, const wxString& message) {
    switch (m_activity) {
    case Activity::NONE:
        break;
    case Activity::CONNECTING:
        Finish(Operation::CONNECT, outcome, message);
        break;
    case Activity::OPENING_MAILBOX:
        Finish(Operation::OPEN_MAILBOX, outcome, message);
        break;
    case Activity::REFRESHING:
        Finish(Operation::REFRESH, outcome, message);
        break;
    case Activity::DELETING_JOB:
        Finish(Operation::DELETE_JOB, outcome, message);
        break;
    case Activity::SCANNING:
        Finish(Operation::SCAN, outcome, message);
        break;
    case Activity::RETRIEVING:
        Finish(Operation::RETRIEVE, outcome, message);
        break;
    }
}

void VEQUIController::LoseConnection() {
    if (!m_connected) {
        return;
    }
    VEQLOG(Debug) << "Connection to " << m_server->GetIP() << " lost";
    const wxString message =
        wxString::Format(_("%s did not answer or closed the connection."), m_serverLabel);
    FinishActivity(Outcome::FAILED, message);  // what opens or arrives late is dropped
    ReleaseServerLinks();
    m_listener.OnConnectionLost(message);
}

void VEQUIController::ReleaseMailboxLinks() {
    m_mailboxSaveLink.disconnect();
    m_mailboxRefreshLink.disconnect();
    m_mailbox.reset();
}

void VEQUIController::ReleaseServerLinks() {
    ReleaseMailboxLinks();
    m_defaultSaveLink.disconnect();
    m_scanEventLink.disconnect();
    m_alertLink.disconnect();
    m_statusLink.disconnect();
    m_defaultMailbox.reset();
    m_scanAPI.reset();
    m_server.reset();
    m_connected = false;
}

// ---- Connection -----------------------------------------------------------------

bool VEQUIController::Connect(const wxString& address) {
    const wxString ip = wxString(address).Trim(true).Trim(false);
    if (m_activity != Activity::NONE || ip.empty()) {
        return false;
    }
    ReleaseServerLinks();
    SetActivity(Activity::CONNECTING);
    const unsigned generation = m_generation;
    std::shared_ptr<IPlugin> plugin = m_plugin;
    UiDispatcher dispatcher = m_dispatcher;
    const auto forcedFormat = m_forcedFormat;
    m_worker.Post([this, plugin, dispatcher, ip, generation, forcedFormat]() {
        ConnectResult result;
        result.m_ip = ip;
        result.m_connected = plugin->SetServer(ip);
        result.m_server = plugin->GetServer();
        if (result.m_connected && result.m_server) {
            Server& server = *result.m_server;
            const Server::ServerInfo info = server.GetServerInfo();
            result.m_details.m_ip = server.GetIP();
            result.m_details.m_name = info.m_name.empty() ? server.GetName() : info.m_name;
            result.m_details.m_model = info.m_model;
            result.m_details.m_label =
                result.m_details.m_name.empty()
                    ? result.m_details.m_ip
                    : wxString::Format("%s (%s)", result.m_details.m_name, result.m_details.m_ip);
            result.m_scanAPI = server.GetScanAPI();
            std::shared_ptr<ScannerCapability> capability =
                result.m_scanAPI ? result.m_scanAPI->GetScannerCapability() : nullptr;
            if (capability) {
                result.m_details.m_scanOptions =
                    ScanSettingOptions::FromCapability(*capability, forcedFormat);
            }
            result.m_details.m_scanSupported =
                server.IsScanSupported() && capability && capability->IsVeqoraEnabled();
            result.m_details.m_sizeColumnHidden =
                server.IsMailboxColumnHidden(Server::MAILBOX_COLUMN_SIZE);
            RememberServer(info, server.GetIP());
        }
        dispatcher.Post([this, generation, result]() { OnConnectResult(generation, result); });
    });
    return true;
}

void VEQUIController::OnConnectResult(unsigned generation, const ConnectResult& result) {
    if (generation != m_generation) {
        return;
    }
    SetActivity(Activity::NONE);
    if (!result.m_connected || !result.m_server) {
        VEQLOG(Debug) << "Connection to " << result.m_ip << " failed";
        m_listener.OnConnectFailed(result.m_ip);
        return;
    }
    VEQLOG(Debug) << "Connected to " << result.m_ip;
    m_server = result.m_server;
    m_serverLabel = result.m_details.m_label;
    m_connected = true;
    LinkServer(m_server);
    if (result.m_scanAPI) {
        LinkScanComponent(result.m_scanAPI);
    }
    m_listener.OnConnected(result.m_details);
}

bool VEQUIController::Disconnect() {
    if (!m_server) {
        return false;
    }
    Cancel();
    // A download stopped on the controller reports its end later, unheard once
    // the links go, so it ends here.
    FinishActivity(Outcome::CANCELLED, wxString());
    std::shared_ptr<Server> server = m_server;
    ReleaseServerLinks();
    server->Disconnect(true);
    m_listener.OnServerStatusChanged(VEQTypes::DISCONNECTED);
    return true;
}

void VEQUIController::LinkServer(const std::shared_ptr<Server>& server) {
    UiDispatcher dispatcher = m_dispatcher;
    Server* raw = server.get();
    m_statusLink = server->m_serverStatusSignal.connect(
        [this, dispatcher, raw](VEQTypes::ServerStatus status) {
            dispatcher.Post([this, raw, status]() { OnServerStatus(raw, status); });
        });
}

void VEQUIController::OnServerStatus(Server* server, VEQTypes::ServerStatus status) {
    if (!m_server || m_server.get() != server) {
        return;
    }
    // Only a loss of the connection matters here, and notifications queue on
    // the pool: a report of a state the server has left already is stale.
    if (status != VEQTypes::DISCONNECTED || m_server->GetServerStatus() != status || !m_connected) {
        return;
    }
    LoseConnection();
}

void VEQUIController::LinkScanComponent(const std::shared_ptr<ScanAPIComponent>& scanAPI) {
    m_scanAPI = scanAPI;
    UiDispatcher dispatcher = m_dispatcher;
    m_scanEventLink = scanAPI->m_scanEventSignal.connect(
        [this, dispatcher](ScanAPIComponent::VEQScanEvent event) {
            dispatcher.Post([this, event]() { OnScanEvent(event); });
        });
    m_alertLink = scanAPI->m_alertSignal.connect([this, dispatcher](wxString text) {
        dispatcher.Post([this, text]() { m_listener.OnAlert(text); });
    });
    m_defaultMailbox = scanAPI->GetDefaultMailBox();
    if (m_defaultMailbox) {
        m_defaultSaveLink = LinkJobSaves(*m_defaultMailbox);
    }
}

boost::signals2::connection VEQUIController::LinkJobSaves(MailBox& mailbox) {
    UiDispatcher dispatcher = m_dispatcher;
    return mailbox.m_jobSaveSignal.connect([this, dispatcher](MailBox::JobSaveEvent event) {
        dispatcher.Post([this, event]() { OnJobSaveEvent(event); });
    });
}

// ---- Mailboxes --------------------------------------------------------------------

bool VEQUIController::OpenMailbox(const wxString& name, const wxString& password) {
    if (m_activity != Activity::NONE || !m_scanAPI) {
        return false;
    }
    ReleaseMailboxLinks();
    SetActivity(Activity::OPENING_MAILBOX);
    const unsigned generation = m_generation;
    std::shared_ptr<ScanAPIComponent> scanAPI = m_scanAPI;
    std::shared_ptr<Server> server = m_server;
    UiDispatcher dispatcher = m_dispatcher;
    m_worker.Post([this, scanAPI, server, dispatcher, name, password, generation]() {
        std::shared_ptr<MailBox> mailbox = scanAPI->GetMailBox(name, password);
        std::vector<VEQTypes::VEQScannedJob> jobs;
        if (mailbox) {
            scanAPI->SetCurrentMailBox(mailbox);
            jobs = CopyJobs(*mailbox);
        }
        const bool lost = !mailbox && ConnectionLost(server);
        dispatcher.Post([this, generation, name, mailbox, jobs, lost]() {
            OnMailboxResult(generation, name, mailbox, jobs, lost);
        });
    });
    return true;
}

void VEQUIController::OnMailboxResult(unsigned generation, const wxString& name,
                                      std::shared_ptr<MailBox> mailbox,
                                      const std::vector<VEQTypes::VEQScannedJob>& jobs, bool lost) {
    if (generation != m_generation) {
        return;
    }
    if (lost) {
        LoseConnection();
        return;
    }
    SetActivity(Activity::NONE);
    if (!mailbox) {
        m_listener.OnMailboxRefused(name);
        return;
    }
    LinkMailbox(mailbox);
    m_listener.OnMailboxOpened(mailbox->GetMailBoxDisplayName(), jobs);
}

void VEQUIController::LinkMailbox(const std::shared_ptr<MailBox>& mailbox) {
    m_mailbox = mailbox;
    m_mailboxSaveLink = LinkJobSaves(*mailbox);
    UiDispatcher dispatcher = m_dispatcher;
    MailBox* raw = mailbox.get();
    // Runs on the refreshing thread right after the list was refilled, the one
    // moment no refresh writes it, so the copy is taken there.
    m_mailboxRefreshLink = mailbox->m_jobsRefreshedSignal.connect([this, dispatcher, raw]() {
        std::vector<VEQTypes::VEQScannedJob> jobs = CopyJobs(*raw);
        dispatcher.Post([this, raw, jobs]() { OnJobsRefreshed(raw, jobs); });
    });
}

void VEQUIController::OnJobsRefreshed(MailBox* mailbox,
                                      const std::vector<VEQTypes::VEQScannedJob>& jobs) {
    if (m_mailbox.get() == mailbox) {
        m_listener.OnJobsChanged(jobs);
    }
}

bool VEQUIController::RefreshMailbox() {
    if (m_activity != Activity::NONE || !m_mailbox) {
        return false;
    }
    SetActivity(Activity::REFRESHING);
    const unsigned generation = m_generation;
    std::shared_ptr<MailBox> mailbox = m_mailbox;
    std::shared_ptr<Server> server = m_server;
    UiDispatcher dispatcher = m_dispatcher;
    m_worker.Post([this, mailbox, server, dispatcher, generation]() {
        // The new list arrives first, through the jobs-refreshed signal.
        const bool refreshed = mailbox->RefreshAvailableScannedJobs();
        const bool lost = !refreshed && ConnectionLost(server);
        dispatcher.Post([this, generation, refreshed, lost]() {
            OnRefreshResult(generation, refreshed, lost);
        });
    });
    return true;
}

void VEQUIController::OnRefreshResult(unsigned generation, bool refreshed, bool lost) {
    if (generation != m_generation) {
        return;
    }
    if (lost) {
        LoseConnection();
        return;
    }
    Finish(Operation::REFRESH, refreshed ? Outcome::DONE : Outcome::FAILED,
           refreshed ? wxString() : _("The list of jobs could not be refreshed."));
}

bool VEQUIController::DeleteJob(int jobId) {
    if (m_activity != Activity::NONE || !m_mailbox) {
        return false;
    }
    SetActivity(Activity::DELETING_JOB);
    const unsigned generation = m_generation;
    std::shared_ptr<MailBox> mailbox = m_mailbox;
    std::shared_ptr<Server> server = m_server;
    UiDispatcher dispatcher = m_dispatcher;
    m_worker.Post([this, mailbox, server, dispatcher, jobId, generation]() {
        const bool deleted = mailbox->DeleteJob(jobId);
        if (deleted) {
            mailbox->RefreshAvailableScannedJobs();
        }
        const bool lost = !deleted && ConnectionLost(server);
        dispatcher.Post([this, generation, deleted, lost]() { OnDeleteResult(generation, deleted, lost); });
    });
    return true;
}

void VEQUIController::OnDeleteResult(unsigned generation, bool deleted, bool lost) {
    if (generation != m_generation) {
        return;
    }
    if (lost) {
        LoseConnection();
        return;
    }
    Finish(Operation::DELETE_JOB, deleted ? Outcome::DONE : Outcome::FAILED,
           deleted ? wxString() : _("The job could not be deleted."));
}

// ---- Scans ------------------------------------------------------------------------

bool VEQUIController::StartScan(const VEQTypes::ScanInitiateAttributes& attributes) {
    if (m_activity != Activity::NONE || !m_connected || !m_scanAPI) {
        return false;
    }
    SetActivity(Activity::SCANNING);
    m_scanPhase = ScanPhase::STARTING;
    m_heldScanEvents.clear();
    m_downloadJobId = 0;
    m_cancelRequested = false;
    const unsigned generation = m_generation;
    m_listener.OnProgress(_("Starting the scan..."), -1);
    if (m_pluginMode) {
        std::shared_ptr<IPlugin> plugin = m_plugin;
        std::shared_ptr<ScanAPIComponent> scanAPI = m_scanAPI;
        UiDispatcher dispatcher = m_dispatcher;
        m_worker.Post([this, plugin, scanAPI, dispatcher, attributes, generation]() {
            const int result = plugin->InitScan(attributes);
            if (result == 0 && m_closing && scanAPI) {
                // Nobody is left to follow the scan (the dialog was closed).
                scanAPI->CancelScan();
                return;
            }
            dispatcher.Post([this, generation, result]() { OnInitScanResult(generation, result); });
        });
    } else {
        // The application's plug-in asks where to save first, so it runs here.
        OnInitScanResult(generation, m_plugin->InitScan(attributes));
    }
    return true;
}

void VEQUIController::OnInitScanResult(unsigned generation, int result) {
    if (result == 0 && generation == m_cancelledScanStart && m_scanAPI) {
        // Cancelled while it started: stopped on the controller now that it runs.
        std::shared_ptr<ScanAPIComponent> scanAPI = m_scanAPI;
        m_worker.PostKept([scanAPI]() { scanAPI->CancelScan(); });
        return;
    }
    if (generation != m_generation || m_activity != Activity::SCANNING) {
        return;
    }
    switch (result) {
    case 0: {
        m_scanPhase = ScanPhase::SCANNING;
        m_listener.OnProgress(_("Scanning..."), -1);
        std::vector<ScanAPIComponent::VEQScanEvent> held;
        held.swap(m_heldScanEvents);
        for (const auto& event : held) {
            if (generation != m_generation) {
                break;
            }
            HandleScanEvent(event);
        }
        break;
    }
    case 2:
        Finish(Operation::SCAN, Outcome::REFUSED, _("The scanner is busy. Try again later."));
        break;
    case 3:
        Finish(Operation::SCAN, Outcome::CANCELLED, wxString());
        break;
    default:
        Finish(Operation::SCAN, Outcome::FAILED, _("The scan could not be started."));
        break;
    }
}

void VEQUIController::OnScanEvent(const ScanAPIComponent::VEQScanEvent& event) {
    if (m_activity != Activity::SCANNING || !m_server || event.m_serverAddress != m_server->GetIP()) {
        return;
    }
    if (m_scanPhase == ScanPhase::STARTING) {
        m_heldScanEvents.push_back(event);  // InitScan has not answered yet
        return;
    }
    HandleScanEvent(event);
}

void VEQUIController::HandleScanEvent(const ScanAPIComponent::VEQScanEvent& event) {
    if (m_scanPhase != ScanPhase::SCANNING) {
        return;
    }
    switch (event.m_type) {
    case ScanAPIComponent::VEQScanEvent::PAGE_SCANNED:
        m_listener.OnProgress(wxString::Format(_("Pages scanned: %d"), event.m_pageCount), -1);
        break;
    case ScanAPIComponent::VEQScanEvent::CREATED:
        m_scanPhase = ScanPhase::DOWNLOADING;
        m_downloadJobId = event.m_jobId;
        m_listener.OnProgress(_("Downloading the scanned job..."), 0);
        if (m_plugin->OnScanCompleted() != 1) {
            Finish(Operation::SCAN, Outcome::FAILED, _("The scanned job could not be downloaded."));
        }
        break;
    case ScanAPIComponent::VEQScanEvent::CANCELLED:
        Finish(Operation::SCAN, Outcome::CANCELLED, wxString());
        break;
    case ScanAPIComponent::VEQScanEvent::FAILED:
        Finish(Operation::SCAN, Outcome::FAILED, _("The scan failed."));
        break;
    case ScanAPIComponent::VEQScanEvent::TIMED_OUT:
        Finish(Operation::SCAN, Outcome::FAILED, _("The scan timed out."));
        break;
    default:
        break;
    }
}

void VEQUIController::CancelRunningScan() {
    std::shared_ptr<ScanAPIComponent> scanAPI = m_scanAPI;
    if (scanAPI) {
        m_worker.PostKept([scanAPI]() { scanAPI->CancelScan(); });
    }
    // Events of the cancelled scan are ignored from here on.
    Finish(Operation::SCAN, Outcome::CANCELLED, wxString());
}

// ---- Retrieval ----------------------------------------------------------------------

bool VEQUIController::StartRetrieve(const VEQTypes::VEQScannedJob& job) {
    if (m_activity != Activity::NONE || !m_mailbox) {
        return false;
    }
    SetActivity(Activity::RETRIEVING);
    const unsigned generation = m_generation;
    m_downloadJobId = job.m_id;
    m_cancelRequested = false;
    const int result = m_plugin->InitMailBoxRetrive(m_mailbox, job);
    if (generation != m_generation) {
        return true;  // finished meanwhile (the application's chooser runs an event loop)
    }
    if (result == 0) {
        m_listener.OnProgress(_("Retrieving the job..."), 0);
    } else if (result == 3) {
        Finish(Operation::RETRIEVE, Outcome::CANCELLED, wxString());
    } else {
        Finish(Operation::RETRIEVE, Outcome::FAILED, _("The job could not be retrieved."));
    }
    return true;
}

void VEQUIController::OnJobSaveEvent(const MailBox::JobSaveEvent& event) {
    const bool downloadingScan =
        m_activity == Activity::SCANNING && m_scanPhase == ScanPhase::DOWNLOADING;
    if ((!downloadingScan && m_activity != Activity::RETRIEVING) || event.m_jobId != m_downloadJobId) {
        return;
    }
    const Operation operation = downloadingScan ? Operation::SCAN : Operation::RETRIEVE;
    switch (event.m_eventKind) {
    case MailBox::JobSaveEvent::PROGRESS:
        m_listener.OnProgress(wxString::Format(_("Downloading... %d%%"), event.m_percent),
                              event.m_percent);
        break;
    case MailBox::JobSaveEvent::COMPLETED:
        m_plugin->OnDownloadCompleted();
        Finish(operation, Outcome::DONE, wxString());
        break;
    case MailBox::JobSaveEvent::FAILED:
        // A failed save never reaches OnDownloadCompleted.
        if (!m_cancelRequested && ConnectionLost(m_server)) {
            LoseConnection();
        } else if (m_cancelRequested) {
            Finish(operation, Outcome::CANCELLED, wxString());
        } else {
            Finish(operation, Outcome::FAILED,
                   event.m_message.empty() ? _("The job could not be saved.") : event.m_message);
        }
        break;
    default:
        break;
    }
}

void VEQUIController::Cancel() {
    if (m_activity == Activity::CONNECTING || m_activity == Activity::OPENING_MAILBOX ||
        m_activity == Activity::REFRESHING) {
        FinishActivity(Outcome::CANCELLED, wxString());  // the late answer is dropped
    } else if (m_activity == Activity::DELETING_JOB) {
        FinishActivity(Outcome::CANCELLED,
                       _("Stopped waiting for the controller; the job may still be deleted."));
    } else if (m_activity == Activity::SCANNING && m_scanPhase == ScanPhase::STARTING) {
        // The scan has no job id until InitScan answers; it is cancelled on
        // the controller then, and the panel need not wait for it.
        m_cancelledScanStart = m_generation;
        Finish(Operation::SCAN, Outcome::CANCELLED, wxString());
    } else if (m_activity == Activity::SCANNING && m_scanPhase == ScanPhase::SCANNING) {
        CancelRunningScan();
    } else if (m_activity == Activity::SCANNING && m_defaultMailbox) {
        m_cancelRequested = true;
        m_defaultMailbox->CancelCurrentSaveJobOperation();
    } else if (m_activity == Activity::RETRIEVING && m_mailbox) {
        m_cancelRequested = true;
        m_mailbox->CancelCurrentSaveJobOperation();
    }
}

// ---- Discovery ----------------------------------------------------------------------

void VEQUIController::DiscoverServers() {
    if (m_discovering) {
        return;
    }
    m_discovering = true;
    UiDispatcher dispatcher = m_dispatcher;
    std::shared_ptr<std::atomic<bool>> stop = m_stopDiscovery;
    m_discoveryWorker.Post([this, dispatcher, stop]() {
        std::function<void(const ZeltoServerInfo&)> onServer =
            [this, dispatcher](const ZeltoServerInfo& info) {
                const wxString address = FixedText(info.m_address, sizeof(info.m_address));
                const wxString name = FixedText(info.m_name, sizeof(info.m_name));
                dispatcher.Post([this, address, name]() { m_listener.OnServerDiscovered(address, name); });
            };
        {
            ZeltoServersDiscoverer discoverer(onServer, 0);
            discoverer.Start();
            const auto end = std::chrono::steady_clock::now() + kDiscoveryTime;
            while (!stop->load() && std::chrono::steady_clock::now() < end) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            discoverer.Stop();
        }
        dispatcher.Post([this]() {
            m_discovering = false;
            m_listener.OnDiscoveryFinished();
        });
    });
}
