// The application's plug-in: it asks where to save before it starts, and
// saves the job as one file there.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include <wx/filename.h>

#include "ChooserPrompts.h"
#include "FakeDataSource.h"
#include "Plugin.h"
#include "TestSupport.h"
#include "WxTestApp.h"
#include "ZeltoSim.h"

namespace {

using veqfake::FakeMailBox;

VEQTypes::VEQScannedJob Job(int id, const wxString& name) {
    VEQTypes::VEQScannedJob job;
    job.m_id = id;
    job.m_name = name;
    return job;
}

class AppPluginTest : public testing::Test {
protected:
    void SetUp() override { veqfake::EnsureWxApp(); }
    veqtest::TempDir m_folder;
};

TEST_F(AppPluginTest, RetrievalAsksForTheJobsFormatsAndSavesItWhole) {
    auto mailbox = std::make_shared<FakeMailBox>("Accounting");
    mailbox->AddJob(7, "Invoice", 2);
    mailbox->m_jobFormats[7] = {VEQTypes::PDF, VEQTypes::TIFF, VEQTypes::COMPACT_PDF};
    mailbox->m_defaultFormat = VEQTypes::TIFF;
    const wxString path = m_folder.Path() + "/Invoice.tiff";
    ScriptedPrompts prompts({{true, path, 1}});
    Plugin plugin;
    EXPECT_FALSE(plugin.IsPluginMode());
    EXPECT_FALSE(plugin.IsDriverMode());
    ASSERT_EQ(plugin.InitMailBoxRetrive(mailbox, Job(7, "Invoice")), 0);
    ASSERT_EQ(prompts.m_asked.size(), 1u);
    EXPECT_EQ(prompts.m_asked[0].name, "Invoice");
    EXPECT_EQ(prompts.m_asked[0].wildcard, "PDF|*.pdf|TIFF|*.tif;*.tiff|COMPACT_PDF|*.pdf");
    EXPECT_EQ(prompts.m_asked[0].filterIndex, 1);
    ASSERT_EQ(mailbox->Saves().size(), 1u);
    const veqfake::SaveRequest save = mailbox->Saves()[0];
    EXPECT_EQ(save.m_path, path);
    EXPECT_EQ(save.m_attributes.m_format, VEQTypes::TIFF);
    EXPECT_EQ(save.m_attributes.m_pageIndex, 0);
    EXPECT_EQ(save.m_attributes.m_jobId, 7);
    EXPECT_TRUE(save.m_asynchronous);
    EXPECT_EQ(save.m_policy, MailBox::SAVE_DOCUMENTS_WHOLE);
    EXPECT_TRUE(plugin.OnDownloadCompleted());
}

// The controller's job name is proposed as a file name only once it cannot
// leave the folder the user is in.
TEST_F(AppPluginTest, TheProposedFileNameIsTheJobNameMadeSafe) {
    const struct {
        const char* job;
        const char* proposed;
    } cases[] = {
        {"Invoice", "Invoice"},
        {"../../outside/Scan", "____outside_Scan"},
        {"a/b", "a_b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.job);
        auto mailbox = std::make_shared<FakeMailBox>("Accounting");
        mailbox->AddJob(7, c.job, 1);
        mailbox->m_jobFormats[7] = {VEQTypes::PDF};
        ScriptedPrompts prompts({{false, wxString(), 0}});
        Plugin plugin;
        EXPECT_EQ(plugin.InitMailBoxRetrive(mailbox, Job(7, c.job)), 3);
        ASSERT_EQ(prompts.m_asked.size(), 1u);
        EXPECT_EQ(prompts.m_asked[0].name, c.proposed);
    }
}

TEST_F(AppPluginTest, RetrievalAnswersForEveryWayItCanEnd) {
    const struct {
        const char* name;
        bool hasMailbox;
        bool hasFormats;
        bool userChooses;
        bool saveAccepted;
        int result;
        size_t dialogs;
    } cases[] = {
        {"no mailbox", false, true, true, true, 1, 0},
        {"no formats for the job", true, false, true, true, 1, 0},
        {"user cancels", true, true, false, true, 3, 1},
        {"save refused", true, true, true, false, 1, 1},
        {"save queued", true, true, true, true, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto mailbox = std::make_shared<FakeMailBox>("Box");
        mailbox->AddJob(3, "Job", 1);
        if (!c.hasFormats) {
            mailbox->m_jobFormats[3].clear();
        }
        mailbox->m_acceptSaves = c.saveAccepted;
        ScriptedPrompts prompts({{c.userChooses, m_folder.Path() + "/Job.pdf", 0}});
        Plugin plugin;
        EXPECT_EQ(plugin.InitMailBoxRetrive(c.hasMailbox ? mailbox : nullptr, Job(3, "Job")), c.result);
        EXPECT_EQ(prompts.m_asked.size(), c.dialogs);
        EXPECT_EQ(mailbox->Saves().size(), c.userChooses && c.dialogs == 1 ? 1u : 0u);
    }
}

TEST_F(AppPluginTest, WithoutAServerNothingIsOffered) {
    ScriptedPrompts prompts({});
    Plugin plugin;
    EXPECT_EQ(plugin.InitScan(VEQTypes::ScanInitiateAttributes()), 1);
    EXPECT_EQ(plugin.OnScanCompleted(), 0);
    EXPECT_TRUE(prompts.m_asked.empty());
}

class AppPluginServerTest : public AppPluginTest {
protected:
    void SetUp() override {
        AppPluginTest::SetUp();
        m_simulator.Start("127.0.0.1", 0);
        m_port = std::make_unique<veqtest::ScopedEnv>("VELLORA_PORT", std::to_string(m_simulator.Port()).c_str());
    }
    void TearDown() override { m_port.reset(); }

    zeltosim::Simulator m_simulator;
    std::unique_ptr<veqtest::ScopedEnv> m_port;
};

TEST_F(AppPluginServerTest, AServerIsKeptForItsAddressAndReplacedForAnother) {
    Plugin plugin;
    ASSERT_TRUE(plugin.SetServer("127.0.0.1"));
    std::shared_ptr<Server> first = plugin.GetServer();
    ASSERT_TRUE(plugin.SetServer("127.0.0.1"));
    EXPECT_EQ(plugin.GetServer(), first);
    EXPECT_EQ(m_simulator.CallCount("INIT_connectUTF8"), 1u) << "a connected server is not logged in again";

    first->Disconnect(false);
    ASSERT_TRUE(plugin.SetServer("127.0.0.1"));
    EXPECT_EQ(plugin.GetServer(), first) << "the same server logs in again";
    EXPECT_EQ(m_simulator.CallCount("INIT_connectUTF8"), 2u);
    EXPECT_EQ(m_simulator.Calls("INIT_connectUTF8").back().Argument("user"), "guest");

    // Nothing answers on 127.0.0.2: the old server is logged out, the new one fails.
    EXPECT_FALSE(plugin.SetServer("127.0.0.2"));
    EXPECT_NE(plugin.GetServer(), first);
    EXPECT_EQ(first->GetServerStatus(), VEQTypes::DISCONNECTED);
}

TEST_F(AppPluginServerTest, AServerStillLoggingOutIsReplacedAndTheNewOneConnects) {
    Plugin plugin;
    ASSERT_TRUE(plugin.SetServer("127.0.0.1"));
    std::shared_ptr<Server> first = plugin.GetServer();
    m_simulator.Hang();  // the logout waits for an answer
    ASSERT_TRUE(first->Disconnect(true));
    ASSERT_TRUE(veqtest::WaitFor([&]() { return first->GetServerStatus() == VEQTypes::DISCONNECTING; }));
    std::future<bool> connected = std::async(std::launch::async, [&plugin]() { return plugin.SetServer("127.0.0.1"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    m_simulator.Resume();
    EXPECT_TRUE(connected.get());
    EXPECT_NE(plugin.GetServer(), first);
    EXPECT_EQ(plugin.GetServer()->GetServerStatus(), VEQTypes::CONNECTED);
}

TEST_F(AppPluginServerTest, AScanIsSavedAsOneFileWhereTheUserChose) {
    Plugin plugin;
    ASSERT_TRUE(plugin.SetServer("127.0.0.1"));
    std::shared_ptr<ScanAPIComponent> scanAPI = plugin.GetServer()->GetScanAPI();
    ASSERT_TRUE(scanAPI);
    const wxString path = m_folder.Path() + "/Scan.pdf";

    // Cancelling the chooser starts nothing.
    {
        ScriptedPrompts cancel({{false, "", 0}});
        EXPECT_EQ(plugin.InitScan(VEQTypes::ScanInitiateAttributes()), 3);
        EXPECT_EQ(m_simulator.CallCount("SCAN_initiateScan"), 0u);
    }

    std::atomic<bool> created{false};
    std::atomic<int> savedJob{0};
    std::atomic<bool> saveEnded{false};
    std::atomic<int> saveKind{-1};
    boost::signals2::scoped_connection scans = scanAPI->m_scanEventSignal.connect(
        [&](ScanAPIComponent::VEQScanEvent event) {
            if (event.m_type == ScanAPIComponent::VEQScanEvent::CREATED) {
                savedJob = event.m_jobId;
                created = true;
            }
        });
    boost::signals2::scoped_connection saves = scanAPI->GetDefaultMailBox()->m_jobSaveSignal.connect(
        [&](MailBox::JobSaveEvent event) {
            if (event.m_eventKind >= MailBox::JobSaveEvent::COMPLETED) {
                saveKind = event.m_eventKind;
                saveEnded = true;
            }
        });
    ScriptedPrompts prompts({{true, path, 0}});
    ASSERT_EQ(plugin.InitScan(VEQTypes::ScanInitiateAttributes()), 0);
    ASSERT_EQ(prompts.m_asked.size(), 1u);
    EXPECT_EQ(prompts.m_asked[0].name, "Untitled");
    ASSERT_TRUE(veqtest::WaitFor([&]() { return created.load(); }, std::chrono::seconds(30)));
    ASSERT_EQ(plugin.OnScanCompleted(), 1);
    ASSERT_TRUE(veqtest::WaitFor([&]() { return saveEnded.load(); }, std::chrono::seconds(30)));
    EXPECT_EQ(saveKind, MailBox::JobSaveEvent::COMPLETED);
    const std::string content = veqtest::ReadFile(path.ToStdString());
    EXPECT_EQ(content.substr(0, 5), "%PDF-") << "one PDF with every page";
    EXPECT_FALSE(veqtest::FileExists(m_folder.Path() + "/Scan1.pdf"));
}

}  // namespace
