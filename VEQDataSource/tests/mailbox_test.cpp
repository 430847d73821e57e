// Mailboxes against the simulated controller: job lists, refreshes, per-job
// queries, formats and deletion.
#include <gtest/gtest.h>

#include <atomic>

#include "DataFormatter.h"
#include "MailboxTestSupport.h"
#include "ZeltoEngineServerMailbox.h"
#include "ZeltoServerMailBox.h"

using mailboxtest::ConnectedServer;
using mailboxtest::EmptyMailboxesFixture;
using mailboxtest::SmallJob;

namespace {

class MailboxTest : public mailboxtest::AccountingMailboxTest {};

}  // namespace

TEST_F(MailboxTest, TheListingFillsEveryFieldOfAJob) {
    zeltosim::JobOptions job = SmallJob(11, 3, {"PDF", "TIFF"}, "Accounting");
    job.finishTime = 1700000000;
    Sim().AddJob(job);
    const zeltosim::JobInfo info = Sim().Jobs("Accounting").front();
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open();
    ASSERT_TRUE(mailbox);

    const auto jobs = mailbox->GetAvailableScannedJobs();
    ASSERT_EQ(jobs->size(), 1u);
    const VEQTypes::VEQScannedJob& listed = jobs->front();
    EXPECT_EQ(listed.m_id, 11);
    EXPECT_EQ(listed.m_name, "Job11");
    EXPECT_EQ(listed.m_pageCount, 3);
    EXPECT_EQ(listed.m_size, info.size);
    EXPECT_EQ(listed.m_sizeText, DataFormatter::FormatSizeInMB(static_cast<double>(info.size)));
    EXPECT_EQ(listed.m_finishTime, 1700000000);
    EXPECT_EQ(listed.m_dateText,
              DataFormatter::FormatKTRDate(1700000000, m_server->GetTimeAdjustment(), TodayYesterday));
    EXPECT_EQ(mailbox->GetMailBoxName(), "Accounting");
    EXPECT_EQ(mailbox->GetMailBoxDisplayName(), "Accounting");
    EXPECT_EQ(mailbox->GetPassword(), "1234");
}

TEST_F(MailboxTest, CallersHoldCopiesThatARefreshDoesNotChange) {
    Sim().AddJob(SmallJob(11, 1, {"PDF"}, "Accounting"));
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open();
    ASSERT_TRUE(mailbox);
    const auto before = mailbox->GetAvailableScannedJobs();
    const auto job = mailbox->GetScannedJobForID(11);

    Sim().AddJob(SmallJob(12, 1, {"PDF"}, "Accounting"));
    ASSERT_TRUE(mailbox->RefreshAvailableScannedJobs());
    EXPECT_EQ(before->size(), 1u);
    EXPECT_EQ(job->m_id, 11);
    EXPECT_EQ(mailbox->GetAvailableScannedJobs()->size(), 2u);
    EXPECT_TRUE(mailbox->IsJobInCachedMailbox(12));
}

TEST_F(MailboxTest, ARefreshSignalsSuccessOnlyAndKeepsTheListOnFailure) {
    Sim().AddJob(SmallJob(11, 1, {"PDF"}, "Accounting"));
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open();
    ASSERT_TRUE(mailbox);
    int refreshed = 0;
    mailbox->m_jobsRefreshedSignal.connect([&] { ++refreshed; });

    Sim().InjectResult("SCAN_getJobListInMailbox", VELLORA_GENERAL_FAILURE);
    EXPECT_FALSE(mailbox->RefreshAvailableScannedJobs());
    EXPECT_EQ(refreshed, 0);
    EXPECT_EQ(mailbox->GetAvailableScannedJobs()->size(), 1u);

    ASSERT_TRUE(Sim().DeleteJob(11));
    EXPECT_TRUE(mailbox->RefreshAvailableScannedJobs());
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(mailbox->GetAvailableScannedJobs()->empty());
}

