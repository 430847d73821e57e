// The SDK wrapper against a simulated controller: what each operation asks of
// the controller, what it keeps open, and the order in which it lets go.
#include "WrapperTestSupport.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using wrappertest::Of;
using wrappertest::WrapperTest;

TEST(VelloraResultString, NamesTheSdkResultsAndNothingElse) {
    const struct {
        int code;
        const char* text;
    } cases[] = {
        {0, "OK"},
        {-4, "Unknown Vellora Result"},
        {106, "Unknown Vellora Result"},
        {-100, "FUNCTION_NOT_AVAILABLE"},
        {-9, "CONNECTION_FAILED"},
        {-61, "CANNOT_REUSE_NBTICKET"},
        {-202, "SCAN_DISK_PARTITION_FULL"},
        {105, "A vellora function is not found"},
        {1, "Unknown Vellora Result"},
    };
    for (const auto& c : cases) EXPECT_EQ(VelloraWrapperIntf::GetVelloraResultString(c.code), c.text) << c.code;
    int named = 0;
    for (int code = -1000; code <= 1000; ++code)
        if (VelloraWrapperIntf::GetVelloraResultString(code) != "Unknown Vellora Result") ++named;
    EXPECT_EQ(named, 63);
}

TEST(VelloraWrapperIntf, OperationsItDoesNotProvideAreNotAvailable) {
    VelloraWrapperIntf none;
    EXPECT_EQ(none.INIT_connectUTF8("127.0.0.1", "guest", ""), -100);
    EXPECT_EQ(none.SCAN_openSession(), -100);
    EXPECT_EQ(none.SCAN_deleteJobInMailbox("Scans", "pw", 7), -100);
    EXPECT_EQ(none.INIT_monitorServer(3, 15), -100);
    EXPECT_TRUE(none.IsInitiateScanSupported());
    EXPECT_FALSE(none.IsUTF8UserNameSupported());
    EXPECT_EQ(none.GetServerTimeAdjustment(), 0);
    EXPECT_TRUE(none.GetServerName().empty());
    EXPECT_TRUE(none.GetStringInServerEncoding("x").empty());
}

TEST(VelloraScanAlert, DescribesTheAlertOnSeveralLines) {
    char text[] = "Paper jam";
    VelloraScanAlert alert{12, 1, text, 9, 1, nullptr};
    EXPECT_EQ(VelloraWrapperIntf::GetVelloraScanAlert(alert),
              "ID = 12\n\tkind = 1\n\thas_message = 1\n\tmessage = Paper jam");
}

TEST_F(WrapperTest, ServerVersionFollowsTheSystemDictionary) {
    const struct {
        const char* number;  // null: absent
        const char* text;
        long expected;
    } cases[] = {
        {"10", nullptr, 10},
        {"10a", "11", 0},
        {"", "10.2 build 5", 10},
        {nullptr, "9 build 1", 9},
        {nullptr, nullptr, 0},
        {"", "ab", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.number ? c.number : "(none)") + " / " + (c.text ? c.text : "(none)"));
        Json::Value fixture = wrappertest::ServiceFixture();
        fixture["dictionary"]["WB3_SYSTEM"] = Json::objectValue;
        if (c.number) fixture["dictionary"]["WB3_SYSTEM"]["QMVSYSVERNUM"] = c.number;
        if (c.text) fixture["dictionary"]["WB3_SYSTEM"]["QMVSYSVER"] = c.text;
        Start(fixture);
        Connect();
        EXPECT_EQ(Of(wrapper).GetServerVersion(), c.expected);
        wrapper.reset();
        sim.reset();
    }
}

