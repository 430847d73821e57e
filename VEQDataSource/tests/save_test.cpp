// Saving mailbox jobs into files against the simulated controller: file
// layout, bytes, progress events, refusals, cancellation and failures.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "MailboxTestSupport.h"
#include "ZeltoServerMailBox.h"

using mailboxtest::ExpectedContent;
using mailboxtest::Request;
using mailboxtest::SaveEventRecorder;
using mailboxtest::SmallJob;
using veqtest::FileExists;
using veqtest::ReadFile;
using Kind = MailBox::JobSaveEvent::Kind;

namespace {

const char kUnexpected[] = "Error... Unexpected error from the Zelto server.";
const char kFolderAccess[] = "Please check this folder can be accessed and that you have read/write access.";
const uint64_t kMiB = 1048576;

// Holds both workers of a server's pool until released, so that what is
// queued after them waits.
class PoolBlocker {
public:
    // The state lives in shared ownership: the blocked tasks still touch it
    // after the blocker on the test's stack has gone.
    explicit PoolBlocker(ZeltoServer& server) : m_state(std::make_shared<State>()) {
        for (int i = 0; i < 2; ++i) {
            std::shared_ptr<State> state = m_state;
            server.GetPool().schedule([state] {
                std::unique_lock<std::mutex> lock(state->mutex);
                ++state->started;
                state->changed.notify_all();
                state->changed.wait(lock, [&state] { return state->released; });
            });
        }
        std::unique_lock<std::mutex> lock(m_state->mutex);
        m_state->changed.wait(lock, [this] { return m_state->started == 2; });
    }
    ~PoolBlocker() { Release(); }
    void Release() {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->released = true;
        m_state->changed.notify_all();
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        int started = 0;
        bool released = false;
    };
    std::shared_ptr<State> m_state;
};

class SaveTest : public mailboxtest::AccountingMailboxTest {
protected:
    std::string Path(const std::string& name) const { return m_folder / name; }

    veqtest::TempDir m_folder;
};

}  // namespace

TEST_F(SaveTest, AMultiPageJpegJobIsSavedPageByPage) {
    const zeltosim::JobOptions job = SmallJob(5, 3, {"JPEG", "PDF"}, "Accounting");
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::JPEG, 0, 5);

    ASSERT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("Scan.jpg"), request, false,
                                                        MailBox::SAVE_DOCUMENTS_WHOLE));
    for (int page = 1; page <= 3; ++page) {
        const std::string file = Path("Scan" + std::to_string(page) + ".jpg");
        EXPECT_EQ(ReadFile(file), ExpectedContent(job, zeltosim::ContentFormat::JPEG, page)) << file;
    }
    EXPECT_FALSE(FileExists(Path("Scan.jpg")));
    EXPECT_EQ(events.Kinds(), (std::vector<int>{Kind::STARTED, Kind::PROGRESS, Kind::PROGRESS,
                                                Kind::PROGRESS, Kind::PROGRESS, Kind::COMPLETED}));
    EXPECT_EQ(events.Percents(), (std::vector<int>{0, 33, 66, 100, 100, 100}));
    for (const auto& e : events.Events()) {
        EXPECT_EQ(e.jobId, 5);
        EXPECT_EQ(e.address, "127.0.0.1");
        EXPECT_TRUE(e.message.empty());
    }
}

TEST_F(SaveTest, AnAsynchronousSaveReportsTheSameEventsFromThePool) {
    const zeltosim::JobOptions job = SmallJob(5, 3, {"JPEG"}, "Accounting");
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::JPEG, 0, 5);

    ASSERT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("Scan.jpg"), request, true,
                                                        MailBox::SAVE_PAGE_PER_FILE));
    ASSERT_TRUE(events.WaitForEnd());
    EXPECT_EQ(events.LastKind(), Kind::COMPLETED);
    EXPECT_EQ(events.Percents(), (std::vector<int>{0, 33, 66, 100, 100, 100}));
    EXPECT_EQ(ReadFile(Path("Scan2.jpg")), ExpectedContent(job, zeltosim::ContentFormat::JPEG, 2));
}

