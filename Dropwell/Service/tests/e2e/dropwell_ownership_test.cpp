// Whose files the service touches, with real processes: only what it placed
// itself. A whole folder that goes (rm -rf, moved, replaced, unmounted) deletes
// no job; a user's file that bears a job's name is never taken for the job's,
// not before the mapping, not across a restart, not through a link; a
// deletion that cannot be done now is done once the folder can be written (and
// a folder that cannot be written is logged once, not at every probe);
// a job that cannot be placed waits longer after each try; the service's own
// leftovers go, nothing else.
#include "../support/ServiceTest.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace {

using veqtest::FileExists;
using veqtest::ReadFile;
using veqtest::WaitFor;

constexpr auto kArrival = std::chrono::seconds(15);
// Longer than the service holds a deletion before it mirrors it.
constexpr auto kPastTheHold = std::chrono::milliseconds(2500);

using dwtest::Contains;

size_t Calls(dwtest::SimulatorProcess& sim, const std::string& call) {
    return sim.Ctl({"calls", call})["calls"].size();
}

class Ownership : public dwtest::ServiceTest {
protected:
    void Start(const Json::Value& jobs) {
        sim = std::make_unique<dwtest::SimulatorProcess>(dwtest::Fixture({{"Scans", {"", jobs}}}));
        StartHost();
    }
    void StartHost() {
        host = std::make_unique<dwtest::HostProcess>(sim->Port());
        host->Start();
    }
    void RestartHost() {
        ASSERT_EQ(host->Stop(), 0);
        sim->Ctl({"clear-calls"});
        StartHost();
        ASSERT_TRUE(WaitFor([&] { return Calls(*sim, "SCAN_getJobListInMailbox") > 0; }, kArrival));
    }
    void Map(const std::string& folder) { dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}}); }
    std::string Bytes(int job, const std::string& format = "PDF", int page = 0) {
        return dwtest::ControllerBytes(sim->Port(), "Scans", "", job, format, page);
    }
};

Json::Value ThirteenJobs() {
    Json::Value jobs(Json::arrayValue);
    for (int id = 1; id <= 12; ++id) jobs.append(dwtest::Job(id, "Scan " + std::to_string(id), {"PDF"}));
    jobs.append(dwtest::Job(13, "Photos", {"JPEG"}, 2, "JPEG"));
    return jobs;
}

bool AllThirteenPlaced(const std::string& folder) {
    for (int id = 1; id <= 12; ++id) {
        if (!FileExists(folder + "/Scan " + std::to_string(id) + ".PDF")) return false;
    }
    return FileExists(folder + "/Photos/Photos_2.JPEG");
}

