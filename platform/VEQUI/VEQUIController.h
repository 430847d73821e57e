// The panel's logic without its widgets: it drives the plug-in in the order
// the plug-ins expect, keeps the server, its scan component and the open
// mailbox, turns the data source's signals (pool and SDK threads) into calls
// on the user-interface thread, and reports everything to its listener.
//
// Everything that waits on the network runs on the controller's own worker
// thread: the plug-in's login (SetServer), opening, refreshing and deleting in
// a mailbox, cancelling a scan, discovery, and, for a plug-in that shows no
// windows of its own (IsPluginMode), the scan start. A plug-in call on the
// worker is never overlapped by another call to the plug-in: one activity
// runs at a time. Every activity can be cancelled, and Disconnect works during
// any of them: what waits on the network is left to finish unheard. A
// controller that stops answering or closes the connection is reported as a
// lost connection, never as a refusal. All public functions and all listener
// calls are on the user-interface thread.
#pragma once

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#include <boost/signals2/connection.hpp>
#include <wx/string.h>

#include "BackgroundWorker.h"
#include "IPlugin.h"
#include "MailBox.h"
#include "ScanAPIComponent.h"
#include "ScanSettings.h"
#include "Server.h"
#include "UiDispatcher.h"
#include "VEQTypes.h"

class wxEvtHandler;

class VEQUIController {
public:
    enum class Activity {
        NONE, CONNECTING, OPENING_MAILBOX, REFRESHING, DELETING_JOB, SCANNING, RETRIEVING
    };
    // CONNECT and OPEN_MAILBOX finish here only when cancelled or when the
    // connection is lost; their other results have listener calls of their own.
    enum class Operation { CONNECT, OPEN_MAILBOX, REFRESH, DELETE_JOB, SCAN, RETRIEVE };
    enum class Outcome { DONE, FAILED, CANCELLED, REFUSED };

    struct ConnectionDetails {
        wxString m_ip;
        wxString m_name;
        wxString m_model;
        wxString m_label;                  // "name (ip)", or the ip of a nameless controller
        bool m_scanSupported = false;      // scan component present and scans allowed
        bool m_sizeColumnHidden = false;
        ScanSettingOptions m_scanOptions;  // empty lists without a capability
    };

    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void OnActivityChanged(Activity activity) = 0;
        virtual void OnConnected(const ConnectionDetails& details) = 0;
        virtual void OnConnectFailed(const wxString& ip) = 0;
        // The user's logout.
        virtual void OnServerStatusChanged(VEQTypes::ServerStatus status) = 0;
        // The controller stopped answering or closed the connection; message names it.
        virtual void OnConnectionLost(const wxString& message) = 0;
        virtual void OnMailboxOpened(const wxString& name,
                                     const std::vector<VEQTypes::VEQScannedJob>& jobs) = 0;
        virtual void OnMailboxRefused(const wxString& name) = 0;
        virtual void OnJobsChanged(const std::vector<VEQTypes::VEQScannedJob>& jobs) = 0;
        // The controller's alert text; empty when scans are allowed again.
        virtual void OnAlert(const wxString& text) = 0;
        // percent -1 when the progress has no measure.
        virtual void OnProgress(const wxString& text, int percent) = 0;
        virtual void OnOperationFinished(Operation operation, Outcome outcome,
                                         const wxString& message) = 0;
        virtual void OnServerDiscovered(const wxString& address, const wxString& name) = 0;
        virtual void OnDiscoveryFinished() = 0;
    };

    // uiTarget receives the posted work (CallAfter) and must outlive the
    // controller. forcedFormat: see ScanSettingOptions::FromCapability.
    VEQUIController(std::shared_ptr<IPlugin> plugin, wxEvtHandler* uiTarget, Listener& listener,
                    std::pair<bool, VEQTypes::FileFormat> forcedFormat);
    // Stops posting, waits for the worker's running task, drops the links to
    // the server before the plug-in (which owns it) can let it go.
    ~VEQUIController();
    VEQUIController(const VEQUIController&) = delete;
    VEQUIController& operator=(const VEQUIController&) = delete;

    Activity GetActivity() const { return m_activity; }
    bool IsConnected() const { return m_connected; }
    bool HasMailbox() const { return static_cast<bool>(m_mailbox); }
    bool IsPluginMode() const { return m_pluginMode; }

    // Each returns false, doing nothing, when another activity runs or what it
    // needs (a connection, a mailbox) is missing; Disconnect first ends
    // whatever runs, as Cancel does.
    bool Connect(const wxString& ip);
    bool Disconnect();
    bool OpenMailbox(const wxString& name, const wxString& password);
    bool RefreshMailbox();
    bool DeleteJob(int jobId);
    bool StartScan(const VEQTypes::ScanInitiateAttributes& attributes);
    bool StartRetrieve(const VEQTypes::VEQScannedJob& job);
    // Cancels what runs: a scan or download is stopped on the controller; for
    // the other activities the panel stops waiting for the answer.
    void Cancel();
    void DiscoverServers();

