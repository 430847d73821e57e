// Faults while jobs are downloaded into a mapped folder, with real processes:
// transfers that fail or drop, a full disk, a hung controller and a host killed
// mid-download. Never a truncated or partial file under a job's name, no staging
// file left once the job is in, and the job arrives whole once the fault is gone.
#include "../support/ServiceHarness.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using dwtest::ControllerBytes;
using veqtest::FileExists;
using veqtest::ReadFile;
using veqtest::WaitFor;

constexpr int kBigJob = 301;
constexpr auto kArrival = std::chrono::seconds(20);

// Watches a file name in the background: any content seen under it must be
// the whole expected content.
class NameWatch {
public:
    NameWatch(std::string path, std::string expected) : m_path(std::move(path)), m_expected(std::move(expected)) {
        m_thread = std::thread([this] {
            while (!m_stop) {
                if (FileExists(m_path)) {
                    const std::string seen = ReadFile(m_path);
                    if (!seen.empty() && seen != m_expected) m_bad = true;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    ~NameWatch() {
        m_stop = true;
        m_thread.join();
    }
    bool SawPartial() const { return m_bad; }

private:
    std::string m_path, m_expected;
    std::atomic<bool> m_stop{false}, m_bad{false};
    std::thread m_thread;
};

class DownloadFault : public ::testing::Test {
protected:
    void StartWith(const std::string& mappedFolder) {
        Json::Value jobs(Json::arrayValue);
        Json::Value big = dwtest::Job(kBigJob, "Big", {"PDF"}, 3);
        big["paddingBytesPerPage"] = 1 << 20;  // a little over 3 MiB: several pieces
        jobs.append(big);
        jobs.append(dwtest::Job(302, "Small", {"TIFF"}));
        sim = std::make_unique<dwtest::SimulatorProcess>(dwtest::Fixture({{"Scans", {"pw", jobs}}}));
        folder = mappedFolder;
        bigBytes = ControllerBytes(sim->Port(), "Scans", "pw", kBigJob, "PDF");
        ASSERT_GT(bigBytes.size(), 3u << 20);
    }

    void StartHost() {
        host = std::make_unique<dwtest::HostProcess>(sim->Port());
        host->Start();
    }

    void Map() { dwtest::WriteMappings({{"127.0.0.1", "Scans", "pw", folder}}); }

    bool StagingHasFile() { return !veqtest::FolderEntries(dwtest::StagingFolder()).empty(); }

    // After the fault: the job is whole, and nothing partial is left anywhere.
    void ExpectWholeAndClean() {
        ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Big.PDF"); }, kArrival)) << Details();
        EXPECT_EQ(ReadFile(folder + "/Big.PDF"), bigBytes);
        EXPECT_TRUE(WaitFor([&] { return !StagingHasFile(); })) << Details();
        for (const std::string& name : veqtest::FolderEntries(folder)) EXPECT_NE(name[0], '.') << name;
    }

    std::string Details() {
        std::string text = "folder:";
        for (const auto& n : veqtest::FolderEntries(folder)) text += " " + n;
        text += "\nstaging:";
        for (const auto& n : veqtest::FolderEntries(dwtest::StagingFolder())) text += " " + n;
        return text + "\nlog:\n" + dwtest::ServiceLog();
    }

    void TearDown() override {
        if (host && host->Raw().Running()) {
            EXPECT_EQ(host->Stop(), 0);
        }
    }

    veqtest::TempDir box;
    std::string folder, bigBytes;
    std::unique_ptr<dwtest::SimulatorProcess> sim;
    std::unique_ptr<dwtest::HostProcess> host;
};

struct TransferFault {
    const char* name;
    std::vector<std::string> command;
};

class TransferFaultTest : public DownloadFault, public ::testing::WithParamInterface<TransferFault> {};

TEST_P(TransferFaultTest, InterruptedTransferNeverShowsAPartialFile) {
    StartWith(box.Path() + "/Mapped");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    sim->Ctl(GetParam().command);
    NameWatch watch(folder + "/Big.PDF", bigBytes);
    StartHost();
    Map();
    ExpectWholeAndClean();
    EXPECT_FALSE(watch.SawPartial());
    EXPECT_TRUE(FileExists(folder + "/Small.TIFF"));
    EXPECT_NE(dwtest::ServiceLog().find("SCAN_getDataInMailbox failed"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Faults, TransferFaultTest,
                         ::testing::Values(TransferFault{"FailTransfer", {"fail-transfer", "301", "1", "-11", "2"}},
                                           TransferFault{"DropTransfer", {"drop-transfer", "301", "2"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadFault, FullDiskLeavesNoTruncatedFileAndTheJobComesOnceThereIsRoom) {
    veqtest::SmallDisk disk(5 * 1024 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "no right to mount a tmpfs";
    StartWith(disk.Path());
    veqtest::WriteFile(folder + "/filler.bin", std::string(3 << 20, 'f'));
    NameWatch watch(folder + "/Big.PDF", bigBytes);
    StartHost();
    Map();
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Small.TIFF"); }, kArrival)) << Details();
    ASSERT_TRUE(WaitFor([&] { return dwtest::ServiceLog().find("Unable to place Big.PDF") != std::string::npos; },
                        kArrival))
        << Details();
    EXPECT_FALSE(FileExists(folder + "/Big.PDF"));
    ASSERT_EQ(::unlink((folder + "/filler.bin").c_str()), 0);
    ExpectWholeAndClean();
    EXPECT_FALSE(watch.SawPartial());
}

TEST_F(DownloadFault, HungControllerMidTransferLeavesNothingPartial) {
    StartWith(box.Path() + "/Mapped");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    sim->Ctl({"slow-transfer", "301", "1000000"});
    NameWatch watch(folder + "/Big.PDF", bigBytes);
    StartHost();
    Map();
    ASSERT_TRUE(WaitFor([&] { return StagingHasFile(); }, kArrival)) << Details();
    sim->Ctl({"hang"});
    std::this_thread::sleep_for(std::chrono::seconds(4));  // beyond the SDK's time-out of the host
    EXPECT_FALSE(FileExists(folder + "/Big.PDF"));
    sim->Ctl({"clear-faults"});
    sim->Ctl({"resume"});
    ExpectWholeAndClean();
    EXPECT_FALSE(watch.SawPartial());
}

TEST_F(DownloadFault, StopWhileTheControllerHangsEndsInTime) {
    StartWith(box.Path() + "/Mapped");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    sim->Ctl({"slow-transfer", "301", "1000000"});
    StartHost();
    Map();
    ASSERT_TRUE(WaitFor([&] { return StagingHasFile(); }, kArrival)) << Details();
    sim->Ctl({"hang"});
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(host->Stop(std::chrono::seconds(20)), 0) << Details();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(20));
    EXPECT_NE(dwtest::ServiceLog().find(" Dropwell stopped"), std::string::npos);
    EXPECT_FALSE(FileExists(folder + "/Big.PDF"));
    EXPECT_FALSE(StagingHasFile());
    sim->Ctl({"resume"});
}

TEST_F(DownloadFault, HostKilledMidDownloadLeavesNothingBehindAfterTheNextStart) {
    StartWith(box.Path() + "/Mapped");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    sim->Ctl({"slow-transfer", "301", "1000000"});
    StartHost();
    Map();
    ASSERT_TRUE(WaitFor([&] { return StagingHasFile(); }, kArrival)) << Details();
    host->Raw().Signal(SIGKILL);
    int status = 0;
    ASSERT_TRUE(host->Raw().Wait(std::chrono::seconds(10), status));
    EXPECT_FALSE(FileExists(folder + "/Big.PDF"));
    EXPECT_TRUE(StagingHasFile());

    sim->Ctl({"clear-faults"});
    NameWatch watch(folder + "/Big.PDF", bigBytes);
    StartHost();
    ExpectWholeAndClean();
    EXPECT_FALSE(watch.SawPartial());
}

}  // namespace
