// What the service must never do to a mapped folder, with real processes: write
// outside it for hostile job names, delete what it did not download, replace a
// file of the same name that is not the job's, mix up nested mappings, take a failed version read for an empty mailbox, or forget
// a mailbox that still waits for its folder after the mapping was saved again.
#include "../support/ServiceTest.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using veqtest::FileExists;
using veqtest::ReadFile;
using veqtest::WaitFor;

constexpr auto kArrival = std::chrono::seconds(15);

using dwtest::Contains;

class ServiceSafety : public dwtest::ServiceTest {
protected:
    void Start(const Json::Value& fixture) {
        sim = std::make_unique<dwtest::SimulatorProcess>(fixture);
        host = std::make_unique<dwtest::HostProcess>(sim->Port());
        host->Start();
    }
};

TEST_F(ServiceSafety, HostileJobNamesStayInsideTheFolder) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "../../escaped", {"PDF"}));
    jobs.append(dwtest::Job(2, "..", {"PDF"}));
    jobs.append(dwtest::Job(3, "a/b", {"TIFF"}));
    jobs.append(dwtest::Job(4, "../pages", {"JPEG"}, 2, "JPEG"));
    Start(dwtest::Fixture({{"Scans", {"", jobs}}}));
    const std::string inner = Folder("outer") + "/inner";
    ::mkdir(inner.c_str(), 0755);
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", inner}});
    ASSERT_TRUE(WaitFor([&] { return veqtest::FolderEntries(inner).size() == 4 && FileExists(inner + "/_pages/_pages_2.JPEG"); },
                        kArrival))
        << Details(inner);
    EXPECT_EQ(veqtest::FolderEntries(inner), (std::vector<std::string>{"Job_2.PDF", "_.._escaped.PDF", "_pages", "a_b.TIFF"}));
    EXPECT_EQ(veqtest::FolderEntries(inner + "/_pages"), (std::vector<std::string>{"_pages_1.JPEG", "_pages_2.JPEG"}));
    EXPECT_EQ(veqtest::FolderEntries(box.Path() + "/outer"), std::vector<std::string>{"inner"});
    EXPECT_EQ(veqtest::FolderEntries(box.Path()), std::vector<std::string>{"outer"});

    // Deleting the sanitised file still deletes its job.
    ASSERT_EQ(::unlink((inner + "/a_b.TIFF").c_str()), 0);
    EXPECT_TRUE(WaitFor([&] { return !Contains(sim->JobIds("Scans"), 3); }, kArrival));
}

TEST_F(ServiceSafety, NestedMappingsKeepTheirDeletionsApart) {
    Json::Value outerJobs(Json::arrayValue), innerJobs(Json::arrayValue);
    outerJobs.append(dwtest::Job(1, "Scan", {"PDF"}));
    innerJobs.append(dwtest::Job(2, "Scan", {"PDF"}));
    Start(dwtest::Fixture({{"Outer", {"", outerJobs}}, {"Inner", {"", innerJobs}}}));
    const std::string outer = Folder("x");
    const std::string inner = Folder("x/Scan");
    dwtest::WriteMappings({{"127.0.0.1", "Outer", "", outer}, {"127.0.0.1", "Inner", "", inner}});
    ASSERT_TRUE(WaitFor([&] { return FileExists(outer + "/Scan.PDF") && FileExists(inner + "/Scan.PDF"); }, kArrival))
        << Details(outer);
    ASSERT_EQ(::unlink((inner + "/Scan.PDF").c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return !Contains(sim->JobIds("Inner"), 2); }, kArrival));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(Contains(sim->JobIds("Outer"), 1));
    EXPECT_TRUE(FileExists(outer + "/Scan.PDF"));
}

TEST_F(ServiceSafety, AllJobsDeletedRemovesOnlyDownloadedFiles) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Scan", {"PDF"}));
    jobs.append(dwtest::Job(2, "Photos", {"JPEG"}, 2, "JPEG"));
    Start(dwtest::Fixture({{"Scans", {"", jobs}}}));
    const std::string folder = Folder("mapped");
    veqtest::WriteFile(folder + "/notes.txt", "mine");
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}});
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF") && FileExists(folder + "/Photos/Photos_2.JPEG"); },
                        kArrival))
        << Details(folder);
    veqtest::WriteFile(folder + "/Photos/mine.txt", "also mine");
    sim->Ctl({"scan-event", "1", "-1"});
    ASSERT_TRUE(WaitFor([&] { return !FileExists(folder + "/Scan.PDF"); }, kArrival)) << Details(folder);
    EXPECT_TRUE(WaitFor([&] { return !FileExists(folder + "/Photos/Photos_1.JPEG"); }, kArrival));
    EXPECT_EQ(ReadFile(folder + "/notes.txt"), "mine");
    EXPECT_EQ(ReadFile(folder + "/Photos/mine.txt"), "also mine");
}