TEST_F(Ownership, AFolderThatGoesAsAWholeDeletesNoJobButDeletedFilesDo) {
    const struct {
        const char* how;
        std::function<void(const std::string& folder, const std::string& box)> act;
        bool jobsDeleted;
    } cases[] = {
        {"rm -rf of the folder",
         [](const std::string& f, const std::string&) {
             ASSERT_EQ(veqtest::RunProgram({"/bin/rm", "-rf", f}).status, 0);
         },
         false},
        {"rm -rf and made again at once",
         [](const std::string& f, const std::string&) {
             ASSERT_EQ(veqtest::RunProgram({"/bin/rm", "-rf", f}).status, 0);
             ASSERT_EQ(::mkdir(f.c_str(), 0755), 0);
         },
         false},
        {"moved away and replaced by an empty folder",
         [](const std::string& f, const std::string& b) {
             ASSERT_EQ(::rename(f.c_str(), (b + "/Trash").c_str()), 0);
             ASSERT_EQ(::mkdir(f.c_str(), 0755), 0);
         },
         false},
        {"every file deleted, the folder stays",
         [](const std::string& f, const std::string&) {
             ASSERT_EQ(veqtest::RunProgram({"/bin/sh", "-c", "/bin/rm -rf \"$0\"/*", f}).status, 0);
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        Start(ThirteenJobs());
        const std::string folder = Folder("mapped");
        Map(folder);
        ASSERT_TRUE(WaitFor([&] { return AllThirteenPlaced(folder) && dwtest::HasOkIcon(folder); }, kArrival))
            << Details(folder);
        c.act(folder, box.Path());
        if (c.jobsDeleted) {
            EXPECT_TRUE(WaitFor([&] { return sim->JobIds("Scans").empty(); }, kArrival)) << Details(folder);
        } else {
            std::this_thread::sleep_for(kPastTheHold);
            EXPECT_EQ(sim->JobIds("Scans").size(), 13u) << Details(folder);
            EXPECT_EQ(Calls(*sim, "SCAN_deleteJobInMailbox"), 0u) << Details(folder);
        }
        EXPECT_EQ(host->Stop(), 0);
        host.reset();
        sim.reset();
        veqtest::RunProgram({"/bin/rm", "-rf", folder, box / "Trash"});
    }
}

TEST_F(Ownership, AnUnmountedFolderDeletesNoJob) {
    veqtest::SmallDisk disk(16 << 20);
    if (!disk.Mounted()) GTEST_SKIP() << "mounting a tmpfs was refused (needs root)";
    Start(ThirteenJobs());
    Map(disk.Path());
    ASSERT_TRUE(WaitFor([&] { return AllThirteenPlaced(disk.Path()) && dwtest::HasOkIcon(disk.Path()); }, kArrival))
        << Details(disk.Path());
    ASSERT_EQ(::umount2(disk.Path().c_str(), MNT_DETACH), 0);
    std::this_thread::sleep_for(kPastTheHold);
    EXPECT_EQ(sim->JobIds("Scans").size(), 13u) << Details(disk.Path());
    EXPECT_EQ(Calls(*sim, "SCAN_deleteJobInMailbox"), 0u);
}

TEST_F(Ownership, AUsersFileWithAJobsNameIsNeverTheJobsAcrossARestart) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Sketch", {"PDF"}));
    jobs.append(dwtest::Job(2, "Notes", {"PDF"}));
    jobs.append(dwtest::Job(3, "Marker", {"PDF"}));
    Start(jobs);
    const std::string folder = Folder("mapped");
    // Before the mapping: a user's file of a job's name, and a file with exactly
    // another job's bytes (as an earlier version of the service left it).
    veqtest::WriteFile(folder + "/Sketch.PDF", "the user's own text");
    veqtest::WriteFile(folder + "/Notes.PDF", Bytes(2));
    Map(folder);
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Sketch (1).PDF") && FileExists(folder + "/Marker.PDF"); },
                        kArrival))
        << Details(folder);
    EXPECT_EQ(ReadFile(folder + "/Sketch (1).PDF"), Bytes(1));
    EXPECT_EQ(ReadFile(folder + "/Sketch.PDF"), "the user's own text");
    EXPECT_EQ(veqtest::FolderEntries(folder),
              (std::vector<std::string>{"Marker.PDF", "Notes.PDF", "Sketch (1).PDF", "Sketch.PDF"}));

    // After a restart each job still knows its file: nothing is fetched again.
    RestartHost();
    ASSERT_TRUE(WaitFor([&] { return dwtest::HasOkIcon(folder); }, kArrival));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(Calls(*sim, "SCAN_getDataInMailbox"), 0u) << Details(folder);

    // The user's file deleted deletes no job; the file with the job's bytes
    // counts as the job's. Deletions are decided in order: once job 2 is gone,
    // the user's file's deletion was decided.
    ASSERT_EQ(::unlink((folder + "/Sketch.PDF").c_str()), 0);
    ASSERT_EQ(::unlink((folder + "/Notes.PDF").c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return !Contains(sim->JobIds("Scans"), 2); }, kArrival)) << Details(folder);
    EXPECT_TRUE(Contains(sim->JobIds("Scans"), 1)) << Details(folder);

    // A job deleted on the controller takes its own file only, even when the
    // user has put a file of the job's plain name there again.
    veqtest::WriteFile(folder + "/Sketch.PDF", "the user's again");
    sim->Ctl({"delete-job", "1"});
    ASSERT_TRUE(WaitFor([&] { return !FileExists(folder + "/Sketch (1).PDF"); }, kArrival)) << Details(folder);
    EXPECT_EQ(ReadFile(folder + "/Sketch.PDF"), "the user's again");
    EXPECT_TRUE(FileExists(folder + "/Marker.PDF"));
}

