// The scan component of a connected server against the simulated controller:
// capability, mailboxes, scans and their events, alerts and handle routing.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "MailboxTestSupport.h"
#include "ScanAttributeUtil.h"
#include "ScannerCapability.h"
#include "ServerHandleToServerMap.h"
#include "VEQAttributeKeys.h"
#include "ZeltoEngineServerMailbox.h"
#include "ZeltoScanAPIComponent.h"

using mailboxtest::ConnectedServer;
using mailboxtest::EmptyMailboxesFixture;
using mailboxtest::ScanEventRecorder;
using mailboxtest::SmallJob;
using Type = ScanAPIComponent::VEQScanEvent::Type;

namespace {

VEQTypes::ScanInitiateAttributes AdfScan() {
    VEQTypes::ScanInitiateAttributes request;
    request.m_scanSource = ScannerAttribute(ScannerAttribute::SCAN_SOURCE, g_keyScanSource, "ADF");
    request.m_pageSize = ScannerAttribute(ScannerAttribute::PAGE_SIZE, g_keyPageSize, "A4");
    request.m_resolution = ScannerAttribute(ScannerAttribute::RESOLUTION, g_keyResolution, "150");
    request.m_sidesToScan =
        ScannerAttribute(ScannerAttribute::SIDES, g_keySidesToScan, g_keyScanSingleSide);
    request.m_colorMode = ScannerAttribute(ScannerAttribute::COLOR_MODE, g_keyColorMode, "GRAYSCALE");
    return request;
}

// Every alert text, in arrival order.
class AlertRecorder {
public:
    explicit AlertRecorder(ScanAPIComponent& component) {
        component.m_alertSignal.connect([this](wxString text) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_texts.push_back(std::string(text.utf8_str()));
        });
    }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_texts;
};

class ScanComponentTest : public ::testing::Test {
protected:
    explicit ScanComponentTest(const Json::Value& fixture = EmptyMailboxesFixture())
        : m_controller(fixture) {}

    zeltosim::Simulator& Sim() { return m_controller.Sim(); }

    // Connects and returns the server's scan component.
    std::shared_ptr<ZeltoScanAPIComponent> Connect() {
        m_server = ConnectedServer();
        if (!m_server) return nullptr;
        return std::dynamic_pointer_cast<ZeltoScanAPIComponent>(m_server->GetScanAPI());
    }

    servertest::SimulatedController m_controller;
    std::shared_ptr<ZeltoServer> m_server;
};

Json::Value SlowScans() {
    Json::Value fixture = EmptyMailboxesFixture();
    fixture["scanning"]["pageDelayMs"] = 3000;
    return fixture;
}

class SlowScanComponentTest : public ScanComponentTest {
protected:
    SlowScanComponentTest() : ScanComponentTest(SlowScans()) {}
};

}  // namespace

TEST_F(ScanComponentTest, ALoginOffersTheScanComponentWithItsCapability) {
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    EXPECT_TRUE(m_server->IsScanSupported());
    std::shared_ptr<ScannerCapability> capability = component->GetScannerCapability();
    ASSERT_TRUE(capability);
    ASSERT_EQ(capability->GetScanSources().size(), 2u);
    EXPECT_EQ(capability->GetScanSources()[0].m_value, "ADF");
    EXPECT_EQ(capability->GetScanSources()[0].m_display, "Document feeder");
    EXPECT_EQ(capability->GetValidResolutions().front().m_value, "600");
    EXPECT_EQ(capability->GetDefaultResolution().m_value, "300");
    EXPECT_TRUE(component->GetAuthenticator());
    EXPECT_EQ(component->GetScanAttributeUtil()->GetServerAttributeForKey("UTF8_VERSION"), "2");
    ASSERT_TRUE(component->GetDefaultMailBox());
    EXPECT_EQ(component->GetDefaultMailBox()->GetMailBoxName(), "");
    EXPECT_FALSE(component->GetCurrentMailbox());
}

