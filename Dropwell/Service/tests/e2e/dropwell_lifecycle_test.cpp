// How dropwell-host starts and stops, with real processes: SIGTERM is honoured
// within five seconds whatever the service is doing, with exit status 0 and
// nothing half-written; one host runs per user and root; --help starts
// nothing; and what the service library exports.
#include "../support/ServiceHarness.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace {

using veqtest::FileExists;
using veqtest::ReadFile;
using veqtest::WaitFor;

// The time the host has to stop in. Under ThreadSanitizer the end of the
// process itself takes longer (the sanitizer's own work at exit, after the
// host has ended its work), so the limit leaves room for it there.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VEQ_TEST_UNDER_TSAN 1
#endif
#endif
#if defined(__SANITIZE_THREAD__) || defined(VEQ_TEST_UNDER_TSAN)
constexpr auto kStopLimit = std::chrono::seconds(10);
#else
constexpr auto kStopLimit = std::chrono::seconds(5);
#endif
constexpr auto kArrival = std::chrono::seconds(20);
constexpr int kBigJob = 301;

std::string HostProgram() {
    return veqtest::BuildDir() + "/bin/dropwell-host";
}

bool LogHas(const std::string& text) {
    return dwtest::ServiceLog().find(text) != std::string::npos;
}

// A controller with a big job (several pieces) and a small one, a folder to
// map them into, and a host that uses the SDK's own time-out (a minute), as a
// host does outside the tests.
class StopScene {
public:
    StopScene() {
        Json::Value jobs(Json::arrayValue);
        Json::Value big = dwtest::Job(kBigJob, "Big", {"PDF"}, 3);
        big["paddingBytesPerPage"] = 1 << 20;
        jobs.append(big);
        jobs.append(dwtest::Job(302, "Small", {"TIFF"}));
        sim = std::make_unique<dwtest::SimulatorProcess>(dwtest::Fixture({{"Scans", {"pw", jobs}}}));
        folder = box.Path() + "/Mapped";
        ::mkdir(folder.c_str(), 0755);
        bigBytes = dwtest::ControllerBytes(sim->Port(), "Scans", "pw", kBigJob, "PDF");
        host = std::make_unique<dwtest::HostProcess>(sim->Port(),
                                                     std::vector<std::pair<std::string, std::string>>{
                                                         {"VELLORA_TIMEOUT_MS", ""}});
    }
    void StartAndMap() {
        host->Start();
        dwtest::WriteMappings({{"127.0.0.1", "Scans", "pw", folder}});
    }
    bool StagingHasFile() const { return !veqtest::FolderEntries(dwtest::StagingFolder()).empty(); }
    std::string Details() const {
        std::string text = "folder:";
        for (const auto& n : veqtest::FolderEntries(folder)) text += " " + n;
        text += "\nstaging:";
        for (const auto& n : veqtest::FolderEntries(dwtest::StagingFolder())) text += " " + n;
        return text + "\nhost:\n" + host->Output() + "\nlog:\n" + dwtest::ServiceLog();
    }

    veqtest::TempDir box;
    std::string folder, bigBytes;
    std::unique_ptr<dwtest::SimulatorProcess> sim;
    std::unique_ptr<dwtest::HostProcess> host;
};

struct StopCase {
    const char* name;
    // Brings the service to the state in which SIGTERM comes; false when it could not.
    std::function<bool(StopScene&)> prepare;
    // Whether the service's own stop ends in time. Work that cannot be
    // interrupted (a connect that waits for its first answer) is left to the
    // host, which ends without waiting for it.
    bool serviceStops;
};

void PrintTo(const StopCase& c, std::ostream* out) { *out << c.name; }

class HostStopTest : public ::testing::TestWithParam<StopCase> {
protected:
    void TearDown() override {
        if (scene.sim) scene.sim->Ctl({"resume"});
    }
    StopScene scene;
};