TEST_F(ServiceSafety, FolderWaitingToBeWritableIsStillTriedAfterTheMappingIsSavedAgain) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Scan", {"PDF"}));
    Start(dwtest::Fixture({{"Scans", {"", jobs}}, {"Second", {"", Json::Value()}}}));
    const std::string folder = box.Path() + "/later";
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}});
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("is not accessible") != std::string::npos; }, kArrival));
    // Saving the mapping again (another mailbox added) keeps the first one waiting.
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}, {"127.0.0.1", "Second", "", Folder("second")}});
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("New folder mapping - Second") != std::string::npos; },
                        kArrival));
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF"); }, kArrival)) << Details(folder);
}

TEST_F(ServiceSafety, ServerNotReachedYetIsStillTriedAfterTheMappingIsSavedAgain) {
    const int port = veqtest::FreeLoopbackPort();
    host = std::make_unique<dwtest::HostProcess>(port);
    host->Start();
    const std::string folder = Folder("mapped");
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}});
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("New folder mapping - Scans") != std::string::npos; },
                        kArrival));
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}, {"127.0.0.1", "Second", "", Folder("second")}});
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("New folder mapping - Second") != std::string::npos; },
                        kArrival));
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Scan", {"PDF"}));
    sim = std::make_unique<dwtest::SimulatorProcess>(dwtest::Fixture({{"Scans", {"", jobs}}, {"Second", {"", Json::Value()}}}),
                                                     port);
    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF"); }, kArrival)) << Details(folder);
}

TEST_F(ServiceSafety, MailboxWhoseListingFailedIsTriedAgainWhenALaterOneSucceeds) {
    Json::Value first(Json::arrayValue), second(Json::arrayValue);
    first.append(dwtest::Job(1, "Scan", {"PDF"}));
    second.append(dwtest::Job(2, "Photo", {"TIFF"}));
    sim = std::make_unique<dwtest::SimulatorProcess>(dwtest::Fixture({{"A", {"", first}}, {"B", {"", second}}}));
    // The first listing of the first round (mailbox A) fails; B's succeeds.
    sim->Ctl({"inject", "SCAN_getJobListInMailbox", "-11", "1"});
    host = std::make_unique<dwtest::HostProcess>(sim->Port());
    host->Start();
    const std::string a = Folder("a"), b = Folder("b");
    dwtest::WriteMappings({{"127.0.0.1", "A", "", a}, {"127.0.0.1", "B", "", b}});
    ASSERT_TRUE(WaitFor([&] { return FileExists(b + "/Photo.TIFF"); }, kArrival)) << Details(b);
    EXPECT_TRUE(WaitFor([&] { return FileExists(a + "/Scan.PDF") && dwtest::HasOkIcon(a); }, kArrival)) << Details(a);
    EXPECT_NE(dwtest::ServiceLog().find("Unable to list the jobs of mailbox A into folder " + a + " from server 127.0.0.1"),
              std::string::npos);
}

TEST_F(ServiceSafety, MappedFolderMadeAgainIsFollowedAgain) {
    const struct {
        const char* how;
        bool moved;
    } cases[] = {{"deleted", false}, {"moved away", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        Json::Value jobs(Json::arrayValue);
        jobs.append(dwtest::Job(1, "Scan", {"PDF"}));
        Start(dwtest::Fixture({{"Scans", {"", jobs}}}));
        const std::string folder = Folder(c.moved ? "moved" : "deleted");
        dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}});
        ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF"); }, kArrival)) << Details(folder);
        if (c.moved) {
            ASSERT_EQ(::rename(folder.c_str(), (box.Path() + "/Trash").c_str()), 0);
        } else {
            ASSERT_EQ(::unlink((folder + "/Scan.PDF").c_str()), 0);
            ASSERT_EQ(::rmdir(folder.c_str()), 0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        // A folder moved away leaves its job on the controller: it comes again.
        if (c.moved) {
            ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF"); }, kArrival)) << Details(folder);
        }
        const int late = sim->Ctl({"add-job", "Scans", "name=Late", "formats=PDF"})["id"].asInt();
        ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Late.PDF"); }, kArrival)) << Details(folder);
        ASSERT_EQ(::unlink((folder + "/Late.PDF").c_str()), 0);
        EXPECT_TRUE(WaitFor([&] { return !Contains(sim->JobIds("Scans"), late); }, kArrival)) << Details(folder);
        EXPECT_EQ(host->Stop(), 0);
        host.reset();
        sim.reset();
    }
}