TEST_F(MailboxTest, ARefreshDuringARefreshReturnsAtOnce) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open();
    ASSERT_TRUE(mailbox);
    int signals = 0;
    bool nestedResult = true;
    // The slot runs inside the first refresh, on its thread.
    mailbox->m_jobsRefreshedSignal.connect([&] {
        ++signals;
        if (signals == 1) nestedResult = mailbox->RefreshAvailableScannedJobs();
    });
    const size_t listings = Sim().CallCount("SCAN_getJobListInMailbox");
    EXPECT_TRUE(mailbox->RefreshAvailableScannedJobs());
    EXPECT_FALSE(nestedResult);
    EXPECT_EQ(signals, 1);
    EXPECT_EQ(Sim().CallCount("SCAN_getJobListInMailbox"), listings + 1);
}

TEST_F(MailboxTest, FormatsAndDefaultComeFromTheListedAttributes) {
    struct Case {
        const char* name;
        std::vector<std::string> formats;
        std::map<std::string, std::string> attributes;
        std::vector<std::string> removed;
        std::vector<VEQTypes::FileFormat> expected;
        VEQTypes::FileFormat defaultFormat;
    };
    const Case cases[] = {
        {"default first, then every format", {"PDF", "TIFF"}, {}, {},
         {VEQTypes::PDF, VEQTypes::PDF, VEQTypes::TIFF}, VEQTypes::PDF},
        {"unknown texts skipped", {"JPEG", "PDF"}, {{"FILE_FORMAT:2", "BMP"}}, {},
         {VEQTypes::JPEG, VEQTypes::JPEG}, VEQTypes::JPEG},
        {"count 0", {"PDF"}, {{"N_FILE_FORMAT", "0"}}, {}, {}, VEQTypes::PDF},
        {"no count", {"PDF"}, {}, {"N_FILE_FORMAT"}, {}, VEQTypes::PDF},
        {"count beyond the keys", {"TIFF"}, {{"N_FILE_FORMAT", "4"}}, {},
         {VEQTypes::TIFF, VEQTypes::TIFF}, VEQTypes::TIFF},
        {"unknown default", {"XPS"}, {{"DEFAULT_FORMAT", "pdf"}}, {}, {VEQTypes::XPS, VEQTypes::XPS},
         VEQTypes::PDF},
    };
    int id = 20;
    for (const Case& c : cases) {
        zeltosim::JobOptions job = SmallJob(id++, 1, c.formats, "Accounting");
        job.attributes = c.attributes;
        job.removedAttributes = c.removed;
        Sim().AddJob(job);
    }
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open();
    ASSERT_TRUE(mailbox);
    id = 20;
    for (const Case& c : cases) {
        EXPECT_EQ(mailbox->GetSupportedFileFormatForJob(id), c.expected) << c.name;
        EXPECT_EQ(mailbox->GetDefaultFileFormatForJob(id), c.defaultFormat) << c.name;
        ++id;
    }
    EXPECT_TRUE(mailbox->GetSupportedFileFormatForJob(999).empty());
    EXPECT_EQ(mailbox->GetDefaultFileFormatForJob(999), VEQTypes::PDF);
    EXPECT_TRUE(mailbox->IsFileFormatSupported(VEQTypes::TIFF, 20));
    EXPECT_FALSE(mailbox->IsFileFormatSupported(VEQTypes::BMP, 21));
}

TEST_F(MailboxTest, PageCountsAndFinishTimesHaveFallbacks) {
    zeltosim::JobOptions asked = SmallJob(31, 3, {"PDF"}, "Accounting");
    asked.removedAttributes = {"N_PAGES"};
    zeltosim::JobOptions zero = SmallJob(32, 2, {"PDF"}, "Accounting");
    zero.attributes = {{"N_PAGES", "0"}, {"FINISH_TIME", "sometime last week"}};
    Sim().AddJob(asked);
    Sim().AddJob(zero);
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open();
    ASSERT_TRUE(mailbox);
    EXPECT_EQ(mailbox->GetScannedJobForID(31)->m_pageCount, 3);
    EXPECT_EQ(mailbox->GetScannedJobForID(32)->m_pageCount, 2);
    EXPECT_EQ(mailbox->GetScannedJobForID(32)->m_finishTime, 0);
    EXPECT_EQ(mailbox->GetScannedJobForID(32)->m_dateText, "sometime last week");

    // A page query that fails still gives one page.
    Sim().InjectResult("SCAN_getNumPagesInJob", VELLORA_GENERAL_FAILURE, 2);
    ASSERT_TRUE(mailbox->RefreshAvailableScannedJobs());
    EXPECT_EQ(mailbox->GetScannedJobForID(31)->m_pageCount, 1);
}