// Whatever the service is doing, SIGTERM ends the host in time with status 0;
// the mapped folder holds no partial job and no staging file is left behind.
TEST_P(HostStopTest, SigtermEndsTheHostInTimeWithNothingHalfWritten) {
    ASSERT_TRUE(GetParam().prepare(scene)) << scene.Details();
    const auto sent = std::chrono::steady_clock::now();
    const int status = scene.host->Stop(kStopLimit);
    EXPECT_EQ(status, 0) << "waited " << std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now() - sent)
                                             .count()
                         << " ms\n"
                         << scene.Details();
    if (FileExists(scene.folder + "/Big.PDF")) {
        EXPECT_EQ(ReadFile(scene.folder + "/Big.PDF"), scene.bigBytes);
    }
    for (const auto& name : veqtest::FolderEntries(scene.folder)) {
        EXPECT_TRUE(name == "Big.PDF" || name == "Small.TIFF") << name;
    }
    EXPECT_FALSE(scene.StagingHasFile()) << scene.Details();
    if (GetParam().serviceStops) {
        EXPECT_NE(scene.host->Output().find("dropwell-host: service stopped"), std::string::npos) << scene.Details();
        EXPECT_TRUE(LogHas(" Dropwell stopped")) << scene.Details();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lifecycle, HostStopTest,
    ::testing::Values(
        // Connected and idle; the controller stops answering. Closing the
        // session must not wait for the SDK's time-out.
        StopCase{"HungControllerWhileIdle",
                 [](StopScene& s) {
                     s.StartAndMap();
                     if (!WaitFor(
                             [&] {
                                 return FileExists(s.folder + "/Small.TIFF") && FileExists(s.folder + "/Big.PDF") &&
                                        dwtest::HasOkIcon(s.folder);
                             },
                             kArrival))
                         return false;
                     s.sim->Ctl({"hang"});
                     return true;
                 },
                 true},
        // A transfer of 150 kB/s: each piece of 1 MiB takes seven seconds; the
        // first is staged, the second on its way.
        StopCase{"SlowTransfer",
                 [](StopScene& s) {
                     s.sim->Ctl({"slow-transfer", std::to_string(kBigJob), "150000"});
                     s.StartAndMap();
                     return WaitFor([&] { return s.StagingHasFile(); }, kArrival);
                 },
                 true},
        StopCase{"HungControllerMidTransfer",
                 [](StopScene& s) {
                     s.sim->Ctl({"slow-transfer", std::to_string(kBigJob), "1000000"});
                     s.StartAndMap();
                     if (!WaitFor([&] { return s.StagingHasFile(); }, kArrival)) return false;
                     s.sim->Ctl({"hang"});
                     return true;
                 },
                 true},
        // The controller hangs before the service connects: the connect waits.
        StopCase{"ConnectToHungController",
                 [](StopScene& s) {
                     s.sim->Ctl({"hang"});
                     s.StartAndMap();
                     return WaitFor([] { return LogHas("New server added to dropwell - 127.0.0.1"); }, kArrival);
                 },
                 false},
        // A mapping file of almost two megabytes of attribute text, being read.
        StopCase{"HugeMappingFile",
                 [](StopScene& s) {
                     const std::string huge(640 << 10, 'x');
                     veqtest::WriteFile(dwtest::ServiceFolder() + "/VEQ_Dropwell.xml",
                                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dropwell><Zelto NameIP=\"127.0.0.1\" "
                                        "DisplayName=\"" + huge + "\" Status=\"1\"><MappedFolder Mailbox=\"" + huge +
                                            "\" MailboxName=\"" + huge + "\" Folder=\"" + s.folder +
                                            "\" Status=\"1\"/></Zelto></Dropwell>\n");
                     s.host->Start();
                     return WaitFor([] { return LogHas("Start ServerConnectionThread"); }, kArrival);
                 },
                 true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- One host per user and root -------------------------------------------------------

std::string LockFile() {
    return dwtest::ServiceFolder() + "/dropwell-host-" + std::to_string(::geteuid()) + ".lock";
}

struct RefusalCase {
    const char* name;
    // Makes the second start meet its case; returns what must stay untouched.
    std::function<std::string(veqtest::TempDir&, std::unique_ptr<dwtest::HostProcess>&)> prepare;
    const char* says;
};

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

class SecondHostTest : public ::testing::TestWithParam<RefusalCase> {};

// The host that cannot have the lock says why and ends with status 1 at once,
// without starting a service; a host that runs is not disturbed by it.
TEST_P(SecondHostTest, RefusesToStartAndSaysWhy) {
    veqtest::TempDir box;
    std::unique_ptr<dwtest::HostProcess> first;
    const std::string untouched = GetParam().prepare(box, first);
    const veqtest::ChildResult second = veqtest::RunProgram({HostProgram()}, {}, 30);
    EXPECT_TRUE(second.exited) << second.output;
    EXPECT_EQ(second.status, 1) << second.output;
    EXPECT_NE(second.output.find(GetParam().says), std::string::npos) << second.output;
    EXPECT_EQ(second.output.find("service started"), std::string::npos) << second.output;
    if (!untouched.empty()) {
        EXPECT_EQ(ReadFile(untouched), "victim") << "the lock went through a link";
    }
    if (first) {
        EXPECT_TRUE(first->Raw().Running());
        EXPECT_EQ(first->Stop(), 0) << first->Output();
        // Once the first has ended, a host starts again.
        dwtest::HostProcess again(veqtest::FreeLoopbackPort());
        again.Start();
        ASSERT_TRUE(WaitFor([&] { return again.Output().find("service started") != std::string::npos; }))
            << again.Output();
        EXPECT_EQ(again.Stop(), 0) << again.Output();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lifecycle, SecondHostTest,
    ::testing::Values(
        RefusalCase{"AnotherHostRuns",
                    [](veqtest::TempDir&, std::unique_ptr<dwtest::HostProcess>& first) {
                        first = std::make_unique<dwtest::HostProcess>(veqtest::FreeLoopbackPort());
                        first->Start();
                        WaitFor([&] { return LogHas("Dropwell started"); });
                        return std::string();
                    },
                    "another dropwell-host"},
        RefusalCase{"LinkInTheLockFilesPlace",
                    [](veqtest::TempDir& box, std::unique_ptr<dwtest::HostProcess>&) {
                        const std::string victim = box / "victim.txt";
                        veqtest::WriteFile(victim, "victim");
                        ::mkdir(dwtest::ServiceFolder().c_str(), 0777);
                        ::symlink(victim.c_str(), LockFile().c_str());
                        return victim;
                    },
                    "is not a lock file of this user"}),
    [](const auto& info) { return std::string(info.param.name); });

struct CommandLineCase {
    const char* name;
    std::vector<std::string> arguments;
    int status;
};

void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << c.name; }

class HostCommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

// An argument never starts the service: usage, and the status of the case.
TEST_P(HostCommandLineTest, PrintsUsageWithoutStartingTheService) {
    std::vector<std::string> argv = {HostProgram()};
    argv.insert(argv.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    const veqtest::ChildResult r = veqtest::RunProgram(argv, {}, 30);
    ASSERT_TRUE(r.exited) << r.output;
    EXPECT_EQ(r.status, GetParam().status) << r.output;
    EXPECT_NE(r.output.find("Usage: dropwell-host"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("service started"), std::string::npos) << r.output;
    EXPECT_FALSE(LogHas("Folder mapping started"));
    EXPECT_FALSE(FileExists(LockFile()));
}

INSTANTIATE_TEST_SUITE_P(Lifecycle, HostCommandLineTest,
                         ::testing::Values(CommandLineCase{"Help", {"--help"}, 0},
                                           CommandLineCase{"UnknownArgument", {"--start-now"}, 2},
                                           CommandLineCase{"HelpWithMore", {"--help", "extra"}, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- What the library exports ---------------------------------------------------------

TEST(ServiceLibrary, ExportsTheWatchersEventTypeUnderItsPlainName) {
    const auto child = veqtest::RunInChild([] {
        void* library = ::dlopen((veqtest::BuildDir() + "/lib/libDropwell.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) return 10;
        const auto* eventType = static_cast<const int*>(::dlsym(library, "cnEVENT_WM_FSWATCH"));
        if (!eventType) return 11;
        return *eventType == 0 ? 0 : 12;
    });
    EXPECT_TRUE(child.exited) << child.output;
    EXPECT_EQ(child.status, 0) << "10: not loaded, 11: not exported, 12: not 0\n" << child.output;
}

}  // namespace
