// DropwellTray as a program on a virtual display: Veqora's start leaves one
// agent running, a second start ends at once, a start at login obeys the
// setting, SIGTERM ends it cleanly.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <wx/filename.h>
#include <wx/init.h>

#include "ProcessList.h"
#include "ProgramTestSupport.h"
#include "TestSupport.h"
#include "TrayAgent.h"
#include "TrayTestSupport.h"
#include "TraySettings.h"
#include "VeqRoot.h"
#include "ZeltoSim.h"

namespace {

using Env = std::vector<std::pair<std::string, std::string>>;

std::string Root() {
    return std::getenv("VEQ_ROOT");
}

std::string BuiltAgent() {
    return veqtest::BuildDir() + "/bin/DropwellTray";
}

std::string SettingsFile() {
    return std::string(std::getenv("HOME")) + "/.TrayIcon";
}

std::string AgentLogs() {
    return traytest::LogsIn(traytest::ConfigFolder() + "TrayIcon/Logs");
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

bool HasOurRoot(pid_t pid) {
    const std::string environment = veqtest::ReadFile("/proc/" + std::to_string(pid) + "/environ");
    const std::string mine = "VEQ_ROOT=" + Root();
    size_t start = 0;
    while (start < environment.size()) {
        const size_t end = environment.find('\0', start);
        if (environment.compare(start, end - start, mine) == 0) {
            return true;
        }
        start = end == std::string::npos ? environment.size() : end + 1;
    }
    return false;
}

// The processes of this sandbox: those whose VEQ_ROOT is ours, so that
// programs of tests running beside this one are never seen, nor killed.
std::vector<veqplatform::ProcessEntry> OurProcesses() {
    std::vector<veqplatform::ProcessEntry> processes;
    veqplatform::ListProcesses(processes);
    std::vector<veqplatform::ProcessEntry> ours;
    for (const veqplatform::ProcessEntry& process : processes) {
        if (HasOurRoot(process.pid)) {
            ours.push_back(process);
        }
    }
    return ours;
}

std::vector<pid_t> Running(const std::string& name) {
    std::vector<pid_t> pids;
    for (const veqplatform::ProcessEntry& process : OurProcesses()) {
        if (process.name == name) {
            pids.push_back(process.pid);
        }
    }
    return pids;
}

std::vector<pid_t> RunningAgents() {
    return Running("DropwellTray");
}

class SandboxSystem : public LocalTraySystem {
public:
    int ListProcesses(std::vector<veqplatform::ProcessEntry>& processes) override {
        processes = OurProcesses();
        return 0;
    }
};

class TrayProgram : public testing::Test {
protected:
    ~TrayProgram() override {
        for (pid_t agent : RunningAgents()) {
            kill(agent, SIGKILL);
        }
    }
    bool WaitForAgentLog(const std::string& text) {
        return veqtest::WaitFor([&]() { return AgentLogs().find(text) != std::string::npos; },
                                std::chrono::seconds(30));
    }
};

TEST_F(TrayProgram, VeqorasStartsLeaveExactlyOneAgentRunning) {
    veqprogram::X11Windows windows;
    ASSERT_TRUE(windows.Ok());
    // The agent where Veqora starts it, as the staged bundle has it.
    const std::string staged = Root() + "/Applications/Zelto/Veqora.app/Contents/DropwellTray.app/Contents/MacOS/DropwellTray";
    wxFileName::Mkdir(wxFileName(staged).GetPath(), 0755, wxPATH_MKDIR_FULL);
    ASSERT_EQ(symlink(BuiltAgent().c_str(), staged.c_str()), 0);

    zeltosim::Simulator simulator;
    simulator.Start("127.0.0.1", 0);
    const Env env = {{"VELLORA_PORT", std::to_string(simulator.Port())}, {"VEQUI_SERVER", "127.0.0.1"}};
    veqprogram::BackgroundProgram veqora({veqtest::BuildDir() + "/bin/Veqora"}, env);
    ASSERT_TRUE(veqtest::WaitFor([&]() { return windows.AnyViewable("Veqora"); }, std::chrono::seconds(30)))
        << veqora.Output();
    ASSERT_TRUE(WaitForAgentLog("UserLanguage Code : ")) << AgentLogs();
    EXPECT_EQ(RunningAgents().size(), 1u);

    // A second start of Veqora hands over to the first; a start of the agent
    // as Veqora makes it ends at once, silently.
    const veqtest::ChildResult second = veqtest::RunProgram({veqtest::BuildDir() + "/bin/Veqora"}, env, 60);
    EXPECT_TRUE(second.exited && second.status == 0) << second.output;
    const veqtest::ChildResult agent = veqtest::RunProgram({staged, "--args", "VEQAPP"}, {}, 60);
    EXPECT_TRUE(agent.exited) << agent.output;
    EXPECT_EQ(agent.status, 0) << agent.output;
    EXPECT_EQ(agent.output, "");

    EXPECT_EQ(RunningAgents().size(), 1u);
    EXPECT_EQ(Count(AgentLogs(), "UserLanguage Code : "), 1u) << AgentLogs();
    veqora.Signal(SIGTERM);
    EXPECT_EQ(veqora.WaitForExit(), 0) << veqora.Output();
    EXPECT_EQ(RunningAgents().size(), 1u) << "the agent outlives Veqora";
}

// The agent's commands against the real main application, staged where the
// agent starts it.
TEST_F(TrayProgram, OpenVeqoraShowsTheRunningWindowAndExitEndsIt) {
    veqprogram::X11Windows windows;
    ASSERT_TRUE(windows.Ok());
    const std::string staged = veqplatform::UnderRoot(kMainApplicationExecutable);
    wxFileName::Mkdir(wxFileName(staged).GetPath(), 0755, wxPATH_MKDIR_FULL);
    ASSERT_EQ(symlink((veqtest::BuildDir() + "/bin/Veqora").c_str(), staged.c_str()), 0);
    zeltosim::Simulator simulator;
    simulator.Start("127.0.0.1", 0);
    // Inherited by the Veqora the agent starts.
    veqtest::ScopedEnv port("VELLORA_PORT", std::to_string(simulator.Port()).c_str());
    veqtest::ScopedEnv server("VEQUI_SERVER", "127.0.0.1");

    veqprogram::BackgroundProgram veqora({staged}, {});
    ASSERT_TRUE(veqtest::WaitFor([&]() { return windows.AnyViewable("Veqora"); }, std::chrono::seconds(30)))
        << veqora.Output();
    windows.CloseViewable("Veqora");
    ASSERT_TRUE(veqtest::WaitFor([&]() { return !windows.AnyViewable("Veqora"); }, std::chrono::seconds(20)));

    wxInitializer toolkit;
    SandboxSystem system;
    int ends = 0;
    TrayAgent agent(system, OpenTraySettings(), [](std::vector<stMappedFoldersDetail>&) {}, [&]() { ++ends; });
    ASSERT_TRUE(agent.HandleCommand(kOpenVeqoraCommand));
    EXPECT_TRUE(veqtest::WaitFor([&]() { return windows.AnyViewable("Veqora"); }, std::chrono::seconds(30)));
    EXPECT_TRUE(veqtest::WaitFor([&]() { return Running("Veqora").size() == 1; }, std::chrono::seconds(30)))
        << "the second start hands over and ends";
    EXPECT_EQ(windows.ViewableCount("Veqora"), 1u);

    ASSERT_TRUE(agent.HandleCommand(kExitCommand));
    EXPECT_EQ(veqora.WaitForExit(), -1) << "killed";
    EXPECT_EQ(ends, 1);
}

TEST_F(TrayProgram, AStartAtLoginEndsWhenTheSettingIsOff) {
    veqtest::WriteFile(SettingsFile(), "StartAtLogin=0\n");
    const veqtest::ChildResult result = veqtest::RunProgram({BuiltAgent()}, {}, 60);
    EXPECT_TRUE(result.exited) << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(AgentLogs().find("> TrayStartup.cpp::Decide::"), std::string::npos) << AgentLogs();
    EXPECT_NE(AgentLogs().find(" StartAtLogin is false, exiting\n"), std::string::npos) << AgentLogs();
    EXPECT_TRUE(RunningAgents().empty());
}

TEST_F(TrayProgram, SigtermEndsTheAgentAndKeepsItsSetting) {
    veqprogram::BackgroundProgram agent({BuiltAgent()}, {});
    ASSERT_TRUE(WaitForAgentLog("UserLanguage Code : ")) << agent.Output() << AgentLogs();
    EXPECT_TRUE(agent.Running());
    agent.Signal(SIGTERM);
    EXPECT_EQ(agent.WaitForExit(), 0) << agent.Output();
    EXPECT_NE(veqtest::ReadFile(SettingsFile()).find("StartAtLogin=1"), std::string::npos);
}

}  // namespace