TEST_F(ServiceSafety, PagedJobsOfOneNameKeepTheirOwnPageFolders) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Photos", {"JPEG"}, 2, "JPEG"));
    jobs.append(dwtest::Job(2, "Photos", {"JPEG"}, 2, "JPEG"));
    Start(dwtest::Fixture({{"Scans", {"", jobs}}}));
    const std::string folder = Folder("mapped");
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}});
    const std::string plain = folder + "/Photos", collided = folder + "/Photos (1)";
    ASSERT_TRUE(WaitFor([&] { return FileExists(plain + "/Photos_2.JPEG") &&
                                     FileExists(collided + "/Photos (1)_2.JPEG"); },
                        kArrival))
        << Details(folder);
    for (int page = 1; page <= 2; ++page) {
        const std::string suffix = "_" + std::to_string(page) + ".JPEG";
        EXPECT_EQ(ReadFile(collided + "/Photos (1)" + suffix),
                  dwtest::ControllerBytes(sim->Port(), "Scans", "", 1, "JPEG", page));
        EXPECT_EQ(ReadFile(plain + "/Photos" + suffix), dwtest::ControllerBytes(sim->Port(), "Scans", "", 2, "JPEG", page));
    }
    // After a restart each job still finds its pages.
    ASSERT_EQ(host->Stop(), 0);
    sim->Ctl({"clear-calls"});
    host = std::make_unique<dwtest::HostProcess>(sim->Port());
    host->Start();
    ASSERT_TRUE(WaitFor([&] { return sim->Ctl({"calls", "SCAN_getJobListInMailbox"})["calls"].size() > 0; }, kArrival));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(sim->Ctl({"calls", "SCAN_getDataInMailbox"})["calls"].size(), 0u);
    // A page deleted in one page folder deletes that job and its pages only.
    ASSERT_EQ(::unlink((plain + "/Photos_1.JPEG").c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return !Contains(sim->JobIds("Scans"), 2); }, kArrival)) << Details(folder);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(Contains(sim->JobIds("Scans"), 1));
    EXPECT_EQ(veqtest::FolderEntries(collided), (std::vector<std::string>{"Photos (1)_1.JPEG", "Photos (1)_2.JPEG"}));
}

TEST_F(ServiceSafety, JobsAlreadyInTheFolderAreNotFetchedAgainAfterARestart) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Scan", {"PDF"}));
    jobs.append(dwtest::Job(2, "Photos", {"JPEG"}, 3, "JPEG"));
    Start(dwtest::Fixture({{"Scans", {"", jobs}}}));
    const std::string folder = Folder("mapped");
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}});
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF") && FileExists(folder + "/Photos/Photos_3.JPEG"); },
                        kArrival))
        << Details(folder);
    ASSERT_EQ(host->Stop(), 0);
    sim->Ctl({"clear-calls"});
    host = std::make_unique<dwtest::HostProcess>(sim->Port());
    host->Start();
    ASSERT_TRUE(WaitFor([&] { return sim->Ctl({"calls", "SCAN_getJobListInMailbox"})["calls"].size() > 0; }, kArrival));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(sim->Ctl({"calls", "SCAN_getDataInMailbox"})["calls"].size(), 0u);
    EXPECT_EQ(veqtest::FolderEntries(folder + "/Photos"),
              (std::vector<std::string>{"Photos_1.JPEG", "Photos_2.JPEG", "Photos_3.JPEG"}));
    // A page that went missing while the service was away is fetched again.
    ASSERT_EQ(host->Stop(), 0);
    ASSERT_EQ(::unlink((folder + "/Photos/Photos_2.JPEG").c_str()), 0);
    host = std::make_unique<dwtest::HostProcess>(sim->Port());
    host->Start();
    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + "/Photos/Photos_2.JPEG"); }, kArrival)) << Details(folder);
}

TEST_F(ServiceSafety, ChangedFolderStartsWithoutTheOldFoldersJobs) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Scan", {"PDF"}));
    Start(dwtest::Fixture({{"Scans", {"", jobs}}}));
    const std::string first = Folder("first"), second = Folder("second");
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", first}});
    ASSERT_TRUE(WaitFor([&] { return FileExists(first + "/Scan.PDF"); }, kArrival)) << Details(first);
    // The job goes on the controller while the service is paused, so the service
    // still counts it as downloaded into the first folder.
    host->Raw().Signal(SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sim->Ctl({"delete-job", "1"});
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("either paused or in stop state") != std::string::npos; },
                        kArrival));
    // The new folder holds a user's file of the same name: it is no file of the service.
    veqtest::WriteFile(second + "/Scan.PDF", "user's own");
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", second}});
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("Folder mapping modified") != std::string::npos; },
                        kArrival));
    ASSERT_TRUE(WaitFor([&] { return dwtest::HasOkIcon(second); }, kArrival));
    EXPECT_EQ(ReadFile(second + "/Scan.PDF"), "user's own");
    host->Raw().Signal(SIGUSR2);
}