private:
    enum class ScanPhase { STARTING, SCANNING, DOWNLOADING };

    struct ConnectResult {
        wxString m_ip;
        bool m_connected = false;
        std::shared_ptr<Server> m_server;
        std::shared_ptr<ScanAPIComponent> m_scanAPI;
        ConnectionDetails m_details;
    };

    void SetActivity(Activity activity);
    void Finish(Operation operation, Outcome outcome, const wxString& message);
    // Ends the running activity, if any, with outcome and message.
    void FinishActivity(Outcome outcome, const wxString& message);
    void LoseConnection();
    void ReleaseServerLinks();
    void ReleaseMailboxLinks();
    void LinkServer(const std::shared_ptr<Server>& server);
    void LinkScanComponent(const std::shared_ptr<ScanAPIComponent>& scanAPI);
    void LinkMailbox(const std::shared_ptr<MailBox>& mailbox);
    boost::signals2::connection LinkJobSaves(MailBox& mailbox);

    void OnConnectResult(unsigned generation, const ConnectResult& result);
    void OnServerStatus(Server* server, VEQTypes::ServerStatus status);
    void OnMailboxResult(unsigned generation, const wxString& name, std::shared_ptr<MailBox> mailbox,
                         const std::vector<VEQTypes::VEQScannedJob>& jobs, bool lost);
    void OnJobsRefreshed(MailBox* mailbox, const std::vector<VEQTypes::VEQScannedJob>& jobs);
    void OnRefreshResult(unsigned generation, bool refreshed, bool lost);
    void OnDeleteResult(unsigned generation, bool deleted, bool lost);
    void OnInitScanResult(unsigned generation, int result);
    void OnScanEvent(const ScanAPIComponent::VEQScanEvent& event);
    void HandleScanEvent(const ScanAPIComponent::VEQScanEvent& event);
    void CancelRunningScan();
    void OnJobSaveEvent(const MailBox::JobSaveEvent& event);

    std::shared_ptr<IPlugin> m_plugin;
    Listener& m_listener;
    UiDispatcher m_dispatcher;
    std::pair<bool, VEQTypes::FileFormat> m_forcedFormat;
    bool m_pluginMode;

    Activity m_activity = Activity::NONE;
    unsigned m_generation = 0;  // changes with each activity; stale results are dropped
    bool m_connected = false;
    wxString m_serverLabel;
    std::shared_ptr<Server> m_server;
    std::shared_ptr<ScanAPIComponent> m_scanAPI;
    std::shared_ptr<MailBox> m_defaultMailbox;
    std::shared_ptr<MailBox> m_mailbox;

    ScanPhase m_scanPhase = ScanPhase::STARTING;
    std::vector<ScanAPIComponent::VEQScanEvent> m_heldScanEvents;  // until InitScan answers
    int m_downloadJobId = 0;
    bool m_cancelRequested = false;
    unsigned m_cancelledScanStart = 0;  // the generation of a scan cancelled before InitScan answered
    bool m_discovering = false;
    std::shared_ptr<std::atomic<bool>> m_stopDiscovery;
    std::atomic<bool> m_closing{false};  // the controller goes: work still running cancels its scan

    boost::signals2::scoped_connection m_statusLink;
    boost::signals2::scoped_connection m_scanEventLink;
    boost::signals2::scoped_connection m_alertLink;
    boost::signals2::scoped_connection m_defaultSaveLink;
    boost::signals2::scoped_connection m_mailboxSaveLink;
    boost::signals2::scoped_connection m_mailboxRefreshLink;

    // Last, so that they are joined first, while everything above still exists.
    BackgroundWorker m_worker;
    BackgroundWorker m_discoveryWorker;
};
