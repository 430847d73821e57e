// The panel's logic against a fake plug-in and data source: the call order of
// scans and retrievals, results that arrive early or never, and signals that
// come from other threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <future>
#include <thread>

#include "FakePlugin.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"
#include "VEQUIController.h"
#include "WxTestApp.h"

namespace {

using veqfake::FakePlugin;
using veqfake::PumpBriefly;
using veqfake::PumpUntil;
using Activity = VEQUIController::Activity;
using Operation = VEQUIController::Operation;
using Outcome = VEQUIController::Outcome;
using ScanEvent = ScanAPIComponent::VEQScanEvent;
using SaveEvent = MailBox::JobSaveEvent;

// Holds the calls that wait on it (a fake's hook, on the controller's thread)
// until it opens: now, or a moment later from a thread of its own, for a test
// thread that blocks meanwhile.
class Gate {
public:
    ~Gate() {
        if (m_opener.joinable()) {
            m_opener.join();
        }
    }
    std::function<void()> Waiter() const {
        std::shared_future<void> opened = m_opened;
        return [opened]() { opened.wait_for(std::chrono::seconds(10)); };
    }
    void Open() { m_open.set_value(); }
    void OpenSoon() {
        m_opener = std::thread([this]() {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            Open();
        });
    }

private:
    std::promise<void> m_open;
    std::shared_future<void> m_opened = m_open.get_future().share();
    std::thread m_opener;
};

class RecordingListener : public VEQUIController::Listener {
public:
    void OnActivityChanged(Activity) override { Note(); }
    void OnConnected(const VEQUIController::ConnectionDetails& details) override {
        Note();
        m_connected = details;
        Add("connected " + details.m_name.ToStdString());
    }
    void OnConnectFailed(const wxString& ip) override { Add("connect failed " + ip.ToStdString()); }
    void OnServerStatusChanged(VEQTypes::ServerStatus status) override {
        Add("status " + std::to_string(status));
    }
    void OnConnectionLost(const wxString& message) override { Add("lost " + message.ToStdString()); }
    void OnMailboxOpened(const wxString& name, const std::vector<VEQTypes::VEQScannedJob>& jobs) override {
        m_jobs = jobs;
        Add("mailbox " + name.ToStdString() + " " + std::to_string(jobs.size()));
    }
    void OnMailboxRefused(const wxString& name) override { Add("mailbox refused " + name.ToStdString()); }
    void OnJobsChanged(const std::vector<VEQTypes::VEQScannedJob>& jobs) override {
        m_jobs = jobs;
        Add("jobs " + std::to_string(jobs.size()));
    }
    void OnAlert(const wxString& text) override { Add("alert " + text.ToStdString()); }
    void OnProgress(const wxString&, int percent) override {
        Note();
        m_lastPercent = percent;
    }
    void OnOperationFinished(Operation operation, Outcome outcome, const wxString& message) override {
        m_finished = true;
        m_operation = operation;
        m_outcome = outcome;
        m_message = message;
        Add("finished");
    }
    void OnServerDiscovered(const wxString&, const wxString&) override {}
    void OnDiscoveryFinished() override {}

    bool Saw(const std::string& event) const {
        return std::find(m_events.begin(), m_events.end(), event) != m_events.end();
    }

    std::vector<std::string> m_events;
    bool m_offMainThread = false;
    bool m_finished = false;
    Operation m_operation = Operation::SCAN;
    Outcome m_outcome = Outcome::DONE;
    wxString m_message;
    int m_lastPercent = -2;
    VEQUIController::ConnectionDetails m_connected;
    std::vector<VEQTypes::VEQScannedJob> m_jobs;

private:
    void Note() { m_offMainThread = m_offMainThread || !wxIsMainThread(); }
    void Add(const std::string& event) {
        Note();
        m_events.push_back(event);
    }
};

class ControllerTest : public testing::Test {
protected:
    void SetUp() override {
        veqfake::EnsureWxApp();
        m_plugin = std::make_shared<FakePlugin>();
        m_target = std::make_unique<wxEvtHandler>();
    }
    void TearDown() override {
        m_controller.reset();
        m_target.reset();
        EXPECT_FALSE(m_listener.m_offMainThread) << "a report came on another thread";
    }

