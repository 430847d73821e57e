// Connecting and disconnecting, loopback-only addresses, time-outs, and the
// safety of null, closed and stale handles and sessions.
#include "ClientTestSupport.h"

#include <chrono>

using namespace clienttest;

namespace {

class ConnectTest : public ClientTest {};

TEST_F(ConnectTest, CredentialsAreCheckedAgainstTheControllersUsers) {
    struct Case {
        const char* user;
        const char* password;
        int expected;
    };
    const Case cases[] = {{"guest", "", VELLORA_OK},
                          {"admin", "secret", VELLORA_OK},
                          {"admin", "wrong", VELLORA_ACCESS_DENIED},
                          {"nobody", "", VELLORA_ACCESS_DENIED},
                          {"guest", "x", VELLORA_ACCESS_DENIED}};
    for (const auto& c : cases) {
        VelloraServerHandle* h = reinterpret_cast<VelloraServerHandle*>(0x1);
        EXPECT_EQ(Connect(&h, c.user, c.password), c.expected) << c.user << "/" << c.password;
        if (c.expected == VELLORA_OK) {
            ASSERT_NE(h, nullptr);
            EXPECT_EQ(INIT_disconnect(h, 0), VELLORA_OK);
        } else {
            EXPECT_EQ(h, nullptr) << "no handle after a refused login";
        }
    }
    EXPECT_EQ(Sim().CallCount("INIT_connectUTF8"), 5u);
    auto first = Sim().Calls("INIT_connectUTF8").front();
    EXPECT_EQ(first.Argument("application"), "Veqora");
    EXPECT_EQ(first.Argument("protocol"), "trpc");
}

TEST_F(ConnectTest, EveryHandleIsDistinctAndDiesWithItsDisconnect) {
    VelloraServerHandle* a = Open();
    VelloraServerHandle* b = Open();
    EXPECT_NE(a, b);
    char* value = nullptr;
    EXPECT_EQ(INIT_disconnect(a, 0), VELLORA_OK);
    handles.erase(handles.begin());
    EXPECT_EQ(QMVM_dictRead(a, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_INVALID_HANDLE);
    EXPECT_EQ(INIT_disconnect(a, 0), VELLORA_INVALID_HANDLE) << "a second disconnect of the same handle";
    ASSERT_EQ(QMVM_dictRead(b, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_OK);
    EXPECT_STREQ(value, "10");
    vellora_free(value);
    // A new connection never reuses the dead handle's value.
    VelloraServerHandle* c = Open();
    EXPECT_NE(c, a);
}

TEST(ConnectAddress, AnythingButLoopbackIsRefusedBeforeAnythingIsSent) {
    ControllerOnPort controller;
    const char* refused[] = {"10.0.0.5", "192.168.1.20", "8.8.8.8", "controller.example.com", "::2",
                             "fe80::1", "0.0.0.0"};
    for (const char* address : refused) {
        VelloraServerHandle* h = nullptr;
        EXPECT_EQ(Connect(&h, "guest", "", address), VELLORA_HOST_UNREACHABLE) << address;
        EXPECT_EQ(h, nullptr);
    }
    EXPECT_EQ(controller.sim.CallCount("INIT_connectUTF8"), 0u);
    VelloraServerHandle* h = nullptr;
    EXPECT_EQ(Connect(&h, "guest", "", nullptr), VELLORA_BAD_PARAM);
    EXPECT_EQ(INIT_connectUTF8("127.0.0.1", "guest", "", "Veqora", "k", "trpc", -1, -1, 1, 1, 0, nullptr, 0),
              VELLORA_PARAMETER_MAY_NOT_BE_NULL);
    ASSERT_EQ(Connect(&h, "guest", "", "localhost"), VELLORA_OK) << "localhost is 127.0.0.1";
    EXPECT_EQ(INIT_disconnect(h, 0), VELLORA_OK);
}

TEST(ConnectAddress, AHostThatIsNotListeningFailsAtOnce) {
    int port = veqtest::FreeLoopbackPort();
    veqtest::ScopedEnv env("VELLORA_PORT", std::to_string(port).c_str());
    VelloraServerHandle* h = nullptr;
    int rc = Connect(&h);
    EXPECT_TRUE(rc == VELLORA_CONNECTION_FAILED || rc == VELLORA_HOST_UNREACHABLE) << rc;
    EXPECT_EQ(h, nullptr);
}

TEST_F(ConnectTest, AHungControllerMakesCallsTimeOutAndAnswersAgainAfterResume) {
    VelloraServerHandle* h = Open();
    ASSERT_EQ(INIT_setTimeout(h, 1, 0), VELLORA_OK);
    Sim().Hang();
    char* value = nullptr;
    EXPECT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_TIMEOUT);
    EXPECT_EQ(value, nullptr);
    Sim().Resume();
    ASSERT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_OK)
        << "the late answer of the timed-out call must not be taken for this one";
    EXPECT_STREQ(value, "10");
    vellora_free(value);
}

TEST_F(ConnectTest, TheTimeOutVariableReplacesTheTimeOutsCallersSet) {
    veqtest::ScopedEnv forced("VELLORA_TIMEOUT_MS", "300");
    VelloraServerHandle* h = Open();
    ASSERT_EQ(INIT_setTimeout(h, 60, 0), VELLORA_OK);
    Sim().Hang();
    char* value = nullptr;
    EXPECT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_TIMEOUT);
    // A login to a hung controller times out as well.
    VelloraServerHandle* other = nullptr;
    EXPECT_EQ(Connect(&other), VELLORA_TIMEOUT);
    EXPECT_EQ(other, nullptr);
    Sim().Resume();
}