TEST_F(ServiceSafety, FailedVersionReadDuringReconciliationDeletesNothing) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Scan", {"PDF"}));
    jobs.append(dwtest::Job(2, "Drawing", {"TIFF"}));
    Start(dwtest::Fixture({{"Scans", {"", jobs}}}));
    const std::string folder = Folder("mapped"), away = box.Path() + "/away";
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}});
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF") && FileExists(folder + "/Drawing.TIFF"); },
                        kArrival));
    // The folder goes away; a new job finds it missing and the mailbox waits for it.
    ASSERT_EQ(::rename(folder.c_str(), away.c_str()), 0);
    sim->Ctl({"add-job", "Scans", "name=Trigger", "formats=PDF"});
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("Failed to download Job to Folder") != std::string::npos; },
                        kArrival));
    // The next reconciliations cannot read the server's version.
    sim->Ctl({"inject", "QMVM_dictRead", "-11", "4"});
    ASSERT_EQ(::rename(away.c_str(), folder.c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Trigger.PDF"); }, kArrival)) << Details(folder);
    EXPECT_TRUE(FileExists(folder + "/Scan.PDF"));
    EXPECT_TRUE(FileExists(folder + "/Drawing.TIFF"));
}

TEST_F(ServiceSafety, JobNamedLikeAnotherFileTakesItsCollisionName) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Report", {"PDF"}));
    Start(dwtest::Fixture({{"Scans", {"", jobs}}}));
    const std::string folder = Folder("mapped");
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}});
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Report.PDF"); }, kArrival)) << Details(folder);
    // The user's own file, then two scans that bear its name.
    veqtest::WriteFile(folder + "/Scan.PDF", "user's own");
    const int first = sim->Ctl({"add-job", "Scans", "name=Scan", "formats=PDF"})["id"].asInt();
    const std::string firstName = "Scan (" + std::to_string(first) + ").PDF";
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/" + firstName); }, kArrival)) << Details(folder);
    const int second = sim->Ctl({"add-job", "Scans", "name=Scan", "formats=PDF", "pages=3"})["id"].asInt();
    const std::string secondName = "Scan (" + std::to_string(second) + ").PDF";
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/" + secondName); }, kArrival)) << Details(folder);
    EXPECT_EQ(ReadFile(folder + "/Scan.PDF"), "user's own");
    EXPECT_EQ(ReadFile(folder + "/" + firstName), dwtest::ControllerBytes(sim->Port(), "Scans", "", first, "PDF"));
    EXPECT_EQ(ReadFile(folder + "/" + secondName), dwtest::ControllerBytes(sim->Port(), "Scans", "", second, "PDF"));

    // After a restart each job still knows its file: nothing is fetched again.
    ASSERT_EQ(host->Stop(), 0);
    sim->Ctl({"clear-calls"});
    host = std::make_unique<dwtest::HostProcess>(sim->Port());
    host->Start();
    ASSERT_TRUE(WaitFor([&] { return dwtest::HasOkIcon(folder) &&
                                     sim->Ctl({"calls", "SCAN_getJobListInMailbox"})["calls"].size() > 0; },
                        kArrival));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(sim->Ctl({"calls", "SCAN_getDataInMailbox"})["calls"].size(), 0u) << Details(folder);

    // Deleting the user's file deletes no job; deleting a job's file deletes that job only.
    ASSERT_EQ(::unlink((folder + "/Scan.PDF").c_str()), 0);
    ASSERT_EQ(::unlink((folder + "/" + secondName).c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return !Contains(sim->JobIds("Scans"), second); }, kArrival)) << Details(folder);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(Contains(sim->JobIds("Scans"), first));
    EXPECT_TRUE(FileExists(folder + "/" + firstName));
    // The job deleted on the controller takes its own file, never the user's name.
    veqtest::WriteFile(folder + "/Scan.PDF", "user's again");
    sim->Ctl({"delete-job", std::to_string(first)});
    ASSERT_TRUE(WaitFor([&] { return !FileExists(folder + "/" + firstName); }, kArrival)) << Details(folder);
    EXPECT_EQ(ReadFile(folder + "/Scan.PDF"), "user's again");
}

}  // namespace
