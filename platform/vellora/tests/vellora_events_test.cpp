// Event subscriptions, tickets and connection monitors: callbacks run on the
// library's threads, cancelled tickets stay silent, lost connections are told
// once.
#include "ClientTestSupport.h"

using namespace clienttest;

namespace {

class EventsTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        ScanEvents().Clear();
        Alerts().Clear();
    }
};

TEST_F(EventsTest, ScanAlertAndServerEventsArriveOnLibraryThreads) {
    VelloraServerHandle* h = Open();
    VelloraNBTicket scan{}, alerts{}, server{};
    Recorder serverEvents;
    ASSERT_EQ(SCAN_getEventsEx(h, OnScanEvent, &scan), VELLORA_OK);
    ASSERT_EQ(SCAN_getAlertEvents(h, OnAlert, &alerts), VELLORA_OK);
    ASSERT_EQ(SERVER_getEventsEx(
                  h, [](VelloraServerEvent* e, void* ctx) { static_cast<Recorder*>(ctx)->Add(Seen{e->type, e->id, e->server, "", {}}); },
                  &serverEvents, &server),
              VELLORA_OK);
    Sim().RaiseScanEvent(VELLORA_SCAN_EVENT_CONFIG_CHANGED, 0);
    Sim().RaiseAlert(VELLORA_ALERT_KIND_LOCALE_KEY, "PAPER_JAM", 4);
    Sim().RaiseServerEvent(3, 9);
    ASSERT_TRUE(ScanEvents().WaitFor(1));
    ASSERT_TRUE(Alerts().WaitFor(1));
    ASSERT_TRUE(serverEvents.WaitFor(1));
    auto e = ScanEvents().All().front();
    EXPECT_EQ(e.type, VELLORA_SCAN_EVENT_CONFIG_CHANGED);
    EXPECT_EQ(e.server, h) << "events name the handle they came on";
    EXPECT_NE(e.thread, std::this_thread::get_id());
    auto a = Alerts().All().front();
    EXPECT_EQ(a.type, VELLORA_ALERT_KIND_LOCALE_KEY);
    EXPECT_EQ(a.text, "PAPER_JAM");
    EXPECT_EQ(a.id, 4);
    auto s = serverEvents.All().front();
    EXPECT_EQ(s.type, 3);
    EXPECT_EQ(s.id, 9);
    for (auto* t : {&scan, &alerts, &server}) EXPECT_EQ(NB_cancel_block_destroy(t), VELLORA_OK);
}

TEST_F(EventsTest, AJobDeletedByOneClientIsToldToEverySubscriber) {
    VelloraServerHandle* deleter = Open();
    VelloraServerHandle* watcher = Open();
    VelloraNBTicket ticket{};
    ASSERT_EQ(SCAN_getEventsEx(watcher, OnScanEvent, &ticket), VELLORA_OK);
    VelloraScanSession session = Session(deleter);
    ASSERT_EQ(SCAN_deleteJobInMailbox(&session, "", "", 1, 0), VELLORA_OK);
    ASSERT_TRUE(ScanEvents().WaitFor(1));
    auto e = ScanEvents().All().front();
    EXPECT_EQ(e.type, VELLORA_SCAN_EVENT_DELETED);
    EXPECT_EQ(e.id, 1);
    EXPECT_EQ(e.server, watcher);
    // The control interface's additions and deletions are told the same way.
    zeltosim::JobOptions job;
    int id = Sim().AddJob(job);
    ASSERT_TRUE(Sim().DeleteJob(id));
    ASSERT_TRUE(ScanEvents().WaitFor(3));
    auto all = ScanEvents().All();
    EXPECT_EQ(all[1].type, VELLORA_SCAN_EVENT_CREATED);
    EXPECT_EQ(all[1].id, id);
    EXPECT_EQ(all[2].type, VELLORA_SCAN_EVENT_DELETED);
    NB_cancel_block_destroy(&ticket);
}

// A callback that takes a while, so that cancellation meets it running.
std::atomic<int> g_slowCalls{0};
std::atomic<bool> g_slowRunning{false};
void SlowScanEvent(VelloraScanEventEx*) {
    g_slowRunning = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ++g_slowCalls;
    g_slowRunning = false;
}

