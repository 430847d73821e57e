// Scans: page events then the created event, the new job in the default
// mailbox, busy while another scan runs, cancellation and refused requests.
#include "ClientTestSupport.h"

#include <algorithm>

using namespace clienttest;

namespace {

class ScanTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        ScanEvents().Clear();
        handle = Open();
        session = Session(handle);
        ASSERT_EQ(SCAN_getEventsEx(handle, OnScanEvent, &events), VELLORA_OK);
    }
    void TearDown() override {
        NB_cancel_block_destroy(&events);
        ClientTest::TearDown();
    }
    int Start(std::vector<std::pair<std::string, std::string>> request, int& jobId) {
        Destination attributes(std::move(request));  // any list of pairs
        return SCAN_initiateScan(&session, attributes.Get(), &jobId, 0);
    }
    VelloraServerHandle* handle = nullptr;
    VelloraScanSession session{};
    VelloraNBTicket events{};
};

// Scans that take long enough for a second client to meet them running.
class SlowScanTest : public ScanTest {
protected:
    Json::Value Fixture() override {
        Json::Value f = SmallFixture();
        f["scanning"]["pageDelayMs"] = 5000;
        return f;
    }
};

TEST_F(ScanTest, AScanGivesPageEventsThenTheCreatedEventAndTheJobIsListed) {
    int jobId = 0;
    ASSERT_EQ(Start({{"SCAN_SOURCE", "ADF"}, {"COLOR_MODE", "COLOR"}, {"RAW_X_RES", "300"}, {"USERNAME", "me"}}, jobId),
              VELLORA_OK);
    EXPECT_GT(jobId, 0);
    ASSERT_TRUE(ScanEvents().WaitFor(4));
    auto seen = ScanEvents().All();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(seen[i].type, VELLORA_SCAN_EVENT_PAGE_SCANNED) << i;
        EXPECT_EQ(seen[i].id, jobId);
    }
    EXPECT_EQ(seen[3].type, VELLORA_SCAN_EVENT_CREATED);
    EXPECT_EQ(seen[3].id, jobId);
    EXPECT_EQ(SCAN_finish(&session, jobId, 0), VELLORA_OK);

    unsigned char present = 0;
    ASSERT_EQ(SCAN_isJobInMailbox(&session, "", "", jobId, &present, 0), VELLORA_OK);
    EXPECT_EQ(present, 1) << "scans land in the default mailbox";
    ScanJobList* list = nullptr;
    ASSERT_EQ(SCAN_getJobListInMailbox(&session, "", "", &list, 0), VELLORA_OK);
    bool listed = false;
    for (int i = 0; i < list->count; ++i) {
        if (list->entries[i].jobId != jobId) continue;
        listed = true;
        EXPECT_EQ(AttributeOf(list->entries[i], "N_PAGES"), "3");
        EXPECT_EQ(AttributeOf(list->entries[i], "DEFAULT_FORMAT"), "PDF");
        EXPECT_EQ(AttributeOf(list->entries[i], "FILE_FORMAT:2"), "JPEG");
    }
    SCAN_freeScanJobList(list, 0);
    EXPECT_TRUE(listed);
    auto call = Sim().Calls("SCAN_initiateScan").back();
    EXPECT_EQ(call.Argument("SCAN_SOURCE"), "ADF");
    EXPECT_EQ(call.Argument("USERNAME"), "me");
}

TEST_F(SlowScanTest, ASecondScanWhileOneRunsIsBusy) {
    VelloraServerHandle* other = Open();
    VelloraScanSession otherSession = Session(other);
    int first = 0, second = 0;
    ASSERT_EQ(Start({{"SCAN_SOURCE", "ADF"}}, first), VELLORA_OK);
    Destination request(std::vector<std::pair<std::string, std::string>>{{"SCAN_SOURCE", "PLATEN"}});
    EXPECT_EQ(SCAN_initiateScan(&otherSession, request.Get(), &second, 0), VELLORA_BUSY);
    ASSERT_EQ(SCAN_cancelScan(&session, first, 0, 0), VELLORA_OK);
    ASSERT_TRUE(ScanEvents().WaitFor(1));
    EXPECT_EQ(ScanEvents().All().front().type, VELLORA_SCAN_EVENT_CANCELLED);
    EXPECT_EQ(SCAN_initiateScan(&otherSession, request.Get(), &second, 0), VELLORA_OK)
        << "free again once the first scan ended";
    EXPECT_NE(second, first);
    EXPECT_EQ(SCAN_cancelScan(&otherSession, second, 0, 0), VELLORA_OK);
}

