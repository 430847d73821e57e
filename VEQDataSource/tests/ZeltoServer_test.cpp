// The server object against a simulated controller: connection states and the
// status signal, login failures, lost connections, destruction while
// connected, the scan-component seam and the information a login reads.
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "FakeScanComponent.h"
#include "LocaleComponent.h"
#include "ServerTestSupport.h"
#include "VEQConfig.h"
#include "VEQDataSource.h"
#include "ZeltoServer.h"

using servertest::Counters;
using servertest::DemoWith;
using servertest::FakeCapability;
using servertest::ParseJson;
using servertest::ScopedFakeScanComponents;
using servertest::SimulatedController;
using servertest::StatusRecorder;

namespace {

std::shared_ptr<ZeltoServer> MakeServer(const wxString& address = "127.0.0.1") {
    return std::dynamic_pointer_cast<ZeltoServer>(VEQDataSource::Get().CreateServer(address));
}

// True while the SDK still knows the handle (a released one is refused as invalid).
bool HandleIsKnown(VelloraServerHandle* handle) {
    char* value = nullptr;
    const int result = QMVM_dictRead(handle, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0);
    if (value) vellora_free(value);
    return result != VELLORA_INVALID_HANDLE;
}

TEST(ZeltoServer, ANewServerIsDisconnectedWithNothingToOffer) {
    std::shared_ptr<ZeltoServer> server = MakeServer();
    EXPECT_EQ(server->GetServerStatus(), VEQTypes::DISCONNECTED);
    EXPECT_EQ(server->GetScanAPI(), nullptr);
    EXPECT_FALSE(server->IsScanSupported());
    EXPECT_EQ(server->GetServerhandle(), nullptr);
    EXPECT_FALSE(server->IsMailboxColumnHidden(Server::MAILBOX_COLUMN_SIZE));
    EXPECT_FALSE(server->Disconnect(false));
    EXPECT_FALSE(server->Disconnect(true));
    EXPECT_EQ(server->GetServerInfo().m_version, 0);
}

TEST(ZeltoServer, AHostNameIsStoredAsItsNumericAddress) {
    EXPECT_EQ(MakeServer("localhost")->GetIP(), "127.0.0.1");
    EXPECT_EQ(MakeServer("127.0.0.5")->GetIP(), "127.0.0.5");
}

TEST(ZeltoServer, EachCreatedServerIsItsOwnObject) {
    std::shared_ptr<Server> first = VEQDataSource::Get().CreateServer("127.0.0.1");
    std::shared_ptr<Server> second = VEQDataSource::Get().CreateServer("127.0.0.1");
    EXPECT_NE(first, second);
    EXPECT_EQ(first.use_count(), 1);
    EXPECT_NE(&std::dynamic_pointer_cast<ZeltoServer>(first)->GetPool(),
              &std::dynamic_pointer_cast<ZeltoServer>(second)->GetPool());
}

TEST(ZeltoServer, OnlyARealChangeOfStatusIsReported) {
    StatusRecorder recorder;
    std::shared_ptr<ZeltoServer> server = MakeServer();
    recorder.Attach(*server);
    server->SetServerStatus(VEQTypes::DISCONNECTED);
    server->SetServerStatus(VEQTypes::CONNECTING);
    server->SetServerStatus(VEQTypes::CONNECTING);
    server->SetServerStatus(VEQTypes::DISCONNECTED);
    server->GetPool().wait(0);
    EXPECT_EQ(recorder.Sorted(), (std::vector<int>{0, 3}));
}

TEST(ZeltoServer, AsynchronousConnectReportsConnectingAndConnectedOnce) {
    SimulatedController controller;
    // An auto-login kept under the server's name moves to its address at login.
    VEQDataSource::Get().GetConfig()->SaveMailBoxAutoLogin("Zelto Studio", "Box", "pw");
    StatusRecorder recorder;
    std::shared_ptr<ZeltoServer> server = MakeServer();
    recorder.Attach(*server);

    EXPECT_TRUE(server->Connect("guest", "", true));
    ASSERT_TRUE(recorder.WaitForCount(2));
    server->GetPool().wait(0);
    EXPECT_EQ(recorder.Sorted(), (std::vector<int>{0, 1}));
    EXPECT_EQ(server->GetServerStatus(), VEQTypes::CONNECTED);
    EXPECT_EQ(server->GetConnectedUser(), "guest");

    const Server::ServerInfo info = server->GetServerInfo();
    EXPECT_EQ(info.m_ip, "127.0.0.1");
    EXPECT_EQ(info.m_name, "Zelto Studio");
    EXPECT_EQ(server->GetName(), "Zelto Studio");
    EXPECT_EQ(info.m_model, "Varda C550");
    EXPECT_EQ(info.m_version, 10);
    EXPECT_EQ(info.m_kind, 2);
    ASSERT_NE(server->GetLocaleComponent(), nullptr);
    EXPECT_EQ(server->GetLocaleComponent()->GetCurrentLanguageCanonicalName(), "en_US");

    wxString mailbox, password;
    EXPECT_TRUE(VEQDataSource::Get().GetConfig()->GetMailBoxAutoLogin("127.0.0.1", mailbox,
                                                                     password));
    EXPECT_FALSE(VEQDataSource::Get().GetConfig()->GetMailBoxAutoLogin("Zelto Studio", mailbox,
                                                                      password));
}

TEST(ZeltoServer, ASecondConnectBeforeTheFirstHasRunIsRefused) {
    SimulatedController controller;
    StatusRecorder recorder;
    std::shared_ptr<ZeltoServer> server = MakeServer();
    recorder.Attach(*server);

    EXPECT_TRUE(server->Connect("guest", "", true));
    EXPECT_FALSE(server->Connect("guest", "", true));
    EXPECT_FALSE(server->Connect("guest", "", false));
    server->GetPool().wait(0);
    EXPECT_EQ(controller.Sim().CallCount("INIT_connectUTF8"), 1u);
    EXPECT_EQ(recorder.Sorted(), (std::vector<int>{0, 1}));
    EXPECT_FALSE(server->Connect("guest", "", true)) << "connected already";
}

TEST(ZeltoServer, ConnectCalledFromManyThreadsAtOnceLogsInOnce) {
    SimulatedController controller;
    StatusRecorder recorder;
    std::shared_ptr<ZeltoServer> server = MakeServer();
    recorder.Attach(*server);
    std::atomic<int> accepted(0);
    std::vector<std::thread> callers;
    for (int i = 0; i < 8; ++i) {
        callers.emplace_back([&server, &accepted, i] {
            if (server->Connect("guest", "", i % 2 == 0)) ++accepted;
        });
    }
    for (std::thread& caller : callers) caller.join();
    ASSERT_TRUE(veqtest::WaitFor(
        [&] { return server->GetServerStatus() == VEQTypes::CONNECTED; }));
    server->GetPool().wait(0);
    EXPECT_EQ(accepted.load(), 1);
    EXPECT_EQ(controller.Sim().CallCount("INIT_connectUTF8"), 1u);
    EXPECT_EQ(recorder.Sorted(), (std::vector<int>{0, 1}));
}

TEST(ZeltoServer, TheSettingsStayUsableWhileLoginsRecordTheServer) {
    SimulatedController controller;
    std::shared_ptr<VEQConfig> config = VEQDataSource::Get().GetConfig();
    std::shared_ptr<ZeltoServer> server = MakeServer();
    for (int round = 0; round < 5; ++round) {
        config->SaveMailBoxAutoLogin("Zelto Studio", "Box", "pw");
        ASSERT_TRUE(server->Connect("guest", "", true));
        wxString mailbox, password;
        while (server->GetServerStatus() != VEQTypes::CONNECTED) {
            config->SetValue("round", wxString::Format("%d", round), false);
            config->GetMailBoxAutoLogin("127.0.0.1", mailbox, password);
        }
        server->GetPool().wait(0);
        EXPECT_TRUE(config->GetMailBoxAutoLogin("127.0.0.1", mailbox, password));
        EXPECT_TRUE(config->ClearAutoLogin("127.0.0.1"));
        ASSERT_TRUE(server->Disconnect(false));
    }
}

TEST(ZeltoServer, SynchronousConnectAndDisconnectGoThroughEveryState) {
    SimulatedController controller;
    StatusRecorder recorder;
    std::shared_ptr<ZeltoServer> server = MakeServer();
    recorder.Attach(*server);

    ASSERT_TRUE(server->Connect("admin", "admin", false));
    EXPECT_EQ(server->GetServerStatus(), VEQTypes::CONNECTED);
    EXPECT_NE(server->GetServerhandle(), nullptr);
    ASSERT_TRUE(server->Disconnect(false));
    EXPECT_EQ(server->GetServerStatus(), VEQTypes::DISCONNECTED);
    EXPECT_EQ(server->GetServerhandle(), nullptr);
    EXPECT_EQ(server->GetLocaleComponent(), nullptr);
    server->GetPool().wait(0);
    EXPECT_EQ(recorder.Sorted(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(controller.Sim().CallCount("INIT_disconnect"), 1u);
}

TEST(ZeltoServer, AsynchronousDisconnectReportsDisconnectingAndDisconnected) {
    SimulatedController controller;
    StatusRecorder recorder;
    std::shared_ptr<ZeltoServer> server = MakeServer();
    ASSERT_TRUE(server->Connect("guest", "", false));
    server->GetPool().wait(0);
    recorder.Attach(*server);

    EXPECT_TRUE(server->Disconnect(true));
    EXPECT_FALSE(server->Disconnect(true)) << "a logout is queued already";
    ASSERT_TRUE(recorder.WaitForCount(2));
    server->GetPool().wait(0);
    EXPECT_EQ(recorder.Sorted(), (std::vector<int>{2, 3}));
    EXPECT_EQ(controller.Sim().CallCount("INIT_disconnect"), 1u);
    // The server can log in again.
    EXPECT_TRUE(server->Connect("guest", "", false));
}

TEST(ZeltoServer, RefusedCredentialsEndInDisconnected) {
    SimulatedController controller;
    for (const bool asynchronous : {false, true}) {
        StatusRecorder recorder;
        std::shared_ptr<ZeltoServer> server = MakeServer();
        recorder.Attach(*server);
        const bool result = server->Connect("admin", "wrong", asynchronous);
        EXPECT_EQ(result, asynchronous) << "only a queued login reports success at once";
        ASSERT_TRUE(recorder.WaitForCount(2)) << asynchronous;
        server->GetPool().wait(0);
        EXPECT_EQ(server->GetServerStatus(), VEQTypes::DISCONNECTED) << asynchronous;
        EXPECT_EQ(recorder.Sorted(), (std::vector<int>{0, 3})) << asynchronous;
        EXPECT_EQ(server->GetServerhandle(), nullptr);
        EXPECT_TRUE(server->Connect("admin", "admin", false)) << "a later login is possible";
    }
}

TEST(ZeltoServer, ALoginToNothingListeningFails) {
    veqtest::ScopedEnv port("VELLORA_PORT", std::to_string(veqtest::FreeLoopbackPort()).c_str());
    veqtest::ScopedEnv timeout("VELLORA_TIMEOUT_MS", "1000");
    std::shared_ptr<ZeltoServer> server = MakeServer();
    EXPECT_FALSE(server->Connect("guest", "", false));
    EXPECT_EQ(server->GetServerStatus(), VEQTypes::DISCONNECTED);
    EXPECT_FALSE(server->TryConnect(""));
}

TEST(ZeltoServer, AStoppedControllerIsReportedThroughTheMonitor) {
    StatusRecorder recorder;
    std::unique_ptr<SimulatedController> controller(new SimulatedController());
    std::shared_ptr<ZeltoServer> server = MakeServer();
    recorder.Attach(*server);
    ASSERT_TRUE(server->Connect("guest", "", false));
    VelloraServerHandle* handle = server->GetServerhandle();

    controller->Sim().Stop();
    ASSERT_TRUE(recorder.WaitForCount(3));
    server->GetPool().wait(0);
    EXPECT_EQ(recorder.Sorted(), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(server->GetServerStatus(), VEQTypes::DISCONNECTED);
    EXPECT_FALSE(server->Disconnect(false));

    // The destructor releases what the lost connection left behind.
    server.reset();
    EXPECT_FALSE(HandleIsKnown(handle));
}

TEST(ZeltoServer, TheNextLoginReleasesWhatALostConnectionLeft) {
    SimulatedController controller;
    ScopedFakeScanComponents components(std::make_shared<FakeCapability>(true));
    StatusRecorder recorder;
    std::shared_ptr<ZeltoServer> server = MakeServer();
    recorder.Attach(*server);
    ASSERT_TRUE(server->Connect("guest", "", false));
    VelloraServerHandle* lostHandle = server->GetServerhandle();
    ASSERT_NE(server->GetScanAPI(), nullptr);

    controller.Sim().DropConnections();
    ASSERT_TRUE(recorder.WaitForCount(3));
    EXPECT_EQ(server->GetServerStatus(), VEQTypes::DISCONNECTED);

    // This login gets no scan session: nothing of the lost one may remain.
    controller.Sim().InjectResult("SCAN_openSession", VELLORA_GENERAL_FAILURE);
    ASSERT_TRUE(server->Connect("guest", "", false));
    EXPECT_FALSE(HandleIsKnown(lostHandle));
    EXPECT_NE(server->GetServerhandle(), lostHandle);
    EXPECT_TRUE(HandleIsKnown(server->GetServerhandle()));
    EXPECT_EQ(server->GetScanAPI(), nullptr);
    EXPECT_FALSE(server->IsScanSupported());
    EXPECT_EQ(Counters().alive.load(), 0);
}

TEST(ZeltoServer, DestroyingAConnectedServerLogsOutBeforeItsPoolEnds) {
    SimulatedController controller;
    StatusRecorder recorder;  // outlives the server: its slots run until the end
    std::shared_ptr<ZeltoServer> server = MakeServer();
    recorder.Attach(*server);
    ASSERT_TRUE(server->Connect("guest", "", true));
    VelloraServerHandle* handle = nullptr;
    ASSERT_TRUE(veqtest::WaitFor([&] {
        handle = server->GetServerhandle();
        return server->GetServerStatus() == VEQTypes::CONNECTED;
    }));

    server.reset();
    EXPECT_EQ(recorder.Sorted(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(controller.Sim().CallCount("INIT_disconnect"), 1u);
    EXPECT_FALSE(HandleIsKnown(handle));
}

TEST(ZeltoServer, DestroyingAServerRunsItsQueuedLoginFirst) {
    SimulatedController controller;
    StatusRecorder recorder;
    std::shared_ptr<ZeltoServer> server = MakeServer();
    recorder.Attach(*server);
    ASSERT_TRUE(server->Connect("guest", "", true));
    server.reset();  // the queued login runs, then the destructor logs out
    EXPECT_EQ(recorder.Sorted(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(controller.Sim().CallCount("INIT_connectUTF8"), 1u);
    EXPECT_EQ(controller.Sim().CallCount("INIT_disconnect"), 1u);
}

TEST(ZeltoServer, ByDefaultALoginMakesTheScanComponentOfTheServer) {
    SimulatedController controller;
    std::shared_ptr<ZeltoServer> server = MakeServer();
    ASSERT_TRUE(server->Connect("guest", "", false));
    ASSERT_NE(server->GetScanAPI(), nullptr);
    ASSERT_NE(server->GetScanAPI()->GetScannerCapability(), nullptr);
    EXPECT_TRUE(server->IsScanSupported());
    ASSERT_TRUE(server->Disconnect(false));
    EXPECT_EQ(server->GetScanAPI(), nullptr);
}

TEST(ZeltoServer, AFactoryThatMakesNoComponentLeavesTheServerWithoutScanning) {
    SimulatedController controller;
    ZeltoServer::SetScanComponentFactory([](ZeltoServer&) { return nullptr; });
    std::shared_ptr<ZeltoServer> server = MakeServer();
    ASSERT_TRUE(server->Connect("guest", "", false));
    EXPECT_EQ(server->GetScanAPI(), nullptr);
    EXPECT_FALSE(server->IsScanSupported());
    EXPECT_TRUE(server->Disconnect(false));
    ZeltoServer::SetScanComponentFactory(nullptr);
}

TEST(ZeltoServer, ScanningFollowsTheCapabilityOfTheComponentMade) {
    SimulatedController controller;
    struct Case {
        const char* name;
        std::shared_ptr<ScannerCapability> capability;
        bool supported;
    };
    const Case cases[] = {
        {"scans enabled", std::make_shared<FakeCapability>(true), true},
        {"scans disabled", std::make_shared<FakeCapability>(false), false},
        {"no capability", nullptr, false},
    };
    for (const Case& c : cases) {
        ScopedFakeScanComponents components(c.capability);
        std::shared_ptr<ZeltoServer> server = MakeServer();
        ASSERT_TRUE(server->Connect("guest", "", false)) << c.name;
        ASSERT_NE(server->GetScanAPI(), nullptr) << c.name;
        EXPECT_EQ(server->IsScanSupported(), c.supported) << c.name;

        const int cancelledBefore = Counters().cancelled.load();
        ASSERT_TRUE(server->Disconnect(false)) << c.name;
        EXPECT_EQ(Counters().cancelled.load(), cancelledBefore + 1) << c.name;
        EXPECT_EQ(server->GetScanAPI(), nullptr) << c.name;
        EXPECT_EQ(Counters().alive.load(), 0) << c.name;
        EXPECT_FALSE(server->IsScanSupported()) << c.name;
    }
}

TEST(ZeltoServer, EachLoginMakesANewScanComponent) {
    SimulatedController controller;
    ScopedFakeScanComponents components(std::make_shared<FakeCapability>(true));
    std::shared_ptr<ZeltoServer> server = MakeServer();
    const int madeBefore = Counters().made.load();
    ASSERT_TRUE(server->Connect("guest", "", false));
    std::shared_ptr<ScanAPIComponent> first = server->GetScanAPI();
    ASSERT_TRUE(server->Disconnect(false));
    ASSERT_TRUE(server->Connect("guest", "", false));
    EXPECT_NE(server->GetScanAPI(), first);
    EXPECT_EQ(Counters().made.load(), madeBefore + 2);
}

TEST(ZeltoServer, AServerWithoutScanningMakesNoScanComponent) {
    SimulatedController controller(DemoWith(ParseJson(R"({"scanning": {"offered": false}})")));
    ScopedFakeScanComponents components(std::make_shared<FakeCapability>(true));
    std::shared_ptr<ZeltoServer> server = MakeServer();
    const int madeBefore = Counters().made.load();
    ASSERT_TRUE(server->Connect("guest", "", false));
    EXPECT_EQ(server->GetServerStatus(), VEQTypes::CONNECTED);
    EXPECT_EQ(server->GetScanAPI(), nullptr);
    EXPECT_FALSE(server->IsScanSupported());
    EXPECT_EQ(Counters().made.load(), madeBefore);
}

TEST(ZeltoServer, TryConnectReadsTheInformationWithoutChangingTheState) {
    SimulatedController controller;
    StatusRecorder recorder;
    std::shared_ptr<ZeltoServer> server = MakeServer();
    recorder.Attach(*server);
    EXPECT_TRUE(server->TryConnect("ignored"));
    server->GetPool().wait(0);
    EXPECT_TRUE(recorder.Statuses().empty());
    EXPECT_EQ(server->GetServerStatus(), VEQTypes::DISCONNECTED);
    EXPECT_EQ(server->GetServerhandle(), nullptr);
    EXPECT_EQ(server->GetName(), "Zelto Studio");
    EXPECT_EQ(server->GetServerInfo().m_model, "Varda C550");
    const std::vector<zeltosim::CallRecord> logins = controller.Sim().Calls("INIT_connectUTF8");
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].Argument("user"), "guest");
    EXPECT_EQ(controller.Sim().CallCount("INIT_disconnect"), 1u);
}

TEST(ZeltoServer, VersionAndKindFollowTheDictionaryAndTheFeatures) {
    struct Case {
        const char* dictionary;  // the "WB3_SYSTEM" entries
        const char* features;
        long version;
        int kind;
    };
    const Case cases[] = {
        {R"({"QMVSYSVERNUM": "10"})", R"({"ZeltoMorvane": "1"})", 10, 2},
        {R"({"QMVSYSVERNUM": "11"})", R"({"ZeltoKesti": "3"})", 11, 2},
        {R"({"QMVSYSVERNUM": "12"})", R"({"ZeltoMorvane": "0", "ZeltoKesti": "0"})", 12, 0},
        {R"({"QMVSYSVERNUM": "10"})", R"({"zeltomorvane": "1"})", 10, 0},
        {R"({"QMVSYSVERNUM": "10"})", R"({"ZeltoMorvane": "2 builds"})", 10, 2},
        {R"({"QMVSYSVERNUM": "", "QMVSYSVER": "10.2 build 5"})", "{}", 10, 0},
        {R"({"QMVSYSVER": "10.2"})", "{}", 10, 0},
        {R"({"QMVSYSVER": "9.0.1"})", R"({"ZeltoMorvane": "1"})", 9, 1},
        {R"({"QMVSYSVER": " 8"})", "{}", 8, 1},
        {R"({"QMVSYSVERNUM": "beta"})", "{}", 0, 1},
        {"{}", "{}", 0, 1},
    };
    for (const Case& c : cases) {
        Json::Value changes(Json::objectValue);
        changes["dictionary"]["WB3_SYSTEM"] = ParseJson(c.dictionary);
        changes["features"] = ParseJson(c.features);
        SimulatedController controller(DemoWith(changes));
        std::shared_ptr<ZeltoServer> server = MakeServer();
        ASSERT_TRUE(server->TryConnect("")) << c.dictionary;
        EXPECT_EQ(server->GetServerInfo().m_version, c.version) << c.dictionary << c.features;
        EXPECT_EQ(server->GetServerInfo().m_kind, c.kind) << c.dictionary << c.features;
    }
}

TEST(ZeltoServer, OnlyTheSizeColumnCanBeHiddenAndOnlyByYes) {
    struct Case {
        const char* dictionary;
        bool hidden;
    };
    const Case cases[] = {
        {R"({"VEQ_SIZE_COLUMN_HIDE": "YES"})", true},
        {R"({"VEQ_SIZE_COLUMN_HIDE": "yes"})", true},
        {R"({"VEQ_SIZE_COLUMN_HIDE": "NO"})", false},
        {R"({"VEQ_SIZE_COLUMN_HIDE": "YES "})", false},
        {"{}", false},
    };
    for (const Case& c : cases) {
        Json::Value changes(Json::objectValue);
        changes["dictionary"]["WB3_SYSTEM"] = ParseJson(c.dictionary);
        SimulatedController controller(DemoWith(changes));
        std::shared_ptr<ZeltoServer> server = MakeServer();
        ASSERT_TRUE(server->Connect("guest", "", false));
        EXPECT_EQ(server->IsMailboxColumnHidden(Server::MAILBOX_COLUMN_SIZE), c.hidden)
            << c.dictionary;
        EXPECT_FALSE(server->IsMailboxColumnHidden(Server::MAILBOX_COLUMN_NAME)) << c.dictionary;
        EXPECT_FALSE(server->IsMailboxColumnHidden(Server::MAILBOX_COLUMN_DATE)) << c.dictionary;
    }
}

TEST(ZeltoServer, TheZoneOffsetIsFoundInTheServerTime) {
    struct Case {
        const char* time;
        int difference;
    };
    const Case cases[] = {
        {"2024-05-01 10:00:00 +0530", -330}, {"2024-05-01 10:00:00 -0800", 480},
        {"Wed May 1 10:00:00 2024 +1300", -780}, {"10:00 -1200", 720},
        {"10:00 -0030", 30},                  {"10:00 +0000", 0},
        {"2024-05-01 10:00:00", 0},           {"", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZeltoServer::GetTimeZoneDif(c.time), c.difference) << c.time;
    }
    EXPECT_EQ(ZeltoServer::GetTimeZoneDif(nullptr), 0);
}

TEST(ZeltoServer, TheTimeAdjustmentComparesTheLocalAndTheServerZone) {
    struct Case {
        const char* localZone;  // POSIX zones without daylight saving time
        const char* serverTime;
        int adjustment;
    };
    const Case cases[] = {
        {"UTC0", "10:00:00 +0530", 19800},
        {"UTC0", "10:00:00 -0800", -28800},
        {"JST-9", "10:00:00 +0530", -12600},
        {"PST8", "10:00:00 -0800", 0},
        {"JST-9", "10:00:00", -32400},
    };
    std::shared_ptr<ZeltoServer> server = MakeServer();
    for (const Case& c : cases) {
        veqtest::ScopedEnv zone("TZ", c.localZone);
        tzset();
        server->SetTimeAdjustment(c.serverTime);
        EXPECT_EQ(server->GetTimeAdjustment(), c.adjustment) << c.localZone << " " << c.serverTime;
    }
    tzset();
}

TEST(ZeltoServer, ALoginTakesTheTimeAdjustmentFromTheServer) {
    SimulatedController controller(DemoWith(ParseJson(R"({"timeZone": "+0530"})")));
    veqtest::ScopedEnv zone("TZ", "UTC0");
    tzset();
    std::shared_ptr<ZeltoServer> server = MakeServer();
    EXPECT_EQ(server->GetTimeAdjustment(), 0);
    ASSERT_TRUE(server->Connect("guest", "", false));
    EXPECT_EQ(server->GetTimeAdjustment(), 19800);
}

}  // namespace

TEST(ZeltoServer, AnUnansweredRequestCountsAsALostConnectionARefusalDoesNot) {
    const struct {
        const char* name;
        bool hang;
        const char* password;
        int status;
    } cases[] = {
        {"refused password", false, "wrong", VEQTypes::CONNECTED},
        {"hung controller", true, "1234", VEQTypes::DISCONNECTED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedController controller;
        std::shared_ptr<ZeltoServer> server = MakeServer();
        ASSERT_TRUE(server->Connect("guest", "", false));
        std::shared_ptr<ScanAPIComponent> scanAPI = server->GetScanAPI();
        ASSERT_NE(scanAPI, nullptr);
        if (c.hang) {
            controller.Sim().Hang();
        }
        EXPECT_EQ(scanAPI->GetMailBox("Accounting", c.password), nullptr);
        EXPECT_EQ(server->GetServerStatus(), c.status);
        controller.Sim().Resume();
        // After a lost connection the next login works again.
        if (c.status == VEQTypes::DISCONNECTED) {
            EXPECT_TRUE(server->Connect("guest", "", false));
            ASSERT_NE(server->GetScanAPI(), nullptr);
            EXPECT_NE(server->GetScanAPI()->GetMailBox("Accounting", "1234"), nullptr);
        }
    }
}
