// The folder-mapping service end to end, with real processes: a zelto-sim
// program, a dropwell-host, a mapping written through the store and the signal
// file, as the mapping dialog leaves them.
#include "../support/ServiceHarness.h"
#include "DropwellManager.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using dwtest::ControllerBytes;
using veqtest::FileExists;
using veqtest::ReadFile;
using veqtest::WaitFor;

constexpr auto kArrival = std::chrono::seconds(15);

bool Contains(const std::vector<int>& ids, int id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::string Tool(const std::string& command) {
    const veqtest::ChildResult r = veqtest::RunProgram({"/bin/sh", "-c", command}, {}, 30);
    return r.exited && r.status == 0 ? r.output : "FAILED: " + r.output;
}

class MappedFolder : public ::testing::Test {
protected:
    void SetUp() override {
        Json::Value scans(Json::arrayValue);
        scans.append(dwtest::Job(101, "Report", {"PDF", "TIFF"}));
        scans.append(dwtest::Job(102, "Drawing", {"TIFF"}));
        scans.append(dwtest::Job(103, "Photos", {"JPEG", "PDF"}, 3, "JPEG"));
        scans.append(dwtest::Job(104, "Snapshot", {"JPEG"}, 1, "JPEG"));
        Json::Value other(Json::arrayValue);
        other.append(dwtest::Job(201, "Elsewhere", {"PDF"}));
        sim = std::make_unique<dwtest::SimulatorProcess>(
            dwtest::Fixture({{"Scans", {"s3cret", scans}}, {"Other", {"", other}}}));
        folder = box.Path() + "/Mapped";
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        veqtest::WriteFile(folder + "/notes.txt", "mine");
        host = std::make_unique<dwtest::HostProcess>(sim->Port());
        host->Start();
        dwtest::WriteMappings({{"127.0.0.1", "Scans", "s3cret", folder}});
        ASSERT_TRUE(WaitFor([&] { return Synced(); }, kArrival)) << Listing();
    }

    void TearDown() override {
        if (host) {
            EXPECT_EQ(host->Stop(), 0) << host->Output();
            EXPECT_NE(dwtest::ServiceLog().find(" Dropwell stopped"), std::string::npos);
        }
        EXPECT_EQ(ReadFile(folder + "/notes.txt"), "mine");
    }

    bool Synced() {
        return FileExists(folder + "/Report.PDF") && FileExists(folder + "/Drawing.TIFF") &&
               FileExists(folder + "/Photos/Photos_3.JPEG") && FileExists(folder + "/Snapshot.JPEG") &&
               dwtest::HasOkIcon(folder);
    }

    std::string Listing() {
        std::string text = "folder:";
        for (const auto& n : veqtest::FolderEntries(folder)) text += " " + n;
        Json::StreamWriterBuilder writer;
        return text + "\ndeletions on the controller:\n" +
               Json::writeString(writer, sim->Ctl({"calls", "SCAN_deleteJobInMailbox"})) + "\nhost:\n" +
               host->Output() + "\nlog:\n" + dwtest::ServiceLog();
    }

    veqtest::TempDir box;
    std::string folder;
    std::unique_ptr<dwtest::SimulatorProcess> sim;
    std::unique_ptr<dwtest::HostProcess> host;
};

TEST_F(MappedFolder, EveryJobArrivesWithTheControllersExactBytes) {
    const int port = sim->Port();
    EXPECT_EQ(ReadFile(folder + "/Report.PDF"), ControllerBytes(port, "Scans", "s3cret", 101, "PDF"));
    EXPECT_EQ(ReadFile(folder + "/Drawing.TIFF"), ControllerBytes(port, "Scans", "s3cret", 102, "TIFF"));
    EXPECT_EQ(ReadFile(folder + "/Snapshot.JPEG"), ControllerBytes(port, "Scans", "s3cret", 104, "JPEG", 1));
    for (int page = 1; page <= 3; ++page) {
        const std::string file = folder + "/Photos/Photos_" + std::to_string(page) + ".JPEG";
        EXPECT_EQ(ReadFile(file), ControllerBytes(port, "Scans", "s3cret", 103, "JPEG", page)) << file;
    }
    EXPECT_EQ(veqtest::FolderEntries(folder),
              (std::vector<std::string>{"Drawing.TIFF", "Photos", "Report.PDF", "Snapshot.JPEG", "notes.txt"}));
    EXPECT_EQ(Tool("pdfinfo '" + folder + "/Report.PDF' | grep -c '^Pages:'"), "1\n");
    EXPECT_EQ(Tool("tiffinfo '" + folder + "/Drawing.TIFF' >/dev/null 2>&1 && echo ok"), "ok\n");
    EXPECT_EQ(Tool("identify -format '%m\\n' '" + folder + "/Photos/Photos_2.JPEG'"), "JPEG\n");
    EXPECT_TRUE(veqtest::FolderEntries(dwtest::StagingFolder()).empty());

    // A job scanned later arrives by itself.
    const Json::Value added = sim->Ctl({"add-job", "Scans", "name=Late", "formats=PDF"});
    const int lateId = added["id"].asInt();
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Late.PDF"); }, kArrival)) << Listing();
    EXPECT_EQ(ReadFile(folder + "/Late.PDF"), ControllerBytes(port, "Scans", "s3cret", lateId, "PDF"));
    // The unmapped mailbox stays where it is.
    EXPECT_FALSE(FileExists(folder + "/Elsewhere.PDF"));
}

TEST_F(MappedFolder, DeletionsAreMirroredBothWaysAndOnlyForDownloadedFiles) {
    // A file the user made whose stem is a job's name is no job file. It stays
    // until the watcher has surely listed it: a job deletion that follows it
    // is mirrored only after the folder was read again with the file in it.
    veqtest::WriteFile(folder + "/Report.txt", "user's");
    ASSERT_EQ(::unlink((folder + "/Snapshot.JPEG").c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return !Contains(sim->JobIds("Scans"), 104); }, kArrival)) << Listing();
    ASSERT_EQ(::unlink((folder + "/Report.txt").c_str()), 0);
    ASSERT_EQ(::unlink((folder + "/notes.txt").c_str()), 0);
    veqtest::WriteFile(folder + "/notes.txt", "mine");
    // Deletions are decided in the order seen: once the next one is mirrored,
    // the user's file's was decided, and it left the job of that name alone.
    ASSERT_EQ(::unlink((folder + "/Drawing.TIFF").c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return !Contains(sim->JobIds("Scans"), 102); }, kArrival)) << Listing();
    EXPECT_TRUE(Contains(sim->JobIds("Scans"), 101)) << Listing();
    EXPECT_TRUE(FileExists(folder + "/Report.PDF"));

    ASSERT_EQ(::unlink((folder + "/Report.PDF").c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return !Contains(sim->JobIds("Scans"), 101); }, kArrival)) << Listing();
    EXPECT_TRUE(Contains(sim->JobIds("Scans"), 103)) << Listing();

    // One page deleted: the job goes, and with it its other pages and the page folder.
    ASSERT_EQ(::unlink((folder + "/Photos/Photos_2.JPEG").c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return !Contains(sim->JobIds("Scans"), 103); }, kArrival)) << Listing();
    EXPECT_TRUE(WaitFor([&] { return !FileExists(folder + "/Photos"); }, kArrival)) << Listing();

    // Deleted on the controller: its file leaves the folder.
    const int late = sim->Ctl({"add-job", "Scans", "name=Late", "formats=TIFF"})["id"].asInt();
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Late.TIFF"); }, kArrival)) << Listing();
    sim->Ctl({"delete-job", std::to_string(late)});
    ASSERT_TRUE(WaitFor([&] { return !FileExists(folder + "/Late.TIFF"); }, kArrival)) << Listing();
    // A deleted file is not fetched again.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(FileExists(folder + "/Report.PDF"));
    EXPECT_FALSE(FileExists(folder + "/Drawing.TIFF"));
}