TEST_F(Ownership, APlacedFileTheUserChangedOrAFolderReplacedByALinkIsTheUsers) {
    const struct {
        const char* how;
        bool viaLink;
    } cases[] = {{"the file edited", false}, {"the folder replaced by a link to another", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        Json::Value jobs(Json::arrayValue);
        jobs.append(dwtest::Job(1, "Sketch", {"PDF"}));
        Start(jobs);
        const std::string folder = Folder("mapped"), other = Folder("other");
        Map(folder);
        ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Sketch.PDF"); }, kArrival)) << Details(folder);
        std::string users = folder + "/Sketch.PDF";
        if (c.viaLink) {
            ASSERT_EQ(host->Stop(), 0);
            veqtest::WriteFile(other + "/Sketch.PDF", "the user's own text");
            ASSERT_EQ(::rename(folder.c_str(), (box / "Old").c_str()), 0);
            ASSERT_EQ(::symlink(other.c_str(), folder.c_str()), 0);
            StartHost();
            // The job is fetched anew beside the user's file, under its collision name.
            ASSERT_TRUE(WaitFor([&] { return FileExists(other + "/Sketch (1).PDF"); }, kArrival)) << Details(other);
            users = other + "/Sketch.PDF";
        } else {
            veqtest::WriteFile(users, "the user's own text");
        }
        sim->Ctl({"delete-job", "1"});
        if (c.viaLink) {
            // The job's own copy goes; the user's file and the old folder stay.
            ASSERT_TRUE(WaitFor([&] { return !FileExists(other + "/Sketch (1).PDF"); }, kArrival)) << Details(other);
            EXPECT_TRUE(FileExists(box / "Old/Sketch.PDF"));
        } else {
            ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("Kept file " + users) != std::string::npos; },
                                kArrival))
                << Details(folder);
        }
        EXPECT_EQ(ReadFile(users), "the user's own text");
        EXPECT_EQ(host->Stop(), 0);
        host.reset();
        sim.reset();
        veqtest::RunProgram({"/bin/rm", "-rf", folder, other, box / "Old"});
    }
}

TEST_F(Ownership, ADeletionInAReadOnlyFolderIsDoneOnceItCanBeWritten) {
    veqtest::SmallDisk disk(16 << 20);
    if (!disk.Mounted()) GTEST_SKIP() << "mounting a tmpfs was refused (needs root)";
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Scan", {"PDF"}));
    jobs.append(dwtest::Job(2, "Kept", {"PDF"}));
    Start(jobs);
    const std::string folder = disk.Path();
    Map(folder);
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF") && FileExists(folder + "/Kept.PDF"); },
                        kArrival))
        << Details(folder);
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    sim->Ctl({"delete-job", "1"});
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("could not be removed") != std::string::npos; },
                        kArrival))
        << Details(folder);
    EXPECT_TRUE(FileExists(folder + "/Scan.PDF"));
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT, nullptr), 0);
    EXPECT_TRUE(WaitFor([&] { return !FileExists(folder + "/Scan.PDF"); }, kArrival)) << Details(folder);
    EXPECT_TRUE(FileExists(folder + "/Kept.PDF"));
}

TEST_F(Ownership, AFolderThatCannotBeWrittenIsLoggedOnceUntilItCanAgain) {
    veqtest::SmallDisk disk(16 << 20);
    if (!disk.Mounted()) GTEST_SKIP() << "mounting a tmpfs was refused (needs root)";
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Scan", {"PDF"}));
    Start(jobs);
    const std::string folder = disk.Path();
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    Map(folder);
    const auto count = [](const std::string& text) {
        const std::string log = dwtest::ServiceLog();
        size_t n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    };
    const std::string notWritable = "Folder " + folder + " is not accessible";
    ASSERT_TRUE(WaitFor([&] { return count(notWritable) > 0; }, kArrival)) << Details(folder);
    // The folder is probed about ten times a second meanwhile.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_EQ(count(notWritable), 1u) << Details(folder);
    EXPECT_LE(count("IsOpened() failed : " + folder), 1u) << Details(folder);
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT, nullptr), 0);
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF"); }, kArrival)) << Details(folder);
    EXPECT_EQ(count("Folder " + folder + " is writable again"), 1u) << Details(folder);
    EXPECT_EQ(count(notWritable), 1u) << Details(folder);
}

TEST_F(Ownership, AFolderChangedDuringADownloadGetsTheFile) {
    Json::Value jobs(Json::arrayValue);
    Json::Value big = dwtest::Job(1, "Scan", {"PDF"});
    big["paddingBytesPerPage"] = 3 << 20;
    jobs.append(big);
    Start(jobs);
    sim->Ctl({"slow-transfer", "1", "1000000"});
    const std::string first = Folder("first"), second = Folder("second");
    Map(first);
    ASSERT_TRUE(WaitFor([&] { return Calls(*sim, "SCAN_getDataInMailbox") > 0; }, kArrival));
    Map(second);
    ASSERT_TRUE(WaitFor([&] { return FileExists(second + "/Scan.PDF"); }, std::chrono::seconds(30))) << Details(second);
    EXPECT_EQ(ReadFile(second + "/Scan.PDF"), Bytes(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(veqtest::FolderEntries(first).empty()) << Details(first);
    EXPECT_EQ(veqtest::FolderEntries(second), std::vector<std::string>{"Scan.PDF"});
}

TEST_F(Ownership, AJobThatCannotBePlacedWaitsLongerAfterEachTry) {
    veqtest::SmallDisk disk(2 << 20);
    if (!disk.Mounted()) GTEST_SKIP() << "mounting a tmpfs was refused (needs root)";
    Json::Value jobs(Json::arrayValue);
    Json::Value big = dwtest::Job(1, "Big", {"PDF"});
    big["paddingBytesPerPage"] = 4 << 20;
    jobs.append(big);
    Start(jobs);
    Map(disk.Path());
    // Each failed placement doubles the wait.
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("tried again in 4 s") != std::string::npos; },
                        std::chrono::seconds(30)))
        << Details(disk.Path());
    const size_t fetched = Calls(*sim, "SCAN_getDataInMailbox");
    EXPECT_EQ(dwtest::ServiceLog().find("tried again in 8 s"), std::string::npos);
    // Room made and the mapping saved again: tried again without waiting out the back-off.
    ASSERT_EQ(::mount(nullptr, disk.Path().c_str(), nullptr, MS_REMOUNT, "size=64m"), 0);
    Map(disk.Path());
    EXPECT_TRUE(WaitFor([&] { return FileExists(disk / "Big.PDF"); }, kArrival)) << Details(disk.Path());
    EXPECT_GT(Calls(*sim, "SCAN_getDataInMailbox"), fetched);
    EXPECT_TRUE(veqtest::FolderEntries(disk.Path()) == std::vector<std::string>{"Big.PDF"}) << Details(disk.Path());
}