TEST_F(ScanComponentTest, TheHandleRoutesToTheServerWhileTheComponentLives) {
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    VelloraServerHandle* handle = m_server->GetServerhandle();
    EXPECT_EQ(ServerHandleToServerMap::Find(handle), m_server.get());
    component.reset();
    ASSERT_TRUE(m_server->Disconnect(false));
    EXPECT_EQ(ServerHandleToServerMap::Find(handle), nullptr);
    EXPECT_EQ(ServerHandleToServerMap::Size(), 0u);
}

TEST(ServerHandleToServerMap, AnEntryStaysWhileAnyRegistrationHoldsIt) {
    VelloraServerHandle* handle = reinterpret_cast<VelloraServerHandle*>(0x1000);
    Server* first = reinterpret_cast<Server*>(0x2000);
    Server* second = reinterpret_cast<Server*>(0x3000);
    ServerHandleToServerMap::Add(handle, first);
    ServerHandleToServerMap::Add(handle, second);
    EXPECT_EQ(ServerHandleToServerMap::Find(handle), first);
    ServerHandleToServerMap::Remove(handle);
    EXPECT_EQ(ServerHandleToServerMap::Find(handle), first);
    ServerHandleToServerMap::Remove(handle);
    EXPECT_EQ(ServerHandleToServerMap::Find(handle), nullptr);
    ServerHandleToServerMap::Remove(handle);
    EXPECT_EQ(ServerHandleToServerMap::Size(), 0u);
}

TEST_F(ScanComponentTest, AMailboxIsMadeOnceAndRefreshedOnEachRequest) {
    Sim().AddJob(SmallJob(5, 1, {"PDF"}, "Accounting"));
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    EXPECT_FALSE(component->GetMailBox("Accounting", "wrong"));
    EXPECT_FALSE(component->GetMailBox("Nobody", ""));

    std::shared_ptr<MailBox> first = component->GetMailBox("Accounting", "1234");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->GetMailBoxDisplayName(), "Accounting");
    EXPECT_EQ(first->GetAvailableScannedJobs()->size(), 1u);

    Sim().AddJob(SmallJob(6, 1, {"PDF"}, "Accounting"));
    std::shared_ptr<MailBox> second = component->GetMailBox("Accounting", "1234");
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->GetAvailableScannedJobs()->size(), 2u);

    // Without engine boxes the user login changes nothing.
    EXPECT_EQ(component->GetMailBox("Accounting", "1234", "someone", "secret"), first);
    EXPECT_FALSE(component->GetMailBox("Accounting", "wrong", "someone", "secret"));

    component->SetCurrentMailBox(first);
    EXPECT_EQ(component->GetCurrentMailbox(), first);
}

class EngineScanComponentTest : public ScanComponentTest {
protected:
    static Json::Value Fixture() {
        Json::Value fixture = EmptyMailboxesFixture();
        fixture["engineBoxes"] = servertest::ParseJson(
            R"({"enabled": true, "users": [{"name": "eng", "password": "ep"}]})");
        return fixture;
    }
    EngineScanComponentTest() : ScanComponentTest(Fixture()) {}
};

TEST_F(EngineScanComponentTest, AnEngineBoxIsOpenedWithTheUserAndNotCached) {
    ASSERT_TRUE(Sim().AddMailbox("Box1", "bp", "eng"));
    Sim().AddJob(SmallJob(7, 2, {"PDF"}, "Box1"));
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    ASSERT_TRUE(component->GetScannerCapability()->CanServerSupportEngineBox());

    std::shared_ptr<MailBox> box = component->GetMailBox("Box1", "bp", "eng", "ep");
    ASSERT_TRUE(box);
    EXPECT_TRUE(std::dynamic_pointer_cast<ZeltoEngineServerMailbox>(box));
    EXPECT_EQ(box->GetAvailableScannedJobs()->size(), 1u);
    EXPECT_NE(component->GetMailBox("Box1", "bp", "eng", "ep"), box);
    EXPECT_FALSE(component->GetMailBox("Box1", "bp", "eng", "wrong"));
}

