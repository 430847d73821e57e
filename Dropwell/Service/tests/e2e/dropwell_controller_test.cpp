// What the controller tells the service and how the service takes it, with
// real processes: server versions it cannot use, a version read that fails,
// controller events it must ignore or cannot place, a job that ends exactly at
// a piece boundary, and a staging folder that cannot be written.
#include "../support/ServiceHarness.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

namespace {

using veqtest::FileExists;
using veqtest::ReadFile;
using veqtest::WaitFor;

constexpr auto kArrival = std::chrono::seconds(20);

size_t Occurrences(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

bool LogHas(const std::string& text) {
    return dwtest::ServiceLog().find(text) != std::string::npos;
}

class ControllerTest : public ::testing::Test {
protected:
    // A controller of the given fixture (with the version text given) and a host on it.
    void Start(Json::Value fixture, const std::string& version = "10") {
        fixture["dictionary"]["WB3_SYSTEM"]["QMVSYSVERNUM"] = version;
        sim = std::make_unique<dwtest::SimulatorProcess>(fixture);
        folder = box.Path() + "/Mapped";
        ::mkdir(folder.c_str(), 0755);
    }
    void StartHost() {
        host = std::make_unique<dwtest::HostProcess>(sim->Port());
        host->Start();
    }
    void Map() { dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}}); }
    size_t Connects() { return sim->Ctl({"calls", "INIT_connectUTF8"})["calls"].size(); }
    std::string Details() {
        std::string text = "folder:";
        for (const auto& n : veqtest::FolderEntries(folder)) text += " " + n;
        return text + "\nhost:\n" + host->Output() + "\nlog:\n" + dwtest::ServiceLog();
    }
    void TearDown() override {
        if (host) {
            EXPECT_EQ(host->Stop(), 0) << Details();
        }
    }

    static Json::Value OneJob() {
        Json::Value jobs(Json::arrayValue);
        jobs.append(dwtest::Job(1, "Scan", {"PDF"}));
        return dwtest::Fixture({{"Scans", {"", jobs}}});
    }

    veqtest::TempDir box;
    std::string folder;
    std::unique_ptr<dwtest::SimulatorProcess> sim;
    std::unique_ptr<dwtest::HostProcess> host;
};

// ---- Server versions --------------------------------------------------------------------

struct VersionCase {
    const char* name;
    const char* version;
    const char* logged;  // the version as the log line gives it
};

void PrintTo(const VersionCase& c, std::ostream* out) { *out << c.name; }

class UnsupportedVersionTest : public ControllerTest, public ::testing::WithParamInterface<VersionCase> {};

// A version that was read and is too old, or is no number at all, makes the
// server unsupported: logged once, not connected again when the mapping is
// saved again, only once it has left the mapping and come back.
TEST_P(UnsupportedVersionTest, ServerIsNotTriedAgainUntilItLeavesTheMapping) {
    Start(OneJob(), GetParam().version);
    StartHost();
    Map();
    const std::string line = std::string("with server version ") + GetParam().logged + " not supported";
    ASSERT_TRUE(WaitFor([&] { return LogHas(line) && LogHas("unsupported server127.0.0.1"); }, kArrival))
        << Details();
    dwtest::SignalMappingChange();
    ASSERT_TRUE(WaitFor([&] { return LogHas("Dropwell modified for server - 127.0.0.1"); }, kArrival)) << Details();
    // A server taken for a failed connect would have been tried twice by now.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_EQ(Connects(), 1u) << Details();
    EXPECT_EQ(Occurrences(dwtest::ServiceLog(), line), 1u) << Details();
    EXPECT_FALSE(FileExists(folder + "/Scan.PDF"));

    // The server leaves the mapping: the watcher takes the notice (and the
    // signal file), and the connection thread reloads soon after.
    dwtest::WriteMappings({});
    const std::string signal = dwtest::ServiceFolder() + "/VEQFMWATCH_100804659.txt";
    ASSERT_TRUE(WaitFor([&] { return !FileExists(signal); }, kArrival)) << Details();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    Map();
    EXPECT_TRUE(WaitFor([&] { return Connects() == 2; }, kArrival)) << Details();
}