TEST_F(SaveTest, AMultiPagePdfIsSavedWholeOrPageByPageByPolicy) {
    const zeltosim::JobOptions job = SmallJob(7, 3, {"PDF", "TIFF"}, "Accounting");
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 7);

    ASSERT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("Whole.pdf"), request, false,
                                                        MailBox::SAVE_DOCUMENTS_WHOLE));
    EXPECT_EQ(ReadFile(Path("Whole.pdf")), ExpectedContent(job, zeltosim::ContentFormat::PDF, 0));
    EXPECT_FALSE(FileExists(Path("Whole1.pdf")));

    ASSERT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("Paged.pdf"), request, false,
                                                        MailBox::SAVE_PAGE_PER_FILE));
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(ReadFile(Path("Paged" + std::to_string(page) + ".pdf")),
                  ExpectedContent(job, zeltosim::ContentFormat::PDF, page))
            << page;
    }
    EXPECT_FALSE(FileExists(Path("Paged.pdf")));
}

TEST_F(SaveTest, AWholeFileReportsProgressPerChunk) {
    zeltosim::JobOptions job = SmallJob(8, 1, {"PDF"}, "Accounting");
    job.paddingBytesPerPage = 2 * kMiB + kMiB / 2;
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 8);

    ASSERT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("Big.pdf"), request, false,
                                                        MailBox::SAVE_DOCUMENTS_WHOLE));
    const std::string expected = ExpectedContent(job, zeltosim::ContentFormat::PDF, 0);
    EXPECT_EQ(ReadFile(Path("Big.pdf")), expected);
    const int first = static_cast<int>(100 * kMiB / expected.size());
    const int second = static_cast<int>(200 * kMiB / expected.size());
    EXPECT_EQ(events.Kinds(), (std::vector<int>{Kind::STARTED, Kind::PROGRESS, Kind::PROGRESS,
                                                Kind::PROGRESS, Kind::PROGRESS, Kind::PROGRESS,
                                                Kind::COMPLETED}));
    EXPECT_EQ(events.Percents(), (std::vector<int>{0, 0, first, second, 100, 100, 100}));
}

TEST_F(SaveTest, OnePageOrOneAskedPageGoesToTheGivenPath) {
    const zeltosim::JobOptions single = SmallJob(9, 1, {"JPEG", "PDF"}, "Accounting");
    const zeltosim::JobOptions multi = SmallJob(10, 3, {"TIFF"}, "Accounting");
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({single, multi});
    ASSERT_TRUE(mailbox);
    for (MailBox::JobSavePolicy policy : {MailBox::SAVE_DOCUMENTS_WHOLE, MailBox::SAVE_PAGE_PER_FILE}) {
        VEQTypes::ScanRetriveAttribute jpeg = Request(VEQTypes::JPEG, 0, 9);
        const std::string path = Path("One" + std::to_string(policy) + ".jpg");
        ASSERT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(path, jpeg, false, policy));
        EXPECT_EQ(ReadFile(path), ExpectedContent(single, zeltosim::ContentFormat::JPEG, 1));
    }

    Sim().ClearCalls();
    VEQTypes::ScanRetriveAttribute second = Request(VEQTypes::TIFF, 2, 10);
    ASSERT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("P.tif"), second, false,
                                                        MailBox::SAVE_PAGE_PER_FILE));
    EXPECT_EQ(ReadFile(Path("P.tif")), ExpectedContent(multi, zeltosim::ContentFormat::TIFF, 2));
    EXPECT_FALSE(FileExists(Path("P2.tif")));
    const auto calls = Sim().Calls("SCAN_getDataInMailbox");
    ASSERT_FALSE(calls.empty());
    for (const auto& call : calls) {
        EXPECT_EQ(call.Argument("DEST_PAGE:1"), "2");
        EXPECT_EQ(call.Argument("DEST_FORMAT:1"), "TIFF");
        EXPECT_EQ(call.Argument("DEST:1"), "CALLER");
    }
}