TEST_F(EventsTest, CancelBlockDestroyWaitsForARunningCallbackAndNoneFollows) {
    VelloraServerHandle* h = Open();
    VelloraNBTicket ticket{};
    g_slowCalls = 0;
    ASSERT_EQ(SCAN_getEventsEx(h, SlowScanEvent, &ticket), VELLORA_OK);
    for (int i = 0; i < 5; ++i) Sim().RaiseScanEvent(VELLORA_SCAN_EVENT_PAGE_SCANNED, 1);
    ASSERT_TRUE(veqtest::WaitFor([] { return g_slowRunning.load(); }));
    EXPECT_EQ(NB_cancel_block_destroy(&ticket), VELLORA_OK);
    EXPECT_FALSE(g_slowRunning.load()) << "returned while the callback ran";
    int after = g_slowCalls;
    EXPECT_GE(after, 1) << "the running callback finished";
    EXPECT_LT(after, 5) << "the queued ones were dropped";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(g_slowCalls.load(), after) << "no callback after the ticket was destroyed";
    EXPECT_EQ(ticket.id, 0u);
    EXPECT_EQ(NB_cancel(&ticket), VELLORA_INVALID_HANDLE);
}

TEST_F(EventsTest, CheckTicketTellsPendingFromFinished) {
    VelloraServerHandle* h = Open();
    int result = 1, status = 1;
    VelloraNBTicket zeroed{};
    EXPECT_EQ(NB_checkTicket(&zeroed, &result, 0, &status), VELLORA_OK);
    EXPECT_NE(status, VELLORA_PENDING) << "a zeroed ticket that never ran";
    VelloraNBTicket ticket{};
    ASSERT_EQ(SCAN_getEventsEx(h, OnScanEvent, &ticket), VELLORA_OK);
    ASSERT_EQ(NB_checkTicket(&ticket, &result, 0, &status), VELLORA_OK);
    EXPECT_EQ(status, VELLORA_PENDING);
    ASSERT_EQ(NB_cancel(&ticket), VELLORA_OK);
    ASSERT_EQ(NB_checkTicket(&ticket, &result, 0, &status), VELLORA_OK);
    EXPECT_EQ(status, VELLORA_CANCELED);
    EXPECT_EQ(NB_block(&ticket), VELLORA_OK);
    EXPECT_EQ(NB_destroy(&ticket), VELLORA_OK);
    VelloraNBTicket garbage{77, 99};
    EXPECT_EQ(NB_checkTicket(&garbage, &result, 0, &status), VELLORA_INVALID_HANDLE);
    EXPECT_NE(status, VELLORA_PENDING);
}

TEST_F(EventsTest, WaitForProgressCountsEventsAndTimesOut) {
    VelloraServerHandle* h = Open();
    VelloraNBTicket ticket{};
    ASSERT_EQ(SCAN_getEventsEx(h, OnScanEvent, &ticket), VELLORA_OK);
    int progress = -1;
    EXPECT_EQ(NB_waitForProgress(&ticket, 50, &progress), VELLORA_TIMEOUT);
    EXPECT_EQ(progress, 0);
    std::thread raiser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Sim().RaiseScanEvent(VELLORA_SCAN_EVENT_PAGE_SCANNED, 1);
    });
    EXPECT_EQ(NB_waitForProgress(&ticket, 5000, &progress), VELLORA_OK);
    EXPECT_EQ(progress, 1);
    raiser.join();
    NB_cancel_block_destroy(&ticket);
}

struct MonitorCase {
    const char* name;
    void (*lose)(zeltosim::Simulator&);
};

class MonitorTest : public EventsTest, public ::testing::WithParamInterface<MonitorCase> {};

