// The agent against real processes: its daemon check and launch, and "Exit"
// killing a running main application. Only the test's own children are
// listed, so processes of tests running beside this one never count.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <wx/filename.h>
#include <wx/init.h>

#include "TestSupport.h"
#include "TrayAgent.h"
#include "TraySettings.h"
#include "VeqRoot.h"

namespace {

class ChildrenOnlySystem : public LocalTraySystem {
public:
    int ListProcesses(std::vector<veqplatform::ProcessEntry>& processes) override {
        const int result = LocalTraySystem::ListProcesses(processes);
        processes.erase(std::remove_if(processes.begin(), processes.end(),
                                       [](const veqplatform::ProcessEntry& p) { return p.parent != getpid(); }),
                        processes.end());
        return result;
    }
};

class TrayProcesses : public testing::Test {
protected:
    // Every process the test or the agent started.
    ~TrayProcesses() override {
        std::vector<veqplatform::ProcessEntry> children;
        m_system.ListProcesses(children);
        for (const veqplatform::ProcessEntry& child : children) {
            kill(child.pid, SIGKILL);
            waitpid(child.pid, nullptr, 0);
        }
    }
    // An executable at a path under VEQ_ROOT that notes each start in a file
    // and stays, as a shell of that name, its streams let go.
    std::string InstallDaemon() {
        const std::string path = veqplatform::UnderRoot(kSyncDaemonExecutable);
        wxFileName::Mkdir(wxFileName(path).GetPath(), 0755, wxPATH_MKDIR_FULL);
        veqtest::WriteFile(path, "#!/bin/sh\nexec </dev/null >/dev/null 2>&1\necho started >> '" + m_starts +
                                     "'\nwhile :; do sleep 1; done\n");
        chmod(path.c_str(), 0755);
        return path;
    }
    pid_t Run(const std::vector<std::string>& argv) {
        const pid_t pid = fork();
        if (pid == 0) {
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        return pid;
    }
    bool Listed(const std::string& name) {
        std::vector<veqplatform::ProcessEntry> processes;
        m_system.ListProcesses(processes);
        return std::any_of(processes.begin(), processes.end(),
                           [&](const veqplatform::ProcessEntry& p) { return p.name == name; });
    }
    std::unique_ptr<TrayAgent> MakeAgent() {
        return std::make_unique<TrayAgent>(
            m_system, OpenTraySettings(), [](std::vector<stMappedFoldersDetail>&) {}, [this]() { ++m_ends; });
    }
    size_t Starts() {
        const std::string text = veqtest::ReadFile(m_starts);
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    wxInitializer m_toolkit;
    ChildrenOnlySystem m_system;
    veqtest::TempDir m_folder;
    std::string m_starts = m_folder / "daemon-starts";
    int m_ends = 0;
};

TEST_F(TrayProcesses, TheDaemonIsStartedOnceWhenAbsent) {
    InstallDaemon();
    auto agent = MakeAgent();
    ASSERT_TRUE(veqtest::WaitFor([&]() { return Listed("ZeltoFetchd") && Starts() > 0; }));
    EXPECT_EQ(Starts(), 1u);
    // A second agent sees it running.
    auto second = MakeAgent();
    usleep(300 * 1000);  // time for a wrongly started second one to note itself
    EXPECT_EQ(Starts(), 1u);
}

TEST_F(TrayProcesses, TheDaemonIsNotStartedWhenAProcessOfThatNameRuns) {
    const std::string daemon = InstallDaemon();
    Run({daemon});
    ASSERT_TRUE(veqtest::WaitFor([&]() { return Listed("ZeltoFetchd") && Starts() == 1; }));
    auto agent = MakeAgent();
    usleep(300 * 1000);  // time for a wrongly started second one to note itself
    EXPECT_EQ(Starts(), 1u);
}

TEST_F(TrayProcesses, ExitKillsTheRunningMainApplicationAndEndsTheAgent) {
    const std::string veqora = m_folder / "Veqora";
    veqtest::WriteFile(veqora, veqtest::ReadFile("/bin/sleep"));
    chmod(veqora.c_str(), 0755);
    const pid_t running = Run({veqora, "60"});
    const pid_t other = Run({"/bin/sleep", "60"});
    ASSERT_TRUE(veqtest::WaitFor([&]() { return Listed("Veqora"); }));
    auto agent = MakeAgent();

    ASSERT_TRUE(agent->HandleCommand(kExitCommand));
    int status = 0;
    ASSERT_EQ(waitpid(running, &status, 0), running);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(m_ends, 1);
    EXPECT_EQ(waitpid(other, &status, WNOHANG), 0) << "another program goes on";
}

}  // namespace