TEST_F(MappedFolder, LostControllerShowsTheWarningIconUntilItIsBack) {
    sim->Ctl({"hang"});
    // The control connection is dropped with the others, so its answer may not come.
    veqtest::RunProgram({veqtest::BuildDir() + "/bin/zelto-sim", "ctl", "--port", std::to_string(sim->Port()),
                         "drop-connections"});
    ASSERT_TRUE(WaitFor([&] { return dwtest::HasWarningIcon(folder); }, kArrival)) << Listing();
    sim->Ctl({"resume"});
    ASSERT_TRUE(WaitFor([&] { return dwtest::HasOkIcon(folder); }, std::chrono::seconds(30))) << Listing();
    // Followed again: a new job arrives.
    sim->Ctl({"add-job", "Scans", "name=After", "formats=TIFF"});
    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + "/After.TIFF"); }, kArrival)) << Listing();
}

TEST_F(MappedFolder, UnmappingStopsDownloadsAndDeletions) {
    dwtest::WriteMappings({});
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find(" Removed server 127.0.0.1") != std::string::npos; },
                        kArrival))
        << Listing();
    sim->Ctl({"add-job", "Scans", "name=Unwanted", "formats=PDF"});
    ASSERT_EQ(::unlink((folder + "/Drawing.TIFF").c_str()), 0);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_FALSE(FileExists(folder + "/Unwanted.PDF"));
    EXPECT_TRUE(Contains(sim->JobIds("Scans"), 102));
    EXPECT_TRUE(FileExists(folder + "/Report.PDF"));
}