    void Make(bool pluginMode = true) {
        m_plugin->m_pluginMode = pluginMode;
        m_controller = std::make_unique<VEQUIController>(m_plugin, m_target.get(), m_listener,
                                                         std::make_pair(false, VEQTypes::PDF));
    }
    void MakeConnected(bool pluginMode = true) {
        Make(pluginMode);
        ASSERT_TRUE(m_controller->Connect("127.0.0.1"));
        ASSERT_TRUE(PumpUntil([this]() { return m_controller->IsConnected(); }));
    }
    std::vector<std::string> PluginCalls() const { return m_plugin->m_log.Calls(); }
    bool Called(const std::string& call) const { return m_plugin->m_log.Count(call) > 0; }
    void StartScan() {
        ASSERT_TRUE(m_controller->StartScan(VEQTypes::ScanInitiateAttributes()));
        ASSERT_TRUE(PumpUntil([this]() { return m_controller->GetActivity() == Activity::SCANNING; }));
    }
    void EmitScan(int type, int jobId = 41, int pages = 1) {
        m_plugin->ScanAPI()->EmitScan(type, jobId, pages, "127.0.0.1");
    }
    void EmitDefaultSave(SaveEvent::Kind kind, int jobId = 41, const wxString& message = wxString()) {
        m_plugin->ScanAPI()->m_defaultMailbox->EmitSave(kind, jobId, kind == SaveEvent::COMPLETED ? 100 : 50,
                                                        message);
    }
    bool WaitFinished() {
        return PumpUntil([this]() { return m_listener.m_finished; });
    }