// Time-outs far beyond what anyone waits are taken as the longest one, not
// turned into a negative time that has already passed.
TEST_F(ConnectTest, HugeTimeOutsInSecondsAreClampedInsteadOfOverflowing) {
    VelloraServerHandle* h = nullptr;
    ASSERT_EQ(INIT_connectUTF8("127.0.0.1", "guest", "", "test", "", "", 0, 3000000, 0, 0, 0, &h, 0), VELLORA_OK);
    char* value = nullptr;
    ASSERT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_OK);
    vellora_free(value);
    for (const int seconds : {3000000, 2147484, 2147483647}) {
        SCOPED_TRACE(seconds);
        ASSERT_EQ(INIT_setTimeout(h, seconds, 0), VELLORA_OK);
        value = nullptr;
        EXPECT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_OK);
        vellora_free(value);
    }
    EXPECT_EQ(INIT_disconnect(h, 0), VELLORA_OK);
}

TEST_F(ConnectTest, CallsFromManyThreadsOnOneHandleEachGetTheirOwnAnswer) {
    VelloraServerHandle* h = Open();
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                char* value = nullptr;
                const char* key = (t + i) % 2 ? "QMVSYSVERNUM" : "VEQ_SIZE_COLUMN_HIDE";
                if (QMVM_dictRead(h, "WB3_SYSTEM", key, &value, 0) != VELLORA_OK) {
                    ++wrong;
                    continue;
                }
                if (std::string(value) != ((t + i) % 2 ? "10" : "YES")) ++wrong;
                vellora_free(value);
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(ConnectTest, DisconnectWhileOtherThreadsCallNeverCrashes) {
    VelloraServerHandle* h = Open();
    handles.clear();
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    std::atomic<int> unexpected{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            while (!stop) {
                char* value = nullptr;
                int rc = QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0);
                if (rc == VELLORA_OK) vellora_free(value);
                else if (rc != VELLORA_INVALID_HANDLE && rc != VELLORA_CONNECTION_FAILED) ++unexpected;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(INIT_disconnect(h, 0), VELLORA_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    stop = true;
    for (auto& t : threads) t.join();
    EXPECT_EQ(unexpected.load(), 0);
}

TEST(NullHandles, EveryCallRefusesANullOrStaleHandleOrSession) {
    auto* stale = reinterpret_cast<VelloraServerHandle*>(0x12345670);
    for (VelloraServerHandle* h : {static_cast<VelloraServerHandle*>(nullptr), stale}) {
        char* text = nullptr;
        char** names = nullptr;
        char** values = nullptr;
        int count = 0, number = 0;
        VelloraServerInfo* info = nullptr;
        VelloraDeviceInfo* device = nullptr;
        VelloraNBTicket ticket{};
        VelloraScanSession scan{};
        VelloraLocaleSession locale{};
        EXPECT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &text, 0), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(INIT_disconnect(h, 0), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(INIT_setTimeout(h, 60, 0), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(INIT_monitorServer(h, 3, 60, &ticket), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(SERVER_getInfo(h, &info, 0), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(DEV_getInfo(h, 0, &device, 0), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(FEAT_getFeatureList(h, &names, &values, &count, 0), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(AUTH_getAuthIDEx(h, "u", "d", 5, 0, &text, &number, 0), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(LOCL_openSession(h, 0, "en_US", "UTF8", &locale, 0), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(LOCL_getDefaultEncoding(h, &text, 0), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(SERVER_getEventsEx(h, [](VelloraServerEvent*, void*) {}, nullptr, &ticket), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(SCAN_getEventsEx(h, OnScanEvent, &ticket), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(SCAN_getAlertEvents(h, OnAlert, &ticket), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(SCAN_openSession(h, &scan, 0), VELLORA_INVALID_HANDLE);
        EXPECT_EQ(ticket.id, 0u) << "no ticket was started";
    }
    // Sessions that were never opened, or whose id marks them invalid.
    VelloraScanSession invalid{-1, 0, nullptr};
    ScanJobList* list = nullptr;
    ScanAttributes* attributes = nullptr;
    int jobId = 0, pages = 0, length = 16;
    char buffer[16];
    unsigned char present = 0;
    EXPECT_EQ(SCAN_initiateScan(&invalid, nullptr, &jobId, 0), VELLORA_INVALID_HANDLE);
    EXPECT_NE(SCAN_initiateScan(&invalid, nullptr, &jobId, 0), VELLORA_FUNCTION_NOT_AVAILABLE);
    EXPECT_EQ(SCAN_closeSession(nullptr, 0), VELLORA_INVALID_HANDLE);
    EXPECT_EQ(SCAN_serverAttributes(&invalid, &attributes), VELLORA_INVALID_HANDLE);
    EXPECT_EQ(SCAN_getJobListInMailbox(&invalid, "", "", &list, 0), VELLORA_INVALID_HANDLE);
    EXPECT_EQ(SCAN_getNumPagesInJob(&invalid, 1, &pages, 0), VELLORA_INVALID_HANDLE);
    EXPECT_EQ(SCAN_isJobInMailbox(&invalid, "", "", 1, &present, 0), VELLORA_INVALID_HANDLE);
    EXPECT_EQ(SCAN_deleteJobInMailbox(&invalid, "", "", 1, 0), VELLORA_INVALID_HANDLE);
    EXPECT_EQ(SCAN_getDataInMailbox(&invalid, "", "", 1, nullptr, 0, buffer, &length, 0), VELLORA_INVALID_HANDLE);
    VelloraLocaleSession noLocale{};
    char* text = nullptr;
    EXPECT_EQ(LOCL_getString(&noLocale, "COLOR", &text, 0), VELLORA_LOCL_INVALID_HANDLE);
    EXPECT_EQ(LOCL_decodeString(nullptr, "SJIS", "a", "UTF8", &text, 0), VELLORA_LOCL_INVALID_HANDLE);
    EXPECT_EQ(LOCL_closeSession(&noLocale, 0), VELLORA_LOCL_INVALID_HANDLE);
}

TEST_F(ConnectTest, SessionsDieWithTheirCloseAndTheirConnection) {
    VelloraServerHandle* h = Open();
    VelloraScanSession scan = Session(h);
    ScanJobList* list = nullptr;
    ASSERT_EQ(SCAN_getJobListInMailbox(&scan, "", "", &list, 0), VELLORA_OK);
    SCAN_freeScanJobList(list, 0);
    VelloraScanSession copy = scan;
    EXPECT_EQ(SCAN_closeSession(&scan, 0), VELLORA_OK);
    EXPECT_EQ(SCAN_getJobListInMailbox(&copy, "", "", &list, 0), VELLORA_INVALID_HANDLE) << "a closed session";
    EXPECT_EQ(SCAN_closeSession(&copy, 0), VELLORA_INVALID_HANDLE);

    VelloraScanSession second = Session(h);
    VelloraLocaleSession locale{};
    ASSERT_EQ(LOCL_openSession(h, 0, "en_US", "UTF8", &locale, 0), VELLORA_OK);
    ASSERT_EQ(INIT_disconnect(h, 0), VELLORA_OK);
    handles.clear();
    char* text = nullptr;
    EXPECT_EQ(SCAN_getJobListInMailbox(&second, "", "", &list, 0), VELLORA_INVALID_HANDLE);
    EXPECT_EQ(LOCL_getString(&locale, "COLOR", &text, 0), VELLORA_LOCL_INVALID_HANDLE);
}

TEST_F(ConnectTest, UnloadingClosesEveryHandleAndTicketAndTheLibraryWorksAgain) {
    VelloraServerHandle* h = Open();
    handles.clear();
    VelloraNBTicket events{};
    ASSERT_EQ(SCAN_getEventsEx(h, OnScanEvent, &events), VELLORA_OK);
    vellora_unload();
    char* value = nullptr;
    EXPECT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_INVALID_HANDLE);
    EXPECT_EQ(NB_cancel(&events), VELLORA_INVALID_HANDLE);
    EXPECT_TRUE(veqtest::WaitFor([&] { return Sim().ConnectionCount() == 0; }));
    VelloraServerHandle* again = Open();
    ASSERT_EQ(QMVM_dictRead(again, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_OK);
    vellora_free(value);
}

TEST(Forwarded, CallsTheControllerDoesNotOfferAnswerNotAvailable) {
    VelloraPipe pipe{};
    VelloraAttrSession attr{};
    char* text = nullptr;
    int count = 0;
    EXPECT_EQ(INIT_connectToNonStandardServer("127.0.0.1", "guest", "", "trpc", -1, -1, 255, &pipe, 0),
              VELLORA_FUNCTION_NOT_AVAILABLE);
    EXPECT_EQ(INIT_usePipe(&pipe, 0), VELLORA_FUNCTION_NOT_AVAILABLE);
    EXPECT_EQ(DEV_getNumDevices(nullptr, &count, 0), VELLORA_FUNCTION_NOT_AVAILABLE);
    EXPECT_EQ(ATTR_openSession(nullptr, &attr, 0), VELLORA_FUNCTION_NOT_AVAILABLE);
    EXPECT_EQ(ATTR_getDefault(&attr, 0, "KEY", &text, 0), VELLORA_FUNCTION_NOT_AVAILABLE);
}

TEST_F(ConnectTest, InjectedResultsAnswerTheNextCallsOfThatFunctionOnly) {
    VelloraServerHandle* h = Open();
    Sim().InjectResult("QMVM_dictRead", VELLORA_SYSTEM_ERROR, 2);
    char* value = nullptr;
    EXPECT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_SYSTEM_ERROR);
    EXPECT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_SYSTEM_ERROR);
    ASSERT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_OK);
    vellora_free(value);
    Sim().InjectResult("INIT_connectUTF8", VELLORA_BUSY, 1);
    VelloraServerHandle* refused = nullptr;
    EXPECT_EQ(Connect(&refused), VELLORA_BUSY);
    EXPECT_EQ(refused, nullptr);
}

}  // namespace