TEST_F(SaveTest, RefusedSavesReturnFalseWithoutEventsOrTransfer) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({SmallJob(12, 2, {"PDF", "JPEG"}, "Accounting")});
    ASSERT_TRUE(mailbox);
    const std::string regularFile = Path("plain.txt");
    veqtest::WriteFile(regularFile, "x");
    struct Case {
        const char* name;
        std::string path;
        VEQTypes::ScanRetriveAttribute request;
    };
    const Case cases[] = {
        {"folder is a regular file", regularFile + "/Scan.pdf", Request(VEQTypes::PDF, 0, 12)},
        {"folder missing", Path("missing") + "/Scan.pdf", Request(VEQTypes::PDF, 0, 12)},
        {"no folder", "Scan.pdf", Request(VEQTypes::PDF, 0, 12)},
        {"negative page", Path("Scan.pdf"), Request(VEQTypes::PDF, -1, 12)},
        {"format not offered", Path("Scan.tif"), Request(VEQTypes::TIFF, 0, 12)},
        {"BMP is never offered", Path("Scan.bmp"), Request(VEQTypes::BMP, 1, 12)},
        {"job not listed", Path("Scan.pdf"), Request(VEQTypes::PDF, 0, 99)},
    };
    SaveEventRecorder events(*mailbox);
    Sim().ClearCalls();
    for (const Case& c : cases) {
        for (bool asynchronous : {false, true}) {
            VEQTypes::ScanRetriveAttribute request = c.request;
            EXPECT_FALSE(mailbox->SaveScanedJobToPathFromMailBox(c.path, request, asynchronous,
                                                                 MailBox::SAVE_DOCUMENTS_WHOLE))
                << c.name << (asynchronous ? " (asynchronous)" : "");
        }
    }
    m_server->GetPool().wait(0);
    EXPECT_TRUE(events.Events().empty());
    EXPECT_EQ(Sim().CallCount("SCAN_getDataInMailbox"), 0u);
    EXPECT_EQ(ReadFile(regularFile), "x");
}

// The save runs as an ordinary user (the super-user writes whatever the
// permission bits say), in a folder it may read and search but not write.
// In this process: the simulator's threads run here.
TEST_F(SaveTest, AFolderWithoutWriteAccessIsRefused) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({SmallJob(12, 1, {"PDF"}, "Accounting")});
    ASSERT_TRUE(mailbox);
    const std::string folder = Path("locked");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    veqtest::GiveToUnprivilegedUser(folder);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    Sim().ClearCalls();
    SaveEventRecorder events(*mailbox);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 12);
    const int outcome = veqtest::CallAsUnprivileged([&] {
        if (access(folder.c_str(), R_OK | X_OK) != 0) return 2;
        return mailbox->SaveScanedJobToPathFromMailBox(folder + "/Scan.pdf", request, false,
                                                       MailBox::SAVE_DOCUMENTS_WHOLE) ? 1 : 0;
    });
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(outcome, 0) << "2: the folder cannot be read, 1: saved";
    EXPECT_TRUE(events.Events().empty());
    EXPECT_EQ(Sim().CallCount("SCAN_getDataInMailbox"), 0u);
    EXPECT_TRUE(veqtest::FolderEntries(folder).empty());
}

TEST_F(SaveTest, AFullDiskEndsInTheFailedEventAndKeepsTheOldFile) {
    veqtest::SmallDisk disk(256 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "a small file system cannot be mounted here";
    zeltosim::JobOptions job = SmallJob(13, 1, {"PDF"}, "Accounting");
    job.paddingBytesPerPage = 2 * kMiB;
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    veqtest::WriteFile(disk / "Full.pdf", "old scan");
    SaveEventRecorder events(*mailbox);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 13);
    EXPECT_FALSE(mailbox->SaveScanedJobToPathFromMailBox(disk / "Full.pdf", request, false,
                                                         MailBox::SAVE_DOCUMENTS_WHOLE));
    ASSERT_FALSE(events.Events().empty());
    EXPECT_EQ(events.LastKind(), Kind::FAILED);
    EXPECT_EQ(events.Events().back().message, kFolderAccess);
    for (const auto& e : events.Events()) EXPECT_NE(e.kind, Kind::COMPLETED);
    EXPECT_EQ(ReadFile(disk / "Full.pdf"), "old scan");
    EXPECT_EQ(veqtest::FolderEntries(disk.Path()), std::vector<std::string>{"Full.pdf"});
}