TEST_F(ScanComponentTest, AFinishedScanReportsItsPagesThenTheNewJob) {
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    ScanEventRecorder events(*component);
    int jobId = 0;
    ASSERT_EQ(component->InitiateScan(AdfScan(), jobId, false), ScanAPIComponent::SCAN_STARTED);
    EXPECT_GT(jobId, 0);

    ASSERT_TRUE(events.WaitForType(Type::CREATED));
    const auto seen = events.Events();
    ASSERT_EQ(seen.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(seen[i].m_type, Type::PAGE_SCANNED);
        EXPECT_EQ(seen[i].m_pageCount, i + 1);
    }
    EXPECT_EQ(seen[3].m_type, Type::CREATED);
    for (const auto& e : seen) {
        EXPECT_EQ(e.m_jobId, jobId);
        EXPECT_EQ(e.m_serverAddress, "127.0.0.1");
    }
    // The default mailbox was refreshed before InitiateScan returned.
    EXPECT_NE(component->GetDefaultMailBox()->GetScannedJobForID(jobId)->m_id, 0);
    const auto request = Sim().Calls("SCAN_initiateScan").back();
    EXPECT_EQ(request.Argument("SCAN_SOURCE"), "ADF");
    EXPECT_EQ(request.Argument("RAW_X_RES"), "150");
    EXPECT_EQ(request.Argument("Duplex"), "0");
}

// The controller's own first page comes seconds later; the one raised here is the
// first event, so a scan left open must not return before it was raised.
TEST_F(SlowScanComponentTest, AScanLeftOpenReturnsAfterItsFirstEvent) {
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    ScanEventRecorder events(*component);
    std::atomic<bool> raised(false);
    std::thread raiser([&] {
        veqtest::WaitFor([&] { return Sim().CallCount("SCAN_initiateScan") > 0; });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        raised = true;
        Sim().RaiseScanEvent(VELLORA_SCAN_EVENT_PAGE_SCANNED, 77);
    });
    int jobId = 0;
    const int result = component->InitiateScan(AdfScan(), jobId, true);
    const bool raisedBeforeReturn = raised;
    raiser.join();
    EXPECT_EQ(result, ScanAPIComponent::SCAN_STARTED);
    EXPECT_TRUE(raisedBeforeReturn);
    EXPECT_EQ(Sim().CallCount("SCAN_finish"), 0u);
    EXPECT_TRUE(events.WaitForType(Type::PAGE_SCANNED));
    component->CancelScan();
}

TEST_F(ScanComponentTest, ARefusedScanReportsBusyOrFailure) {
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    const std::pair<int, int> cases[] = {{VELLORA_BUSY, ScanAPIComponent::SCAN_REFUSED_BUSY},
                                         {VELLORA_ACCESS_DENIED, ScanAPIComponent::SCAN_FAILED}};
    for (const auto& c : cases) {
        Sim().InjectResult("SCAN_initiateScan", c.first);
        int jobId = 1234;
        EXPECT_EQ(component->InitiateScan(AdfScan(), jobId, true), c.second) << c.first;
        EXPECT_EQ(jobId, 1234);
    }
}

TEST_F(SlowScanComponentTest, LateEventsArePassedOnInArrivalOrder) {
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    ScanEventRecorder events(*component);
    const int pages = 100;
    // The controller's own pages come seconds later; these come first, back to back.
    std::thread raiser([&] {
        veqtest::WaitFor([&] { return Sim().CallCount("SCAN_initiateScan") > 0; });
        for (int i = 0; i < pages; ++i) Sim().RaiseScanEvent(VELLORA_SCAN_EVENT_PAGE_SCANNED, 77);
        Sim().RaiseScanEvent(VELLORA_SCAN_EVENT_CREATED, 77);
    });
    int jobId = 0;
    const int result = component->InitiateScan(AdfScan(), jobId, true);
    raiser.join();
    EXPECT_EQ(result, ScanAPIComponent::SCAN_STARTED);
    ASSERT_TRUE(events.WaitForType(Type::CREATED));
    const auto seen = events.Events();
    ASSERT_EQ(seen.size(), static_cast<size_t>(pages + 1));
    for (int i = 0; i < pages; ++i) {
        EXPECT_EQ(seen[i].m_type, Type::PAGE_SCANNED);
        EXPECT_EQ(seen[i].m_pageCount, i + 1);
    }
    EXPECT_EQ(seen.back().m_type, Type::CREATED);
    component->CancelScan();
}