TEST_F(MappedFolder, PausedServiceDropsControllerEventsAndCatchesUpWhenResumed) {
    host->Raw().Signal(SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sim->Ctl({"add-job", "Scans", "name=WhilePaused", "formats=PDF"});
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("either paused or in stop state") != std::string::npos; },
                        kArrival));
    EXPECT_FALSE(FileExists(folder + "/WhilePaused.PDF"));
    host->Raw().Signal(SIGUSR2);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sim->Ctl({"add-job", "Scans", "name=AfterResume", "formats=PDF"});
    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + "/AfterResume.PDF"); }, kArrival)) << Listing();
    // The job whose event was dropped is fetched after the resume all the same.
    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + "/WhilePaused.PDF"); }, kArrival)) << Listing();
}

// The mapping as the mapping dialog makes it: through the mapping manager,
// then the signal file; unmapping through it too.
TEST(MappingManager, MappingAndUnmappingThroughTheManagerAreFollowed) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(11, "Minutes", {"PDF"}));
    dwtest::SimulatorProcess sim(dwtest::Fixture({{"Board", {"pw", jobs}}}));
    dwtest::HostProcess host(sim.Port());
    host.Start();
    veqtest::TempDir box;
    const std::string folder = box.Path();
    const stMailBoxInfo mailbox{"127.0.0.1", "Zelto", "Board", "Board", "pw"};
    ASSERT_EQ(DropwellManager::GetInstance()->DoDropwell(mailbox, wxString::FromUTF8(folder), {1, 1, 1}), 0);
    dwtest::SignalMappingChange();
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Minutes.PDF"); }, kArrival)) << dwtest::ServiceLog();
    EXPECT_EQ(ReadFile(folder + "/Minutes.PDF"), ControllerBytes(sim.Port(), "Board", "pw", 11, "PDF"));

    ASSERT_EQ(DropwellManager::GetInstance()->DoDropwell(mailbox, wxString::FromUTF8(folder), {0, 0, 0}), 0);
    dwtest::SignalMappingChange();
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find(" Removed server 127.0.0.1") != std::string::npos; },
                        kArrival));
    sim.Ctl({"add-job", "Board", "name=Unmapped", "formats=PDF"});
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_FALSE(FileExists(folder + "/Unmapped.PDF"));
    EXPECT_EQ(host.Stop(), 0);
}

}  // namespace