TEST_F(SaveTest, ALinkPlantedAtTheFileNameIsReplacedAndItsTargetLeftAlone) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({SmallJob(13, 1, {"PDF"}, "Accounting")});
    ASSERT_TRUE(mailbox);
    veqtest::TempDir elsewhere;
    veqtest::WriteFile(elsewhere / "victim", "precious");
    ASSERT_EQ(symlink((elsewhere / "victim").c_str(), Path("Scan.pdf").c_str()), 0);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 13);
    EXPECT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("Scan.pdf"), request, false,
                                                        MailBox::SAVE_DOCUMENTS_WHOLE));
    EXPECT_EQ(ReadFile(elsewhere / "victim"), "precious");
    struct stat info;
    ASSERT_EQ(lstat(Path("Scan.pdf").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(ReadFile(Path("Scan.pdf")),
              ExpectedContent(SmallJob(13, 1, {"PDF"}, "Accounting"), zeltosim::ContentFormat::PDF, 0));
}

// Transfers that end before the last byte: the final name keeps the file it
// had, and no part of the new one is left in the folder.
TEST_F(SaveTest, ATransferThatEndsEarlyKeepsTheOldFileAndLeavesNoOther) {
    enum Fault { kFailTransfer, kDropTransfer, kCancel };
    const struct {
        const char* what;
        Fault fault;
        int jobId;
    } cases[] = {
        {"a failing transfer", kFailTransfer, 30},
        {"a dropped connection", kDropTransfer, 31},
        {"a cancel", kCancel, 32},
    };
    std::vector<zeltosim::JobOptions> jobs;
    for (const auto& c : cases) {
        jobs.push_back(SmallJob(c.jobId, 1, {"PDF"}, "Accounting"));
        jobs.back().paddingBytesPerPage = 3 * kMiB;
    }
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open(jobs);
    ASSERT_TRUE(mailbox);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        veqtest::TempDir folder;
        veqtest::WriteFile(folder / "Scan.pdf", "old scan");
        SaveEventRecorder events(*mailbox);
        boost::signals2::scoped_connection canceller;
        if (c.fault == kFailTransfer) Sim().FailTransfer(c.jobId, 1);
        if (c.fault == kDropTransfer) Sim().DropDuringTransfer(c.jobId, 1);
        if (c.fault == kCancel) {
            canceller = mailbox->m_jobSaveSignal.connect([&](MailBox::JobSaveEvent e) {
                if (e.m_eventKind == Kind::PROGRESS && e.m_percent > 0) mailbox->CancelCurrentSaveJobOperation();
            });
        }
        VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, c.jobId);
        EXPECT_FALSE(mailbox->SaveScanedJobToPathFromMailBox(folder / "Scan.pdf", request, false,
                                                             MailBox::SAVE_DOCUMENTS_WHOLE));
        EXPECT_EQ(events.LastKind(), Kind::FAILED);
        EXPECT_EQ(ReadFile(folder / "Scan.pdf"), "old scan");
        EXPECT_EQ(veqtest::FolderEntries(folder.Path()), std::vector<std::string>{"Scan.pdf"});
        if (c.fault == kDropTransfer) {
            ASSERT_TRUE(veqtest::WaitFor([&] { return m_server->GetServerStatus() == VEQTypes::DISCONNECTED; }));
            ASSERT_TRUE(m_server->Connect("guest", "", false));
            mailbox = std::make_shared<ZeltoServerMailBox>(m_server.get(), "Accounting", "1234");
        }
    }
}

TEST_F(SaveTest, AClaimedPageCountBeyondTheJobsPagesMakesNoExtraFiles) {
    zeltosim::JobOptions job = SmallJob(33, 2, {"JPEG"}, "Accounting");
    job.attributes = {{"N_PAGES", "3000"}};
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::JPEG, 0, 33);
    EXPECT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("P.jpg"), request, false,
                                                        MailBox::SAVE_PAGE_PER_FILE));
    EXPECT_EQ(veqtest::FolderEntries(m_folder.Path()), (std::vector<std::string>{"P1.jpg", "P2.jpg"}));
    EXPECT_EQ(ReadFile(Path("P2.jpg")), ExpectedContent(job, zeltosim::ContentFormat::JPEG, 2));
    EXPECT_EQ(events.LastKind(), Kind::COMPLETED);
}