TEST_F(SlowScanComponentTest, AScanWaitingForItsEndReturnsWhenTheServerLogsOut) {
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    std::future<int> scan = std::async(std::launch::async, [&] {
        int jobId = 0;
        return component->InitiateScan(AdfScan(), jobId, false);
    });
    ASSERT_TRUE(veqtest::WaitFor([&] { return Sim().CallCount("SCAN_finish") > 0; },
                                 std::chrono::seconds(20)));
    ASSERT_TRUE(m_server->Disconnect(false));
    ASSERT_EQ(scan.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(scan.get(), ScanAPIComponent::SCAN_STARTED);
}

TEST_F(ScanComponentTest, EventsOutsideAScanAreProcessedButNotPassedOn) {
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    ScanEventRecorder events(*component);
    std::atomic<int> refreshed(0);
    component->GetDefaultMailBox()->m_jobsRefreshedSignal.connect([&] { ++refreshed; });
    Sim().AddJob(SmallJob(9, 1, {"PDF"}));  // raises the created event
    ASSERT_TRUE(veqtest::WaitFor([&] { return refreshed > 0; }));
    EXPECT_EQ(component->GetDefaultMailBox()->GetScannedJobForID(9)->m_id, 9);
    ASSERT_TRUE(Sim().DeleteJob(9));  // raises the deleted event
    ASSERT_TRUE(veqtest::WaitFor([&] { return refreshed > 1; }));
    m_server->GetPool().wait(0);
    EXPECT_TRUE(events.Events().empty());
}

TEST_F(ScanComponentTest, AlertsAreTranslatedAndConfigurationChangesAnnounced) {
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    AlertRecorder alerts(*component);
    Sim().RaiseAlert(VELLORA_ALERT_KIND_LOCALE_KEY, "PAPER_JAM");
    Sim().RaiseAlert(2, "PAPER_JAM");
    Sim().RaiseScanEvent(VELLORA_SCAN_EVENT_CONFIG_CHANGED, 0);
    Sim().RaiseAlert(VELLORA_ALERT_KIND_LOCALE_KEY, "COVER_OPEN");
    ASSERT_TRUE(veqtest::WaitFor([&] { return alerts.Texts().size() >= 3; }));
    m_server->GetPool().wait(0);
    EXPECT_EQ(alerts.Texts(), (std::vector<std::string>{"Paper jam in the document feeder.", "",
                                                        "The scanner cover is open."}));
}

class DisabledScanComponentTest : public ScanComponentTest {
protected:
    static Json::Value Fixture() {
        Json::Value fixture = EmptyMailboxesFixture();
        fixture["scanning"]["enabled"] = false;
        return fixture;
    }
    DisabledScanComponentTest() : ScanComponentTest(Fixture()) {}
};

TEST_F(DisabledScanComponentTest, AConfigurationChangeAsksToEnableScanning) {
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    EXPECT_FALSE(m_server->IsScanSupported());
    AlertRecorder alerts(*component);
    Sim().RaiseScanEvent(VELLORA_SCAN_EVENT_CONFIG_CHANGED, 0);
    ASSERT_TRUE(veqtest::WaitFor([&] { return !alerts.Texts().empty(); }));
    EXPECT_EQ(alerts.Texts().front(), "Please enable Veqora from copier.");
}

TEST_F(ScanComponentTest, ServerTextsAreDecodedByTheServer) {
    std::shared_ptr<ZeltoScanAPIComponent> component = Connect();
    ASSERT_TRUE(component);
    std::shared_ptr<ScanAttributeUtil> util = component->GetScanAttributeUtil();
    std::string output;
    util->DecodeStringToUTF("ja", "\x83\x4a", output, false);
    EXPECT_EQ(output, "\xe3\x82\xab");  // katakana KA
    util->DecodeStringToUTF("jam", "\x8e", output, false);
    EXPECT_EQ(output, "\xc3\xa9");  // Mac Roman e acute
    util->DecodeStringToUTF("", "\x8e", output, true);
    EXPECT_EQ(output, "\xef\xbb\xbf\xc3\xa9");
    EXPECT_EQ(util->GetCurrentLocaleString(), "en_US");
}