TEST_F(Ownership, APageFolderWhoseNameIsTakenGivesTheJobItsCollisionName) {
    const struct {
        const char* what;
        std::function<void(const std::string& taken, const std::string& box)> plant;
    } cases[] = {
        {"a user's folder", [](const std::string& t, const std::string&) {
             ::mkdir(t.c_str(), 0755);
             veqtest::WriteFile(t + "/mine.txt", "mine");
         }},
        {"a link to another folder", [](const std::string& t, const std::string& b) {
             ::mkdir((b + "/elsewhere").c_str(), 0755);
             ASSERT_EQ(::symlink((b + "/elsewhere").c_str(), t.c_str()), 0);
         }},
        {"a file", [](const std::string& t, const std::string&) { veqtest::WriteFile(t, "a file"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Json::Value jobs(Json::arrayValue);
        jobs.append(dwtest::Job(7, "Photos", {"JPEG"}, 2, "JPEG"));
        Start(jobs);
        const std::string folder = Folder("mapped");
        c.plant(folder + "/Photos", box.Path());
        Map(folder);
        const std::string pages = folder + "/Photos (7)";
        ASSERT_TRUE(WaitFor([&] { return FileExists(pages + "/Photos (7)_2.JPEG"); }, kArrival)) << Details(folder);
        EXPECT_EQ(ReadFile(pages + "/Photos (7)_1.JPEG"), Bytes(7, "JPEG", 1));
        EXPECT_TRUE(veqtest::FolderEntries(box / "elsewhere").empty());
        // Deleted on the controller: its own page folder goes, the other stays.
        sim->Ctl({"delete-job", "7"});
        ASSERT_TRUE(WaitFor([&] { return !FileExists(pages); }, kArrival)) << Details(folder);
        struct stat st;
        EXPECT_EQ(::lstat((folder + "/Photos").c_str(), &st), 0);
        EXPECT_EQ(host->Stop(), 0);
        host.reset();
        sim.reset();
        veqtest::RunProgram({"/bin/rm", "-rf", folder, box / "elsewhere"});
    }
}

TEST_F(Ownership, OnlyTheServicesOwnLeftoverPartFilesAreRemoved) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "Scan", {"PDF"}));
    Start(jobs);
    const std::string folder = Folder("mapped");
    const std::string target = box / "target.txt";
    veqtest::WriteFile(target, "not to be touched");
    // What a kill -9 during a copy across file systems leaves, and look-alikes.
    veqtest::WriteFile(folder + "/.Gone.PDF.veqpart", "half a scan");
    veqtest::WriteFile(folder + "/.notes.veqpart.txt", "mine");
    veqtest::WriteFile(folder + "/notes.veqpart", "mine");
    ASSERT_EQ(::symlink(target.c_str(), (folder + "/.Link.PDF.veqpart").c_str()), 0);
    ASSERT_EQ(::mkdir((folder + "/.Dir.veqpart").c_str(), 0755), 0);
    Map(folder);
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF") && dwtest::HasOkIcon(folder); }, kArrival))
        << Details(folder);
    EXPECT_EQ(veqtest::FolderEntries(folder),
              (std::vector<std::string>{".Dir.veqpart", ".Link.PDF.veqpart", ".notes.veqpart.txt", "Scan.PDF",
                                        "notes.veqpart"}));
    EXPECT_EQ(ReadFile(target), "not to be touched");
}

}  // namespace