TEST_F(SaveTest, AFileThatCannotBeOpenedEndsInTheFailedEvent) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({SmallJob(13, 1, {"PDF"}, "Accounting")});
    ASSERT_TRUE(mailbox);
    ASSERT_EQ(mkdir(Path("Taken.pdf").c_str(), 0755), 0);  // a folder where the file should go
    SaveEventRecorder events(*mailbox);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 13);
    EXPECT_FALSE(mailbox->SaveScanedJobToPathFromMailBox(Path("Taken.pdf"), request, false,
                                                         MailBox::SAVE_DOCUMENTS_WHOLE));
    EXPECT_EQ(events.Kinds(), (std::vector<int>{Kind::STARTED, Kind::FAILED}));
    EXPECT_EQ(events.Events().back().message, kFolderAccess);
}

TEST_F(SaveTest, ACancelMidTransferLeavesNoFileAndFails) {
    zeltosim::JobOptions job = SmallJob(14, 1, {"PDF"}, "Accounting");
    job.paddingBytesPerPage = 3 * kMiB;
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    // Cancels as soon as the first chunk is on disk.
    boost::signals2::connection canceller = mailbox->m_jobSaveSignal.connect([&](MailBox::JobSaveEvent e) {
        if (e.m_eventKind == Kind::PROGRESS && e.m_percent > 0) mailbox->CancelCurrentSaveJobOperation();
    });
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 14);
    EXPECT_FALSE(mailbox->SaveScanedJobToPathFromMailBox(Path("Cut.pdf"), request, false,
                                                         MailBox::SAVE_DOCUMENTS_WHOLE));
    EXPECT_EQ(events.LastKind(), Kind::FAILED);
    EXPECT_EQ(events.Events().back().message, kUnexpected);
    EXPECT_TRUE(veqtest::FolderEntries(m_folder.Path()).empty());

    // The next save clears the flag and runs to its end.
    canceller.disconnect();
    EXPECT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("Full.pdf"), request, false,
                                                        MailBox::SAVE_DOCUMENTS_WHOLE));
}

TEST_F(SaveTest, ACancelBetweenPagesStopsThePageRoute) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({SmallJob(15, 3, {"JPEG"}, "Accounting")});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    mailbox->m_jobSaveSignal.connect([&](MailBox::JobSaveEvent e) {
        if (e.m_eventKind == Kind::PROGRESS && e.m_percent == 33) mailbox->CancelCurrentSaveJobOperation();
    });
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::JPEG, 0, 15);
    EXPECT_FALSE(mailbox->SaveScanedJobToPathFromMailBox(Path("S.jpg"), request, false,
                                                         MailBox::SAVE_PAGE_PER_FILE));
    EXPECT_EQ(events.Kinds(), (std::vector<int>{Kind::STARTED, Kind::PROGRESS, Kind::FAILED}));
    EXPECT_EQ(events.Percents(), (std::vector<int>{0, 33, 33}));
    EXPECT_TRUE(FileExists(Path("S1.jpg")));
    EXPECT_FALSE(FileExists(Path("S2.jpg")));
}

TEST_F(SaveTest, ACancelWhileQueuedIsClearedWhenTheSaveStarts) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({SmallJob(16, 1, {"PDF"}, "Accounting")});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    {
        PoolBlocker blocker(*m_server);
        VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 16);
        ASSERT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("Q.pdf"), request, true,
                                                            MailBox::SAVE_DOCUMENTS_WHOLE));
        mailbox->CancelCurrentSaveJobOperation();
    }
    ASSERT_TRUE(events.WaitForEnd());
    EXPECT_EQ(events.LastKind(), Kind::COMPLETED);
}

TEST_F(SaveTest, AJobThatLeftTheListBeforeItsQueuedSaveFails) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({SmallJob(17, 1, {"PDF"}, "Accounting")});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    {
        PoolBlocker blocker(*m_server);
        VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 17);
        ASSERT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("Gone.pdf"), request, true,
                                                            MailBox::SAVE_DOCUMENTS_WHOLE));
        ASSERT_TRUE(Sim().DeleteJob(17));
        ASSERT_TRUE(mailbox->RefreshAvailableScannedJobs());
    }
    ASSERT_TRUE(events.WaitForEnd());
    EXPECT_EQ(events.Kinds(), (std::vector<int>{Kind::FAILED}));
    EXPECT_EQ(events.Events().back().message, kUnexpected);
    EXPECT_FALSE(FileExists(Path("Gone.pdf")));
}