TEST_F(MailboxTest, AnUnknownJobIsAnEmptyRecord) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open();
    ASSERT_TRUE(mailbox);
    const auto job = mailbox->GetScannedJobForID(404);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->m_id, 0);
    EXPECT_TRUE(job->m_name.empty());
    EXPECT_EQ(job->m_size, 0u);
}

TEST_F(MailboxTest, JobNamesAreTheControllersOwnForDisplay) {
    zeltosim::JobOptions job = SmallJob(41, 1, {"PDF"}, "Accounting");
    job.name = "../../outside/Scan";
    Sim().AddJob(job);
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open();
    ASSERT_TRUE(mailbox);
    EXPECT_EQ(mailbox->GetScannedJobForID(41)->m_name, "../../outside/Scan");
}

TEST_F(MailboxTest, DeletionAsksTheServerAndLeavesTheListToTheNextRefresh) {
    Sim().AddJob(SmallJob(51, 1, {"PDF"}, "Accounting"));
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open();
    ASSERT_TRUE(mailbox);
    EXPECT_TRUE(mailbox->IsJobInMailbox(51));
    EXPECT_TRUE(mailbox->DeleteJob(51));
    EXPECT_FALSE(Sim().HasJob(51));
    EXPECT_FALSE(mailbox->IsJobInMailbox(51));
    EXPECT_TRUE(mailbox->IsJobInCachedMailbox(51));
    EXPECT_FALSE(mailbox->DeleteJob(51));
    ASSERT_TRUE(mailbox->RefreshAvailableScannedJobs());
    EXPECT_FALSE(mailbox->IsJobInCachedMailbox(51));
}

TEST_F(MailboxTest, AWrongPasswordListsNothing) {
    Sim().AddJob(SmallJob(61, 1, {"PDF"}, "Accounting"));
    m_server = ConnectedServer();
    ASSERT_TRUE(m_server);
    ZeltoServerMailBox mailbox(m_server.get(), "Accounting", "wrong");
    EXPECT_TRUE(mailbox.GetAvailableScannedJobs()->empty());
    EXPECT_FALSE(mailbox.RefreshAvailableScannedJobs());
    EXPECT_FALSE(mailbox.IsJobInMailbox(61));
}

TEST(EngineMailbox, AnEngineBoxIsListedWithTheUsersLogin) {
    Json::Value fixture = EmptyMailboxesFixture();
    fixture["engineBoxes"] = servertest::ParseJson(
        R"({"enabled": true, "users": [{"name": "eng", "password": "ep"}]})");
    servertest::SimulatedController controller(fixture);
    zeltosim::Simulator& sim = controller.Sim();
    ASSERT_TRUE(sim.AddMailbox("Box1", "bp", "eng"));
    sim.AddJob(SmallJob(71, 2, {"PDF"}, "Box1"));
    std::shared_ptr<ZeltoServer> server = ConnectedServer();
    ASSERT_TRUE(server);
    std::shared_ptr<ZeltoEngineServerMailbox> box =
        std::make_shared<ZeltoEngineServerMailbox>(server.get(), "eng", "ep", "Box1", "bp");
    sim.ClearCalls();
    ASSERT_TRUE(box->RefreshAvailableScannedJobs());
    ASSERT_EQ(box->GetAvailableScannedJobs()->size(), 1u);
    EXPECT_EQ(box->GetScannedJobForID(71)->m_pageCount, 2);
    const auto calls = sim.Calls("SCAN_getJobListInEngineBox");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(sim.CallCount("SCAN_getJobListInMailbox"), 0u);

    std::shared_ptr<ZeltoEngineServerMailbox> wrong =
        std::make_shared<ZeltoEngineServerMailbox>(server.get(), "eng", "nope", "Box1", "bp");
    EXPECT_FALSE(wrong->RefreshAvailableScannedJobs());
}