// The service tells a server that answered with a version it cannot use from
// a read that failed: only the failure is worth trying again.
TEST_F(WrapperTest, VersionReadTellsAFailedReadFromAVersionThatIsNoNumber) {
    const struct {
        const char* name;
        const char* number;  // null: absent
        int injected;        // result of the next dictionary read, 0 for none
        int expectedResult;
        long expectedVersion;
    } cases[] = {
        {"number", "10", 0, 0, 10},
        {"no number", "10a", 0, 0, 0},
        {"absent", nullptr, 0, 0, 0},
        {"general failure", "10", VELLORA_GENERAL_FAILURE, VELLORA_GENERAL_FAILURE, 0},
        {"time-out", "10", VELLORA_TIMEOUT, VELLORA_TIMEOUT, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Json::Value fixture = wrappertest::ServiceFixture();
        fixture["dictionary"]["WB3_SYSTEM"] = Json::objectValue;
        if (c.number) fixture["dictionary"]["WB3_SYSTEM"]["QMVSYSVERNUM"] = c.number;
        Start(fixture);
        Connect();
        if (c.injected) sim->InjectResult("QMVM_dictRead", c.injected);
        long version = -1;
        EXPECT_EQ(Of(wrapper).ReadServerVersion(version), c.expectedResult);
        EXPECT_EQ(version, c.expectedVersion);
        wrapper.reset();
        sim.reset();
    }
}

// The stop ends a connection whose call waits for a controller that does not
// answer: the call fails at once instead of at the SDK's time-out, later calls
// fail too, and the destruction has nothing left to wait for.
TEST_F(WrapperTest, AbortEndsACallInFlightAndTheTeardownPause) {
    Start();
    veqtest::ScopedEnv longTimeout("VELLORA_TIMEOUT_MS", "60000");
    Connect();
    ASSERT_EQ(wrapper->SCAN_openSession(), 0);
    sim->Hang();
    std::atomic<int> result{1};
    std::atomic<bool> returned{false};
    std::thread caller([&] {
        ScanJobList* list = nullptr;
        result = wrapper->SCAN_getJobListInMailbox("Scans", "pw", &list);
        wrapper->SCAN_freeScanJobList(list);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the call is waiting now
    EXPECT_FALSE(returned.load());
    Of(wrapper).AbortConnection();
    EXPECT_TRUE(veqtest::WaitFor([&] { return returned.load(); }, std::chrono::seconds(30)))
        << "the call waited for the SDK's time-out";
    caller.join();
    EXPECT_NE(result.load(), 0);
    ScanJobList* list = nullptr;
    EXPECT_NE(wrapper->SCAN_getJobListInMailbox("Scans", "pw", &list), 0);
    sim->Resume();
    wrapper.reset();
    EXPECT_TRUE(sleeps.empty());
}

TEST_F(WrapperTest, Utf8UserNamesFollowTheFeatureAndSuchNamesLogIn) {
    const struct {
        const char* value;  // null: no such feature
        bool expected;
    } cases[] = {{"2", true}, {"3", true}, {"1", false}, {"x", false}, {nullptr, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(none)");
        Json::Value fixture = wrappertest::ServiceFixture();
        fixture["features"] = Json::objectValue;
        if (c.value) fixture["features"]["UTF8_VERSION"] = c.value;
        Json::Value user;
        user["name"] = "J\xc3\xbcrgen";
        user["password"] = "p\xc3\xa9";
        fixture["users"].append(user);
        Start(fixture);
        wrapper.reset(VelloraWrapper::New());
        ASSERT_EQ(wrapper->INIT_connectUTF8("127.0.0.1", "J\xc3\xbcrgen", "p\xc3\xa9"), 0);
        EXPECT_EQ(wrapper->IsUTF8UserNameSupported(), c.expected);
        wrapper.reset();
        sim.reset();
    }
}

TEST_F(WrapperTest, ServerTextsAreReadInTheServersEncoding) {
    const struct {
        const char* encoding;
        const char* text;
        const char* utf8;
    } cases[] = {
        {"SJIS", "\x83\x65\x83\x58\x83\x67", "\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88"},
        {"GBK", "\xd6\xd0\xce\xc4", "\xe4\xb8\xad\xe6\x96\x87"},
        {"UTF8", "Caf\x8e", "Caf\xc3\xa9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.encoding);
        Json::Value fixture = wrappertest::ServiceFixture();
        fixture["defaultEncoding"] = c.encoding;
        Start(fixture);
        Connect();
        EXPECT_EQ(wrapper->GetStringInServerEncoding(c.text), wxString::FromUTF8(c.utf8));
        wrapper.reset();
        sim.reset();
    }
}

TEST_F(WrapperTest, ConnectReadsNameFeaturesAndEncoding) {
    Start();
    Connect();
    EXPECT_TRUE(Of(wrapper).IsConnected());
    EXPECT_EQ(wrapper->GetServerName(), "Front Desk");
    EXPECT_EQ(sim->Calls("INIT_connectUTF8").at(0).Argument("user"), "guest");
    EXPECT_EQ(sim->CallCount("FEAT_getFeatureList"), 1u);
    EXPECT_EQ(sim->CallCount("LOCL_getDefaultEncoding"), 1u);
}

TEST_F(WrapperTest, AConnectWhoseEncodingQueryFailsReportsItAndStillDisconnects) {
    Start();
    sim->InjectResult("LOCL_getDefaultEncoding", -11);
    wrapper.reset(VelloraWrapper::New());
    EXPECT_EQ(wrapper->INIT_connectUTF8("127.0.0.1", "guest", ""), -11);
    sim->ClearCalls();
    wrapper.reset();
    EXPECT_EQ(Functions(), std::vector<std::string>{"INIT_disconnect"});
}

TEST_F(WrapperTest, AFailedConnectLeavesNothingToRelease) {
    Start();
    const struct {
        const char* address;
        int expected;
    } cases[] = {{"10.0.0.5", VELLORA_HOST_UNREACHABLE}, {"127.0.0.1", VELLORA_ACCESS_DENIED}};
    sim->InjectResult("INIT_connectUTF8", VELLORA_ACCESS_DENIED);
    for (const auto& c : cases) {
        wrapper.reset(VelloraWrapper::New());
        EXPECT_EQ(wrapper->INIT_connectUTF8(c.address, "guest", ""), c.expected) << c.address;
        EXPECT_FALSE(Of(wrapper).IsConnected());
        sim->ClearCalls();
        wrapper.reset();
        EXPECT_TRUE(sim->Calls().empty()) << c.address;
    }
}

TEST_F(WrapperTest, AWrapperThatNeverConnectedPausesOnceAndCallsNothing) {
    Start();
    wrapper.reset(VelloraWrapper::New());
    wrapper.reset();
    EXPECT_EQ(sleeps, std::vector<unsigned>{1});
    EXPECT_TRUE(sim->Calls().empty());
}

void NoEvents(VelloraScanEventEx*) {}
void NoLoss(void*) {}

TEST_F(WrapperTest, TeardownReleasesInItsOrderThenPauses) {
    Start();
    Connect();
    ASSERT_EQ(wrapper->SCAN_openSession(), 0);
    ASSERT_EQ(wrapper->SCAN_getEventsEx(NoEvents), 0);
    ASSERT_EQ(wrapper->INIT_monitorServer(3, 15), 0);
    ASSERT_EQ(wrapper->NB_registerCallback(NoLoss, nullptr), 0);
    EXPECT_EQ(sim->Calls("INIT_monitorServer").at(0).Argument("interval"), "15");
    sim->ClearCalls();
    wrapper.reset();
    const auto calls = sim->Calls();
    ASSERT_EQ(Functions(),
              (std::vector<std::string>{"NB_cancel", "SCAN_closeSession", "NB_cancel", "INIT_disconnect"}));
    EXPECT_EQ(calls[0].Argument("ticket"), "SCAN_getEventsEx");
    EXPECT_EQ(calls[2].Argument("ticket"), "INIT_monitorServer");
    EXPECT_EQ(sleeps, std::vector<unsigned>{1});
}

TEST_F(WrapperTest, AFailedCloseOfTheScanSessionIsRetriedByTheDestructor) {
    Start();
    Connect();
    ASSERT_EQ(wrapper->SCAN_openSession(), 0);
    sim->InjectResult("SCAN_closeSession", VELLORA_GENERAL_FAILURE);
    EXPECT_EQ(wrapper->SCAN_closeSession(), VELLORA_GENERAL_FAILURE);
    EXPECT_TRUE(Of(wrapper).IsScanSessionOpen());
    wrapper.reset();
    const auto closes = sim->Calls("SCAN_closeSession");
    ASSERT_EQ(closes.size(), 2u);
    EXPECT_EQ(closes[0].result, VELLORA_GENERAL_FAILURE);
    EXPECT_EQ(closes[1].result, 0);
}

TEST_F(WrapperTest, AMonitorWhoseCallbackCannotBeRegisteredIsStillReleased) {
    Start();
    Connect();
    ASSERT_EQ(wrapper->INIT_monitorServer(3, 15), 0);
    EXPECT_NE(wrapper->NB_registerCallback(nullptr, nullptr), 0);
    EXPECT_TRUE(Of(wrapper).IsMonitorTicketHeld());
    sim->ClearCalls();
    wrapper.reset();
    ASSERT_EQ(Functions(), (std::vector<std::string>{"NB_cancel", "INIT_disconnect"}));
    EXPECT_EQ(sim->Calls()[0].Argument("ticket"), "INIT_monitorServer");
}

TEST_F(WrapperTest, ASecondSubscriptionOrMonitorReplacesTheFirst) {
    Start();
    Connect();
    ASSERT_EQ(wrapper->SCAN_getEventsEx(NoEvents), 0);
    ASSERT_EQ(wrapper->INIT_monitorServer(3, 15), 0);
    sim->ClearCalls();
    ASSERT_EQ(wrapper->SCAN_getEventsEx(NoEvents), 0);
    ASSERT_EQ(wrapper->INIT_monitorServer(3, 15), 0);
    ASSERT_EQ(Functions(),
              (std::vector<std::string>{"NB_cancel", "SCAN_getEventsEx", "NB_cancel", "INIT_monitorServer"}));
    sim->ClearCalls();
    wrapper.reset();
    EXPECT_EQ(sim->CallCount("NB_cancel"), 2u) << "only the live tickets are left to release";
}

TEST_F(WrapperTest, ExplicitClosesLeaveTheDestructorOnlyThePause) {
    Start();
    Connect();
    ASSERT_EQ(wrapper->SCAN_openSession(), 0);
    ASSERT_EQ(wrapper->SCAN_closeSession(), 0);
    ASSERT_EQ(wrapper->INIT_disconnect(), 0);
    EXPECT_FALSE(Of(wrapper).IsConnected());
    sim->ClearCalls();
    wrapper.reset();
    EXPECT_TRUE(sim->Calls().empty());
    EXPECT_EQ(sleeps, std::vector<unsigned>{1});
}

TEST_F(WrapperTest, MailboxJobsAreListedReadCheckedAndDeleted) {
    Start();
    Connect();
    ASSERT_EQ(wrapper->SCAN_openSession(), 0);

    ScanJobList* list = nullptr;
    ASSERT_EQ(wrapper->SCAN_getJobListInMailbox("Scans", "pw", &list), 0);
    ASSERT_EQ(list->count, 1);
    EXPECT_EQ(list->entries[0].jobId, 7);
    EXPECT_EQ(wrapper->SCAN_freeScanJobList(list), 0);

    unsigned char present = 0;
    ASSERT_EQ(wrapper->SCAN_isJobInMailbox("Scans", "pw", 7, &present), 0);
    EXPECT_EQ(present, 1);

    // The destination is built in the SDK's heap through the wrapper's allocator.
    auto& allocator = Of(wrapper);
    ScanAttributes* destination = nullptr;
    allocator.AllocateScanAttributes(2, &destination, __FILE__, __LINE__);
    destination->names[0] = allocator.DupString("DEST:1", __FILE__, __LINE__);
    destination->values[0] = allocator.DupString("CALLER", __FILE__, __LINE__);
    destination->names[1] = allocator.DupString("DEST_FORMAT:1", __FILE__, __LINE__);
    destination->values[1] = allocator.DupString("PDF", __FILE__, __LINE__);
    std::vector<char> buffer(64);
    int length = int(buffer.size());
    ASSERT_EQ(wrapper->SCAN_getDataInMailbox("Scans", "pw", 7, destination, 0, buffer.data(), &length), 0);
    EXPECT_EQ(length, 64);
    EXPECT_EQ(std::string(buffer.data(), 5), "%PDF-");
    allocator.FreeScanAttributes(&destination, true);
    EXPECT_EQ(destination, nullptr);

    EXPECT_EQ(wrapper->SCAN_deleteJobInMailbox("Scans", "wrong", 7), VELLORA_ACCESS_DENIED);
    ASSERT_EQ(wrapper->SCAN_deleteJobInMailbox("Scans", "pw", 7), 0);
    EXPECT_FALSE(sim->HasJob(7));
    ASSERT_EQ(wrapper->SCAN_isJobInMailbox("Scans", "pw", 7, &present), 0);
    EXPECT_EQ(present, 0);
}

// The job events a subscription received (the SDK calls without a context).
struct EventLog {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<int, int>> events;  // type, job id
    VelloraServerHandle* server = nullptr;
};
EventLog g_events;

void RecordEvent(VelloraScanEventEx* event) {
    std::lock_guard<std::mutex> lock(g_events.mutex);
    g_events.events.emplace_back(event->type, event->jobId);
    g_events.server = event->server;
    g_events.changed.notify_all();
}

bool WaitForEvents(size_t count) {
    std::unique_lock<std::mutex> lock(g_events.mutex);
    return g_events.changed.wait_for(lock, std::chrono::seconds(10), [&] { return g_events.events.size() >= count; });
}

TEST_F(WrapperTest, JobEventsReportAdditionsAndDeletionsByAnyClient) {
    Start();
    Connect();
    ASSERT_EQ(wrapper->SCAN_openSession(), 0);
    ASSERT_EQ(wrapper->SCAN_getEventsEx(RecordEvent), 0);
    EXPECT_TRUE(Of(wrapper).IsEventTicketHeld());

    zeltosim::JobOptions job;
    job.mailbox = "Scans";
    const int added = sim->AddJob(job);
    ASSERT_TRUE(WaitForEvents(1));
    {
        // Another client deletes the job it did not make.
        std::unique_ptr<VelloraWrapperIntf> other(VelloraWrapper::New());
        ASSERT_EQ(other->INIT_connectUTF8("127.0.0.1", "guest", ""), 0);
        ASSERT_EQ(other->SCAN_openSession(), 0);
        ASSERT_EQ(other->SCAN_deleteJobInMailbox("Scans", "pw", added), 0);
    }
    ASSERT_TRUE(WaitForEvents(2));
    sim->RaiseScanEvent(VELLORA_SCAN_EVENT_DELETED, -1);
    ASSERT_TRUE(WaitForEvents(3));
    std::lock_guard<std::mutex> lock(g_events.mutex);
    EXPECT_EQ(g_events.events, (std::vector<std::pair<int, int>>{{0, added}, {1, added}, {1, -1}}));
    EXPECT_TRUE(Of(wrapper).IsVelloraServerHandleMatch(g_events.server));
    EXPECT_FALSE(Of(wrapper).IsVelloraServerHandleMatch(nullptr));
}

std::atomic<int> g_losses{0};
std::atomic<void*> g_lossContext{nullptr};
void RecordLoss(void* context) {
    g_lossContext = context;
    ++g_losses;
}

TEST_F(WrapperTest, AMonitorReportsALostConnectionOnceWithItsContext) {
    Start();
    Connect();
    wxString serverName("Front Desk");
    ASSERT_EQ(wrapper->INIT_monitorServer(3, 15), 0);
    ASSERT_EQ(wrapper->NB_registerCallback(RecordLoss, &serverName), 0);
    sim->Stop();
    ASSERT_TRUE(veqtest::WaitFor([] { return g_losses.load() > 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(g_losses.load(), 1);
    EXPECT_EQ(g_lossContext.load(), &serverName);
    wrapper.reset();  // releasing the ended ticket and the dead connection does not hang
    EXPECT_EQ(sleeps, std::vector<unsigned>{1});
}

TEST_F(WrapperTest, InitiatingAScanIsSupportedWhenTheSdkKnowsTheCall) {
    Start();
    Connect();
    ASSERT_EQ(wrapper->SCAN_openSession(), 0);
    EXPECT_TRUE(wrapper->IsInitiateScanSupported());
    ScanJobList* list = nullptr;
    EXPECT_EQ(wrapper->SCAN_getJobListInMailbox("Scans", "pw", &list), 0) << "the session is intact afterwards";
    wrapper->SCAN_freeScanJobList(list);
}

TEST_F(WrapperTest, SdkHeapAllocationsThatFailThrow) {
    Start();
    wrapper.reset(VelloraWrapper::New());
    EXPECT_THROW(Of(wrapper).AllocateMemory(SIZE_MAX, __FILE__, __LINE__), std::bad_alloc);
    void* p = Of(wrapper).AllocateMemory(16, __FILE__, __LINE__);
    EXPECT_NE(p, nullptr);
    Of(wrapper).FreeMemory(p);
}

}  // namespace