TEST_F(SaveTest, AQueuedSaveKeepsItsMailboxThroughALogout) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({SmallJob(18, 1, {"PDF"}, "Accounting")});
    ASSERT_TRUE(mailbox);
    std::weak_ptr<ZeltoServerMailBox> watch = mailbox;
    auto events = std::make_shared<SaveEventRecorder>(*mailbox);
    {
        PoolBlocker blocker(*m_server);
        VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 18);
        ASSERT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("L.pdf"), request, true,
                                                            MailBox::SAVE_DOCUMENTS_WHOLE));
        mailbox.reset();
        EXPECT_FALSE(watch.expired());
        ASSERT_TRUE(m_server->Disconnect(false));
    }
    ASSERT_TRUE(events->WaitForEnd());
    EXPECT_EQ(events->LastKind(), Kind::FAILED);
    m_server->GetPool().wait(0);
    EXPECT_TRUE(watch.expired());
}

TEST_F(SaveTest, ATransferErrorEndsInTheFailedEvent) {
    zeltosim::JobOptions job = SmallJob(19, 1, {"PDF"}, "Accounting");
    job.paddingBytesPerPage = 2 * kMiB;
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    Sim().FailTransfer(19, 1);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 19);
    EXPECT_FALSE(mailbox->SaveScanedJobToPathFromMailBox(Path("E.pdf"), request, false,
                                                         MailBox::SAVE_DOCUMENTS_WHOLE));
    EXPECT_EQ(events.LastKind(), Kind::FAILED);
    EXPECT_EQ(events.Events().back().message, kUnexpected);
    EXPECT_TRUE(veqtest::FolderEntries(m_folder.Path()).empty());
}

TEST_F(SaveTest, AFailedPageEndsThePageRouteWithoutAskingForTheRest) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({SmallJob(20, 3, {"JPEG"}, "Accounting")});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    Sim().FailTransfer(20, 0);  // the first data call of the job, page 1
    Sim().ClearCalls();
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::JPEG, 0, 20);
    EXPECT_FALSE(mailbox->SaveScanedJobToPathFromMailBox(Path("F.jpg"), request, false,
                                                         MailBox::SAVE_PAGE_PER_FILE));
    EXPECT_EQ(events.Kinds(), (std::vector<int>{Kind::STARTED, Kind::FAILED}));
    EXPECT_EQ(Sim().CallCount("SCAN_getDataInMailbox"), 1u);
    EXPECT_TRUE(veqtest::FolderEntries(m_folder.Path()).empty());
}

TEST_F(SaveTest, AJobOfUnknownSizeReportsNoTransferPercent) {
    zeltosim::JobOptions job = SmallJob(21, 1, {"PDF"}, "Accounting");
    job.attributes = {{"FILESIZE", "0"}};
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 21);
    EXPECT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("Z.pdf"), request, false,
                                                        MailBox::SAVE_DOCUMENTS_WHOLE));
    EXPECT_EQ(events.Kinds(), (std::vector<int>{Kind::STARTED, Kind::PROGRESS, Kind::COMPLETED}));
    EXPECT_EQ(ReadFile(Path("Z.pdf")), ExpectedContent(job, zeltosim::ContentFormat::PDF, 0));
}

TEST_F(SaveTest, ADroppedConnectionFailsTheSaveAndTheClientRecovers) {
    zeltosim::JobOptions job = SmallJob(22, 1, {"PDF"}, "Accounting");
    job.paddingBytesPerPage = 3 * kMiB;
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    SaveEventRecorder events(*mailbox);
    Sim().DropDuringTransfer(22, 1);
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 22);
    ASSERT_TRUE(mailbox->SaveScanedJobToPathFromMailBox(Path("D.pdf"), request, true,
                                                        MailBox::SAVE_DOCUMENTS_WHOLE));
    ASSERT_TRUE(events.WaitForEnd());
    EXPECT_EQ(events.LastKind(), Kind::FAILED);
    EXPECT_EQ(events.Events().back().message, kUnexpected);
    EXPECT_TRUE(veqtest::FolderEntries(m_folder.Path()).empty());

    // The lost connection is noticed; a new login saves the job again.
    ASSERT_TRUE(veqtest::WaitFor([&] { return m_server->GetServerStatus() == VEQTypes::DISCONNECTED; }));
    ASSERT_TRUE(m_server->Connect("guest", "", false));
    std::shared_ptr<ZeltoServerMailBox> again =
        std::make_shared<ZeltoServerMailBox>(m_server.get(), "Accounting", "1234");
    EXPECT_TRUE(again->SaveScanedJobToPathFromMailBox(Path("D.pdf"), request, false,
                                                      MailBox::SAVE_DOCUMENTS_WHOLE));
    EXPECT_EQ(ReadFile(Path("D.pdf")), ExpectedContent(job, zeltosim::ContentFormat::PDF, 0));
}