TEST_F(SlowScanTest, ACancelledScanEndsWithTheCancelledEventAndNoJob) {
    int jobId = 0;
    ASSERT_EQ(Start({{"SCAN_SOURCE", "ADF"}, {"SCAN_DOUBLE_SIDE", "YES"}, {"Duplex", "1"}}, jobId), VELLORA_OK);
    ASSERT_EQ(SCAN_cancelScan(&session, jobId, 0, 0), VELLORA_OK);
    ASSERT_TRUE(ScanEvents().WaitFor(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto seen = ScanEvents().All();
    ASSERT_EQ(seen.size(), 1u) << "no page and no created event follow";
    EXPECT_EQ(seen[0].type, VELLORA_SCAN_EVENT_CANCELLED);
    EXPECT_EQ(seen[0].id, jobId);
    EXPECT_FALSE(Sim().HasJob(jobId));
    EXPECT_EQ(SCAN_cancelScan(&session, jobId, 0, 0), VELLORA_JOB_NOT_FOUND);
    EXPECT_EQ(SCAN_finish(&session, 4242, 0), VELLORA_JOB_NOT_FOUND);
}

TEST_F(ScanTest, DuplexDoublesThePagesAndBlackAndWhiteLeavesJpegOut) {
    int jobId = 0;
    ASSERT_EQ(Start({{"SCAN_SOURCE", "PLATEN"}, {"COLOR_MODE", "BLACK_WHITE"}, {"SCAN_DOUBLE_SIDE", "YES"}}, jobId),
              VELLORA_OK);
    ASSERT_TRUE(veqtest::WaitFor([&] { return Sim().HasJob(jobId); }));
    auto jobs = Sim().Jobs("");
    auto it = std::find_if(jobs.begin(), jobs.end(), [&](const zeltosim::JobInfo& j) { return j.id == jobId; });
    ASSERT_NE(it, jobs.end());
    EXPECT_EQ(it->pages, 2);
    EXPECT_EQ(it->formats, std::vector<std::string>{"PDF"});
}

TEST_F(ScanTest, AScanIsThePageSizeAtTheRequestedResolution) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> request;
        int width, height, dpi;
    };
    const Case cases[] = {
        {{{"PAGESIZE", "A4"}, {"RAW_X_RES", "300"}, {"RAW_Y_RES", "300"}}, 2480, 3508, 300},
        {{{"PAGESIZE", "A4"}, {"RAW_X_RES", "600"}, {"RAW_Y_RES", "600"}}, 4961, 7016, 600},
        {{{"PAGESIZE", "LETTER"}, {"ORIENTATION", "LANDSCAPE"}, {"RAW_Y_RES", "200"}}, 2200, 1700, 200},
        {{{"PAGESIZE", "A3"}}, 1169, 1654, 100},
        {{{"RAW_X_RES", "fine"}}, 850, 1100, 100},
    };
    for (const auto& c : cases) {
        auto request = c.request;
        request.emplace_back("SCAN_SOURCE", "PLATEN");
        int jobId = 0;
        ASSERT_EQ(Start(request, jobId), VELLORA_OK);
        ASSERT_TRUE(veqtest::WaitFor([&] { return Sim().HasJob(jobId); }));
        auto jobs = Sim().Jobs("");
        auto it = std::find_if(jobs.begin(), jobs.end(), [&](const zeltosim::JobInfo& j) { return j.id == jobId; });
        ASSERT_NE(it, jobs.end());
        EXPECT_EQ(std::to_string(it->widthPx) + "x" + std::to_string(it->heightPx) + " at " + std::to_string(it->dpi),
                  std::to_string(c.width) + "x" + std::to_string(c.height) + " at " + std::to_string(c.dpi))
            << request.front().first << "=" << request.front().second;
    }
}

TEST_F(ScanTest, RequestsTheScannerDoesNotOfferAreRefused) {
    int jobId = 0;
    EXPECT_EQ(Start({{"SCAN_SOURCE", "TRAY9"}}, jobId), VELLORA_CONSTRAINTS_VIOLATED);
    EXPECT_EQ(Start({{"COLOR_MODE", "SEPIA"}}, jobId), VELLORA_CONSTRAINTS_VIOLATED);
    EXPECT_EQ(Start({{"FILE_FORMAT", "XPS"}}, jobId), VELLORA_CONSTRAINTS_VIOLATED);
    EXPECT_EQ(ScanEvents().Count(), 0u);
}

TEST(ScanDisabled, AControllerWithScanningOffRefusesScans) {
    Json::Value f = SmallFixture();
    f["scanning"]["enabled"] = false;
    ControllerOnPort controller(f);
    VelloraServerHandle* h = nullptr;
    ASSERT_EQ(Connect(&h), VELLORA_OK);
    VelloraScanSession s{};
    ASSERT_EQ(SCAN_openSession(h, &s, 0), VELLORA_OK);
    int jobId = 0;
    EXPECT_EQ(SCAN_initiateScan(&s, nullptr, &jobId, 0), VELLORA_ACCESS_DENIED);
    INIT_disconnect(h, 0);
}

}  // namespace