TEST_P(MonitorTest, ALostConnectionFiresTheMonitorCallbackOnce) {
    VelloraServerHandle* h = Open();
    VelloraNBTicket monitor{}, events{};
    Recorder lost;
    ASSERT_EQ(INIT_monitorServer(h, 3, 60, &monitor), VELLORA_OK);
    ASSERT_EQ(NB_registerCallback(&monitor, &lost, OnMonitor), VELLORA_OK);
    ASSERT_EQ(SCAN_getEventsEx(h, OnScanEvent, &events), VELLORA_OK);
    GetParam().lose(Sim());
    ASSERT_TRUE(lost.WaitFor(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(lost.Count(), 1u);
    EXPECT_NE(lost.All().front().thread, std::this_thread::get_id());
    char* value = nullptr;
    EXPECT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_CONNECTION_FAILED);
    int result = 0, status = 0;
    NB_checkTicket(&events, &result, 0, &status);
    EXPECT_EQ(status, VELLORA_CONNECTION_FAILED) << "subscriptions end with their connection";
    EXPECT_EQ(NB_cancel_block_destroy(&monitor), VELLORA_OK);
    EXPECT_EQ(NB_cancel_block_destroy(&events), VELLORA_OK);
    EXPECT_EQ(lost.Count(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Losses, MonitorTest,
                         ::testing::Values(MonitorCase{"Dropped", [](zeltosim::Simulator& s) { s.DropConnections(); }},
                                           MonitorCase{"Stopped", [](zeltosim::Simulator& s) { s.Stop(); }}),
                         [](const ::testing::TestParamInfo<MonitorCase>& info) { return info.param.name; });

TEST_F(EventsTest, AMonitorRegisteredAfterTheLossStillFiresOnce) {
    VelloraServerHandle* h = Open();
    VelloraNBTicket monitor{};
    ASSERT_EQ(INIT_monitorServer(h, 3, 60, &monitor), VELLORA_OK);
    Sim().DropConnections();
    ASSERT_TRUE(veqtest::WaitFor([&] {
        char* v = nullptr;
        return QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &v, 0) == VELLORA_CONNECTION_FAILED;
    }));
    Recorder lost;
    ASSERT_EQ(NB_registerCallback(&monitor, &lost, OnMonitor), VELLORA_OK);
    ASSERT_TRUE(lost.WaitFor(1));
    EXPECT_EQ(NB_cancel_block_destroy(&monitor), VELLORA_OK);
    EXPECT_EQ(lost.Count(), 1u);
}

TEST_F(EventsTest, UnansweredProbesCountAsALostConnection) {
    VelloraServerHandle* h = Open();
    VelloraNBTicket monitor{};
    Recorder lost;
    ASSERT_EQ(INIT_monitorServer(h, 1, 1, &monitor), VELLORA_OK);
    ASSERT_EQ(NB_registerCallback(&monitor, &lost, OnMonitor), VELLORA_OK);
    Sim().Hang();
    EXPECT_TRUE(lost.WaitFor(1, std::chrono::seconds(10)));
    Sim().Resume();
    EXPECT_EQ(NB_cancel_block_destroy(&monitor), VELLORA_OK);
    EXPECT_EQ(lost.Count(), 1u);
}

TEST_F(EventsTest, ADisconnectSilencesEveryTicketOfTheConnection) {
    VelloraServerHandle* h = Open();
    handles.clear();
    VelloraNBTicket monitor{}, events{};
    Recorder lost;
    ASSERT_EQ(INIT_monitorServer(h, 3, 60, &monitor), VELLORA_OK);
    ASSERT_EQ(NB_registerCallback(&monitor, &lost, OnMonitor), VELLORA_OK);
    ASSERT_EQ(SCAN_getEventsEx(h, OnScanEvent, &events), VELLORA_OK);
    ASSERT_EQ(INIT_disconnect(h, 0), VELLORA_OK);
    Sim().RaiseScanEvent(VELLORA_SCAN_EVENT_CREATED, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(lost.Count(), 0u) << "a disconnect is not a lost connection";
    EXPECT_EQ(ScanEvents().Count(), 0u);
    EXPECT_EQ(NB_cancel_block_destroy(&monitor), VELLORA_OK);
    EXPECT_EQ(NB_cancel_block_destroy(&events), VELLORA_OK);
}

// A callback that disconnects its own handle: the library must not wait for itself.
std::atomic<bool> g_selfDone{false};
void DisconnectFromCallback(VelloraScanEventEx* e) {
    g_selfDone = INIT_disconnect(e->server, 0) == VELLORA_OK;
}

TEST_F(EventsTest, ACallbackMayDisconnectItsOwnHandle) {
    VelloraServerHandle* h = Open();
    handles.clear();
    VelloraNBTicket events{};
    g_selfDone = false;
    ASSERT_EQ(SCAN_getEventsEx(h, DisconnectFromCallback, &events), VELLORA_OK);
    Sim().RaiseScanEvent(VELLORA_SCAN_EVENT_CREATED, 1);
    EXPECT_TRUE(veqtest::WaitFor([] { return g_selfDone.load(); }));
    EXPECT_EQ(NB_cancel_block_destroy(&events), VELLORA_OK);
}

}  // namespace