    std::shared_ptr<FakePlugin> m_plugin;
    std::unique_ptr<wxEvtHandler> m_target;
    RecordingListener m_listener;
    std::unique_ptr<VEQUIController> m_controller;
};

TEST_F(ControllerTest, ConnectLogsInOffTheMainThreadAndRecordsTheServer) {
    MakeConnected();
    EXPECT_TRUE(Called("SetServer 127.0.0.1 [worker]"));
    EXPECT_TRUE(m_listener.Saw("connected Fake Controller"));
    EXPECT_TRUE(m_listener.m_connected.m_scanSupported);
    EXPECT_EQ(m_listener.m_connected.m_scanOptions.m_sources.size(), 2u);
    std::shared_ptr<VEQConfig> config = VEQDataSource::Get().GetConfig();
    ASSERT_TRUE(config);
    EXPECT_EQ(config->GetCurrentServer().m_ip, "127.0.0.1");
    EXPECT_EQ(config->GetCurrentServer().m_name, "Fake Controller");
    EXPECT_TRUE(config->isServerAvailableInRecent("127.0.0.1"));
}

TEST_F(ControllerTest, RefusedLoginIsReportedAndLeavesNoConnection) {
    m_plugin->m_connects = false;
    Make();
    ASSERT_TRUE(m_controller->Connect("127.0.0.1"));
    ASSERT_TRUE(PumpUntil([this]() { return m_listener.Saw("connect failed 127.0.0.1"); }));
    EXPECT_FALSE(m_controller->IsConnected());
    EXPECT_FALSE(m_controller->StartScan(VEQTypes::ScanInitiateAttributes()));
    EXPECT_FALSE(m_controller->OpenMailbox("Box", ""));
}

TEST_F(ControllerTest, ScanRunsInTheOrderThePluginExpects) {
    for (bool pluginMode : {true, false}) {
        SCOPED_TRACE(pluginMode ? "plug-in mode" : "application mode");
        SetUp();
        m_listener = RecordingListener();
        MakeConnected(pluginMode);
        StartScan();
        ASSERT_TRUE(PumpUntil([this]() { return m_plugin->m_log.Calls().size() >= 2; }));
        EmitScan(ScanEvent::PAGE_SCANNED, 41, 1);
        EmitScan(ScanEvent::CREATED, 41);
        ASSERT_TRUE(PumpUntil([this]() { return Called("OnScanCompleted"); }));
        EmitDefaultSave(SaveEvent::PROGRESS);
        EmitDefaultSave(SaveEvent::COMPLETED);
        ASSERT_TRUE(WaitFinished());
        EXPECT_EQ(m_listener.m_outcome, Outcome::DONE);
        EXPECT_EQ(m_listener.m_operation, Operation::SCAN);
        const std::string initScan = pluginMode ? "InitScan [worker]" : "InitScan";
        EXPECT_EQ(PluginCalls(), (std::vector<std::string>{"SetServer 127.0.0.1 [worker]", initScan,
                                                           "OnScanCompleted", "OnDownloadCompleted"}));
        EXPECT_EQ(m_controller->GetActivity(), Activity::NONE);
        TearDown();
    }
}

TEST_F(ControllerTest, ScanEventsThatComeBeforeInitScanAnswersWaitForIt) {
    MakeConnected();
    std::atomic<bool> initScanReturned{false};
    m_plugin->m_duringInitScan = [this, &initScanReturned]() {
        // The controller reports its job before the start call has returned.
        EmitScan(ScanEvent::PAGE_SCANNED, 41, 1);
        EmitScan(ScanEvent::CREATED, 41);
        // Give the main thread the chance to (wrongly) act on them now.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_FALSE(Called("OnScanCompleted")) << "OnScanCompleted ran while InitScan was still running";
        initScanReturned = true;
    };
    StartScan();
    ASSERT_TRUE(PumpUntil([this]() { return Called("OnScanCompleted"); }));
    EXPECT_TRUE(initScanReturned);
    EmitDefaultSave(SaveEvent::COMPLETED);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(m_listener.m_outcome, Outcome::DONE);
}

TEST_F(ControllerTest, AFailedSaveNeverReachesOnDownloadCompleted) {
    MakeConnected();
    StartScan();
    EmitScan(ScanEvent::CREATED, 41);
    ASSERT_TRUE(PumpUntil([this]() { return Called("OnScanCompleted"); }));
    EmitDefaultSave(SaveEvent::FAILED, 41, "Error... Unexpected error from the Zelto server.");
    EmitDefaultSave(SaveEvent::COMPLETED);  // nothing after the failure counts
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(m_listener.m_outcome, Outcome::FAILED);
    EXPECT_EQ(m_listener.m_message, "Error... Unexpected error from the Zelto server.");
    PumpBriefly();
    EXPECT_FALSE(Called("OnDownloadCompleted"));
}

TEST_F(ControllerTest, ScansThatEndWithoutAJobAreNotDownloaded) {
    const struct {
        int eventType;
        Outcome outcome;
    } cases[] = {
        {ScanEvent::CANCELLED, Outcome::CANCELLED},
        {ScanEvent::FAILED, Outcome::FAILED},
        {ScanEvent::TIMED_OUT, Outcome::FAILED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.eventType);
        SetUp();
        m_listener = RecordingListener();
        MakeConnected();
        StartScan();
        EmitScan(c.eventType, 41);
        ASSERT_TRUE(WaitFinished());
        EXPECT_EQ(m_listener.m_outcome, c.outcome);
        EmitScan(ScanEvent::CREATED, 41);
        PumpBriefly();
        EXPECT_FALSE(Called("OnScanCompleted"));
        TearDown();
    }
}

TEST_F(ControllerTest, InitScanRefusalsEndTheScan) {
    const struct {
        int result;
        Outcome outcome;
    } cases[] = {{1, Outcome::FAILED}, {2, Outcome::REFUSED}, {3, Outcome::CANCELLED}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        SetUp();
        m_listener = RecordingListener();
        m_plugin->m_initScanResult = c.result;
        MakeConnected();
        ASSERT_TRUE(m_controller->StartScan(VEQTypes::ScanInitiateAttributes()));
        ASSERT_TRUE(WaitFinished());
        EXPECT_EQ(m_listener.m_outcome, c.outcome);
        EXPECT_EQ(m_controller->GetActivity(), Activity::NONE);
        TearDown();
    }
}

TEST_F(ControllerTest, ARefusedDownloadEndsTheScanAsFailed) {
    m_plugin->m_scanCompletedResult = 0;
    MakeConnected();
    StartScan();
    EmitScan(ScanEvent::CREATED, 41);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(m_listener.m_outcome, Outcome::FAILED);
    EmitDefaultSave(SaveEvent::COMPLETED);
    PumpBriefly();
    EXPECT_FALSE(Called("OnDownloadCompleted"));
}

TEST_F(ControllerTest, CancelWhileTheScanStartsCancelsItOnceItHasAJob) {
    MakeConnected();
    Gate gate;
    m_plugin->m_duringInitScan = gate.Waiter();
    StartScan();
    m_controller->Cancel();
    gate.Open();
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(m_listener.m_outcome, Outcome::CANCELLED);
    ASSERT_TRUE(PumpUntil([this]() { return m_plugin->ScanAPI()->m_log.Count("CancelScan") == 1; }));
    EmitScan(ScanEvent::CREATED, 41);
    PumpBriefly();
    EXPECT_FALSE(Called("OnScanCompleted"));
}

// The dialog closed while its scan runs: the controller goes at once, and the
// controller must still hear of the cancel, whichever phase the scan is in.
TEST_F(ControllerTest, AScanCancelledAsTheControllerGoesIsCancelledOnTheController) {
    // Starting: the controller goes while InitScan still waits.
    {
        MakeConnected();
        Gate gate;
        m_plugin->m_duringInitScan = gate.Waiter();
        StartScan();
        // Queued work not yet begun is dropped when the controller goes.
        ASSERT_TRUE(PumpUntil([this]() { return Called("InitScan [worker]"); }));
        m_controller->Cancel();
        gate.OpenSoon();
        m_controller.reset();  // waits for InitScan
        EXPECT_EQ(m_plugin->ScanAPI()->m_log.Count("CancelScan"), 1u);
    }
    // Scanning: the cancel waits behind other work on the controller's thread.
    {
        m_plugin = std::make_shared<FakePlugin>();
        auto mailbox = m_plugin->ScanAPI()->AddMailbox("Accounting", "1234");
        MakeConnected(false);
        ASSERT_TRUE(m_controller->OpenMailbox("Accounting", "1234"));
        ASSERT_TRUE(PumpUntil([this]() { return m_listener.Saw("mailbox Accounting 0"); }));
        Gate gate;
        mailbox->m_duringRefresh = gate.Waiter();
        ASSERT_TRUE(m_controller->RefreshMailbox());
        m_controller->Cancel();  // the panel stops waiting; the refresh still holds the thread
        StartScan();
        m_controller->Cancel();
        gate.OpenSoon();
        m_controller.reset();  // waits for the refresh, then runs the cancel
        EXPECT_EQ(m_plugin->ScanAPI()->m_log.Count("CancelScan"), 1u);
    }
}

TEST_F(ControllerTest, ALostConnectionEndsARunningScanButAStaleReportDoesNot) {
    MakeConnected();
    StartScan();
    // A report of an earlier state, while the server is connected now.
    veqfake::EmitFromOtherThread([this]() { m_plugin->m_server->m_serverStatusSignal(VEQTypes::DISCONNECTED); });
    PumpBriefly();
    EXPECT_FALSE(m_listener.m_finished);
    EXPECT_TRUE(m_controller->IsConnected());

    m_plugin->m_server->EmitStatus(VEQTypes::DISCONNECTED);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(m_listener.m_outcome, Outcome::FAILED);
    const std::string lost = "Fake Controller (127.0.0.1) did not answer or closed the connection.";
    EXPECT_EQ(m_listener.m_message, lost);
    EXPECT_TRUE(m_listener.Saw("lost " + lost));
    EXPECT_FALSE(m_controller->IsConnected());
}

TEST_F(ControllerTest, AMailboxThatOpensAfterTheConnectionWasLostIsDropped) {
    m_plugin->ScanAPI()->AddMailbox("Accounting", "1234");
    MakeConnected();
    Gate gate;
    m_plugin->ScanAPI()->m_duringGetMailBox = gate.Waiter();
    ASSERT_TRUE(m_controller->OpenMailbox("Accounting", "1234"));
    m_plugin->m_server->EmitStatus(VEQTypes::DISCONNECTED);
    ASSERT_TRUE(PumpUntil([this]() { return m_listener.m_finished; }));
    EXPECT_EQ(m_listener.m_operation, Operation::OPEN_MAILBOX);
    EXPECT_EQ(m_listener.m_outcome, Outcome::FAILED);
    EXPECT_EQ(m_controller->GetActivity(), Activity::NONE);
    gate.Open();
    PumpBriefly();
    EXPECT_FALSE(m_controller->HasMailbox());
    EXPECT_FALSE(m_listener.Saw("mailbox Accounting 0"));
}

TEST_F(ControllerTest, RetrievalWaitsForItsOwnJobOnly) {
    auto mailbox = m_plugin->ScanAPI()->AddMailbox("Accounting", "1234");
    mailbox->AddJob(7, "Invoice", 2);
    mailbox->AddJob(8, "Receipts", 5);
    MakeConnected();
    ASSERT_TRUE(m_controller->OpenMailbox("Accounting", "1234"));
    ASSERT_TRUE(PumpUntil([this]() { return m_listener.Saw("mailbox Accounting 2"); }));
    EXPECT_EQ(m_plugin->ScanAPI()->GetCurrentMailbox(), mailbox);

    ASSERT_TRUE(m_controller->StartRetrieve(m_listener.m_jobs[0]));
    EXPECT_TRUE(Called("InitMailBoxRetrive 7"));
    mailbox->EmitSave(SaveEvent::COMPLETED, 8, 100);
    PumpBriefly();
    EXPECT_FALSE(m_listener.m_finished);
    mailbox->EmitSave(SaveEvent::COMPLETED, 7, 100);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(m_listener.m_operation, Operation::RETRIEVE);
    EXPECT_EQ(m_listener.m_outcome, Outcome::DONE);
    EXPECT_EQ(m_plugin->m_log.Count("OnDownloadCompleted"), 1u);
}

TEST_F(ControllerTest, WrongMailboxCredentialsAreRefused) {
    m_plugin->ScanAPI()->AddMailbox("Accounting", "1234");
    MakeConnected();
    ASSERT_TRUE(m_controller->OpenMailbox("Accounting", "4321"));
    ASSERT_TRUE(PumpUntil([this]() { return m_listener.Saw("mailbox refused Accounting"); }));
    EXPECT_FALSE(m_controller->HasMailbox());
    EXPECT_TRUE(m_plugin->ScanAPI()->m_log.Count("GetMailBox Accounting:4321") == 1);
}

TEST_F(ControllerTest, RefreshedJobListsArriveAsCopiesOnTheMainThread) {
    auto mailbox = m_plugin->ScanAPI()->AddMailbox("Box", "");
    mailbox->AddJob(1, "One", 1);
    MakeConnected();
    ASSERT_TRUE(m_controller->OpenMailbox("Box", ""));
    ASSERT_TRUE(PumpUntil([this]() { return m_listener.Saw("mailbox Box 1"); }));
    mailbox->AddJob(2, "Two", 1);
    veqfake::EmitFromOtherThread([mailbox]() { mailbox->m_jobsRefreshedSignal(); });
    ASSERT_TRUE(PumpUntil([this]() { return m_listener.Saw("jobs 2"); }));
    mailbox->m_jobs->clear();  // a later refill does not touch the copy shown
    EXPECT_EQ(m_listener.m_jobs.size(), 2u);
}

TEST_F(ControllerTest, DeletingAJobRefreshesTheMailbox) {
    auto mailbox = m_plugin->ScanAPI()->AddMailbox("Box", "");
    mailbox->AddJob(1, "One", 1);
    MakeConnected();
    ASSERT_TRUE(m_controller->OpenMailbox("Box", ""));
    ASSERT_TRUE(PumpUntil([this]() { return m_controller->HasMailbox(); }));
    for (bool accepted : {true, false}) {
        SCOPED_TRACE(accepted);
        mailbox->m_acceptDeletes = accepted;
        m_listener.m_finished = false;
        ASSERT_TRUE(m_controller->DeleteJob(1));
        ASSERT_TRUE(WaitFinished());
        EXPECT_EQ(m_listener.m_operation, Operation::DELETE_JOB);
        EXPECT_EQ(m_listener.m_outcome, accepted ? Outcome::DONE : Outcome::FAILED);
    }
    EXPECT_EQ(mailbox->m_log.Count("Delete 1"), 2u);
    EXPECT_EQ(mailbox->m_log.Count("Refresh"), 1u);
}

// Whatever waits on the network can be left: Cancel and Disconnect end it at
// once, and its late answer changes nothing.
TEST_F(ControllerTest, EveryWaitOnTheNetworkCanBeCancelledOrDisconnected) {
    enum Wait { OPENING, REFRESHING, DELETING };
    const struct {
        const char* name;
        Wait wait;
        bool disconnect;
        Operation operation;
    } cases[] = {
        {"cancel opening", OPENING, false, Operation::OPEN_MAILBOX},
        {"disconnect opening", OPENING, true, Operation::OPEN_MAILBOX},
        {"cancel refresh", REFRESHING, false, Operation::REFRESH},
        {"disconnect refresh", REFRESHING, true, Operation::REFRESH},
        {"cancel deletion", DELETING, false, Operation::DELETE_JOB},
        {"disconnect deletion", DELETING, true, Operation::DELETE_JOB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_controller.reset();
        m_listener = RecordingListener();
        m_plugin = std::make_shared<FakePlugin>();
        auto mailbox = m_plugin->ScanAPI()->AddMailbox("Accounting", "1234");
        mailbox->AddJob(7, "Invoice", 2);
        MakeConnected();
        Gate gate;
        if (c.wait == OPENING) {
            m_plugin->ScanAPI()->m_duringGetMailBox = gate.Waiter();
            ASSERT_TRUE(m_controller->OpenMailbox("Accounting", "1234"));
        } else {
            ASSERT_TRUE(m_controller->OpenMailbox("Accounting", "1234"));
            ASSERT_TRUE(PumpUntil([this]() { return m_controller->HasMailbox(); }));
            mailbox->m_duringRefresh = gate.Waiter();
            ASSERT_TRUE(c.wait == REFRESHING ? m_controller->RefreshMailbox() : m_controller->DeleteJob(7));
        }
        if (c.disconnect) {
            EXPECT_TRUE(m_controller->Disconnect());
            EXPECT_TRUE(m_listener.Saw("status 3"));
            EXPECT_FALSE(m_controller->IsConnected());
        } else {
            m_controller->Cancel();
            EXPECT_TRUE(m_controller->IsConnected());
        }
        EXPECT_EQ(m_controller->GetActivity(), Activity::NONE);
        ASSERT_TRUE(m_listener.m_finished);
        EXPECT_EQ(m_listener.m_operation, c.operation);
        EXPECT_EQ(m_listener.m_outcome, Outcome::CANCELLED);
        const size_t reports = m_listener.m_events.size();
        gate.Open();
        PumpBriefly();
        // The list of a mailbox still open may change; nothing else is reported.
        for (size_t i = reports; i < m_listener.m_events.size(); ++i) {
            EXPECT_TRUE(!c.disconnect && m_listener.m_events[i].rfind("jobs ", 0) == 0)
                << "a late answer was reported: " << m_listener.m_events[i];
        }
        if (c.wait == OPENING) {
            EXPECT_FALSE(m_controller->HasMailbox());
        }
    }
}

// A failure that leaves the server without its connection (an unanswered call)
// is a lost connection, not a refusal.
TEST_F(ControllerTest, AFailureThatLostTheConnectionIsReportedAsLost) {
    m_plugin->ScanAPI()->AddMailbox("Accounting", "1234");
    MakeConnected();
    m_plugin->ScanAPI()->m_duringGetMailBox = [this]() { m_plugin->m_server->SetStatus(VEQTypes::DISCONNECTED); };
    ASSERT_TRUE(m_controller->OpenMailbox("Accounting", "4321"));
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(m_listener.m_operation, Operation::OPEN_MAILBOX);
    EXPECT_EQ(m_listener.m_outcome, Outcome::FAILED);
    EXPECT_FALSE(m_listener.Saw("mailbox refused Accounting"));
    EXPECT_TRUE(m_listener.Saw("lost Fake Controller (127.0.0.1) did not answer or closed the connection."));
    EXPECT_FALSE(m_controller->IsConnected());
}

TEST_F(ControllerTest, WorkPostedBeforeTheControllerGoesIsDropped) {
    MakeConnected();
    StartScan();
    const size_t reports = m_listener.m_events.size();
    EmitScan(ScanEvent::CANCELLED, 41);  // posted, not yet run
    m_controller.reset();
    PumpBriefly();
    EXPECT_EQ(m_listener.m_events.size(), reports);
}

}  // namespace