namespace {

// The first entry of folder whose name holds mark, "" while there is none.
std::string EntryWith(const std::string& folder, const std::string& mark) {
    for (const std::string& name : veqtest::FolderEntries(folder)) {
        if (name.find(mark) != std::string::npos) return name;
    }
    return std::string();
}

}  // namespace

// A saving process killed mid-transfer leaves the old file under the final
// name; the next save of that name removes what the killed one left.
TEST(SaveKilled, AKillMidSaveKeepsTheOldFileAndTheNextSaveClearsTheRest) {
    veqtest::TempDir folder;
    veqtest::WriteFile(folder / "Scan.pdf", "old scan");
    int portPipe[2];
    ASSERT_EQ(pipe(portPipe), 0);
    // Forked before any thread starts; the child learns the port once the controller listens.
    const pid_t saver = fork();
    ASSERT_GE(saver, 0);
    if (saver == 0) {
        close(portPipe[1]);
        int port = 0;
        if (read(portPipe[0], &port, sizeof port) != sizeof port) _exit(2);
        setenv("VELLORA_PORT", std::to_string(port).c_str(), 1);
        std::shared_ptr<ZeltoServer> server = mailboxtest::ConnectedServer();
        if (!server) _exit(3);
        ZeltoServerMailBox mailbox(server.get(), "Accounting", "1234");
        VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 40);
        mailbox.SaveScanedJobToPathFromMailBox(folder / "Scan.pdf", request, false, MailBox::SAVE_DOCUMENTS_WHOLE);
        _exit(4);
    }
    close(portPipe[0]);
    servertest::SimulatedController controller(mailboxtest::EmptyMailboxesFixture());
    zeltosim::JobOptions job = SmallJob(40, 1, {"PDF"}, "Accounting");
    job.paddingBytesPerPage = 8 * kMiB;
    controller.Sim().AddJob(job);
    controller.Sim().SlowTransfer(40, 2 * kMiB);
    const int port = controller.Sim().Port();
    ASSERT_EQ(write(portPipe[1], &port, sizeof port), static_cast<ssize_t>(sizeof port));
    close(portPipe[1]);

    const std::string temporary = ".tmp-" + std::to_string(saver) + "-";
    const bool writing = veqtest::WaitFor([&] {
        const std::string name = EntryWith(folder.Path(), temporary);
        struct stat info;
        return !name.empty() && stat((folder / name).c_str(), &info) == 0 && info.st_size > 0;
    });
    kill(saver, SIGKILL);
    int status = 0;
    waitpid(saver, &status, 0);
    ASSERT_TRUE(writing) << "the saver never started writing";
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(ReadFile(folder / "Scan.pdf"), "old scan");

    controller.Sim().SlowTransfer(40, 0);
    std::shared_ptr<ZeltoServer> server = mailboxtest::ConnectedServer();
    ASSERT_TRUE(server);
    ZeltoServerMailBox mailbox(server.get(), "Accounting", "1234");
    VEQTypes::ScanRetriveAttribute request = Request(VEQTypes::PDF, 0, 40);
    EXPECT_TRUE(mailbox.SaveScanedJobToPathFromMailBox(folder / "Scan.pdf", request, false,
                                                       MailBox::SAVE_DOCUMENTS_WHOLE));
    EXPECT_EQ(veqtest::FolderEntries(folder.Path()), std::vector<std::string>{"Scan.pdf"});
    EXPECT_EQ(ReadFile(folder / "Scan.pdf"), ExpectedContent(job, zeltosim::ContentFormat::PDF, 0));
}