INSTANTIATE_TEST_SUITE_P(Controller, UnsupportedVersionTest,
                         ::testing::Values(VersionCase{"VersionNine", "9", "9"},
                                           VersionCase{"VersionThatIsNoNumber", "10a", "0"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A version read that fails outright is no verdict: the server is tried again,
// each time twice as late, and is used once the read succeeds.
TEST_F(ControllerTest, FailedVersionReadIsTriedAgainLaterEachTime) {
    Start(OneJob());
    sim->Ctl({"inject", "QMVM_dictRead", "-11", "2"});
    StartHost();
    Map();
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF"); }, kArrival)) << Details();
    const std::string log = dwtest::ServiceLog();
    EXPECT_EQ(Occurrences(log, "Unable to read the server version of 127.0.0.1"), 2u) << log;
    EXPECT_NE(log.find("trying again in 1 s"), std::string::npos) << log;
    EXPECT_NE(log.find("trying again in 2 s"), std::string::npos) << log;
    EXPECT_EQ(log.find("not supported"), std::string::npos) << log;
    EXPECT_EQ(Connects(), 3u) << Details();
}

// ---- Controller events --------------------------------------------------------------------

// Events of a type above 9 are dropped before anything else looks at them, so
// even a paused service says nothing about them; a job event is reported.
TEST_F(ControllerTest, EventOfTypeTenIsIgnoredWithoutALine) {
    Start(OneJob());
    StartHost();
    Map();
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF"); }, kArrival)) << Details();
    const std::string paused = "Job Event received but folder mapping is either paused or in stop state";
    host->Raw().Signal(SIGUSR1);
    // Events reach the service in the order raised: once the second job
    // event is reported, the type-10 event before it has been handled.
    ASSERT_TRUE(WaitFor(
        [&] {
            sim->Ctl({"scan-event", "0", "1"});
            return WaitFor([&] { return LogHas(paused); }, std::chrono::milliseconds(500));
        },
        kArrival))
        << Details();
    const size_t before = Occurrences(dwtest::ServiceLog(), paused);
    sim->Ctl({"scan-event", "10", "1"});
    sim->Ctl({"scan-event", "0", "1"});
    ASSERT_TRUE(WaitFor([&] { return Occurrences(dwtest::ServiceLog(), paused) > before; }, kArrival)) << Details();
    EXPECT_EQ(Occurrences(dwtest::ServiceLog(), paused), before + 1) << Details();
    EXPECT_FALSE(LogHas("ServerName is Empty"));
    host->Raw().Signal(SIGUSR2);
}

// A job added to a mailbox of the controller that no mapping names is not
// fetched anywhere; the mapping's own folder goes on as before.
TEST_F(ControllerTest, JobAddedToAnUnmappedMailboxIsNotFetched) {
    Json::Value scans(Json::arrayValue), other(Json::arrayValue);
    scans.append(dwtest::Job(1, "Scan", {"PDF"}));
    Start(dwtest::Fixture({{"Scans", {"", scans}}, {"Other", {"", other}}}));
    StartHost();
    Map();
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF") && dwtest::HasOkIcon(folder); }, kArrival))
        << Details();
    sim->Ctl({"add-job", "Other", "name=Stray", "formats=PDF"});
    ASSERT_TRUE(WaitFor([&] { return LogHas("Failed to download Job to Folder from server 127.0.0.1"); }, kArrival))
        << Details();
    sim->Ctl({"add-job", "Scans", "name=After", "formats=PDF"});
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/After.PDF"); }, kArrival)) << Details();
    EXPECT_EQ(veqtest::FolderEntries(folder), (std::vector<std::string>{"After.PDF", "Scan.PDF"}));
    EXPECT_TRUE(dwtest::HasOkIcon(folder));
    EXPECT_FALSE(LogHas("got disconnected")) << Details();
}

// ---- Downloads ---------------------------------------------------------------------------------

// A job of exactly two pieces of 1 MiB: the third request gets no bytes,
// which ends the job; the file is whole.
TEST_F(ControllerTest, JobOfExactlyTwoPiecesArrivesWhole) {
    constexpr size_t kTwoPieces = 2u << 20;
    Json::Value jobs(Json::arrayValue);
    Json::Value probe = dwtest::Job(1, "Probe", {"RAW"});
    probe["color"] = false;
    jobs.append(probe);
    Start(dwtest::Fixture({{"Scans", {"", jobs}}}));
    const size_t raster = dwtest::ControllerBytes(sim->Port(), "Scans", "", 1, "RAW").size();
    ASSERT_GT(raster, 0u);
    ASSERT_LT(raster, kTwoPieces);
    StartHost();
    Map();
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Probe.RAW"); }, kArrival)) << Details();
    const Json::Value added = sim->Ctl({"add-job", "Scans", "name=Exact", "formats=RAW", "color=false", "width=300",
                                        "height=400", "paddingBytesPerPage=" + std::to_string(kTwoPieces - raster)});
    const int id = added["id"].asInt();
    const std::string expected = dwtest::ControllerBytes(sim->Port(), "Scans", "", id, "RAW");
    ASSERT_EQ(expected.size(), kTwoPieces) << "the job must end at a piece boundary";
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/Exact.RAW"); }, kArrival)) << Details();
    EXPECT_EQ(ReadFile(folder + "/Exact.RAW"), expected);
    EXPECT_FALSE(LogHas("SCAN_getDataInMailbox failed")) << Details();
}

// A staging folder that cannot be written fails the download with its line
// and leaves the mapped folder alone; the job comes once it can be written.
TEST_F(ControllerTest, StagingFolderThatCannotBeWrittenFailsTheDownload) {
    Start(OneJob());
    const std::string staging = dwtest::StagingFolder();
    veqtest::RunProgram({"/bin/mkdir", "-p", staging.substr(0, staging.rfind('/'))});
    veqtest::WriteFile(staging, "a file where the staging folder belongs");
    StartHost();
    Map();
    ASSERT_TRUE(WaitFor([&] { return LogHas("Write permission denied for directory " + staging); }, kArrival))
        << Details();
    EXPECT_TRUE(LogHas("Failed to download Job to Folder from server 127.0.0.1"));
    EXPECT_TRUE(veqtest::FolderEntries(folder).empty()) << Details();
    ASSERT_EQ(::unlink(staging.c_str()), 0);
    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + "/Scan.PDF"); }, kArrival)) << Details();
}

}  // namespace
