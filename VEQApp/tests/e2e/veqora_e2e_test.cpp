// Veqora as a user meets it: one instance per user, a close box that only
// hides the window, a second start that brings it back, the tray agent
// started once, and SIGTERM and Ctrl+Q that quit.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <wx/filename.h>

#include "ProgramTestSupport.h"
#include "TestSupport.h"
#include "ZeltoSim.h"

namespace {

using Env = std::vector<std::pair<std::string, std::string>>;

std::string Program() {
    return veqtest::BuildDir() + "/bin/Veqora";
}

std::string TrayAgentPath() {
    return std::string(std::getenv("VEQ_ROOT")) +
           "/Applications/Zelto/Veqora.app/Contents/DropwellTray.app/Contents/MacOS/DropwellTray";
}

// A tray agent that notes each start (with its arguments) in a file.
std::string InstallTrayAgent(const veqtest::TempDir& folder) {
    const std::string starts = folder / "tray-starts";
    wxFileName::Mkdir(wxFileName(TrayAgentPath()).GetPath(), 0777, wxPATH_MKDIR_FULL);
    veqtest::WriteFile(TrayAgentPath(), "#!/bin/sh\necho \"$*\" >> " + starts + "\n");
    chmod(TrayAgentPath().c_str(), 0755);
    return starts;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class VeqoraEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        m_simulator.Start("127.0.0.1", 0);
        m_env = {{"VELLORA_PORT", std::to_string(m_simulator.Port())}, {"VEQUI_SERVER", "127.0.0.1"}};
    }
    bool WindowShown() { return m_windows.AnyViewable("Veqora"); }
    bool WaitForLog(const std::string& text) {
        return veqtest::WaitFor([&]() { return veqprogram::LogText().find(text) != std::string::npos; },
                                std::chrono::seconds(30));
    }

    zeltosim::Simulator m_simulator;
    Env m_env;
    veqprogram::X11Windows m_windows;
    veqtest::TempDir m_folder;
};

TEST_F(VeqoraEndToEnd, OneInstancePerUserWhoseWindowASecondStartBringsBack) {
    ASSERT_TRUE(m_windows.Ok());
    const std::string trayStarts = InstallTrayAgent(m_folder);
    Env env = m_env;
    env.push_back({"VEQUI_AUTORUN", "mailbox:Accounting:1234"});
    veqprogram::BackgroundProgram first({Program()}, env);
    ASSERT_TRUE(veqtest::WaitFor([&]() { return WindowShown(); }, std::chrono::seconds(30))) << first.Output();
    // Connected to the controller, the mailbox's jobs listed.
    ASSERT_TRUE(WaitForLog("Refreshing Mailbox Completed, MailBoxName::Accounting Number of Jobs::2"))
        << veqprogram::LogText() << first.Output();

    // The close box only hides the window.
    m_windows.CloseViewable("Veqora");
    ASSERT_TRUE(veqtest::WaitFor([&]() { return !WindowShown(); }, std::chrono::seconds(20)));
    EXPECT_TRUE(first.Running());

    // A second start hands over to the first and ends.
    const veqtest::ChildResult second = veqtest::RunProgram({Program()}, m_env, 60);
    ASSERT_TRUE(second.exited) << second.output;
    EXPECT_EQ(second.status, 0) << second.output;
    EXPECT_EQ(Count(veqprogram::LogText(), "App Instance Already Running"), 1u);
    EXPECT_TRUE(veqtest::WaitFor([&]() { return WindowShown(); }, std::chrono::seconds(20)));
    EXPECT_EQ(m_windows.ViewableCount("Veqora"), 1u) << "no window of a second instance";

    // The tray agent was started once, by the first start, detached. Its
    // record appears before its line is written: wait for a whole line.
    ASSERT_TRUE(veqtest::WaitFor(
        [&]() {
            const std::string starts = veqtest::ReadFile(trayStarts);
            return !starts.empty() && starts.back() == '\n';
        },
        std::chrono::seconds(20)));
    EXPECT_EQ(veqtest::ReadFile(trayStarts), "--args VEQAPP\n");

    first.Signal(SIGTERM);
    EXPECT_EQ(first.WaitForExit(), 0) << first.Output();
}

TEST_F(VeqoraEndToEnd, WithoutATrayAgentItStartsAndSaysSo) {
    ASSERT_TRUE(m_windows.Ok());
    veqprogram::BackgroundProgram veqora({Program()}, m_env);
    ASSERT_TRUE(veqtest::WaitFor([&]() { return WindowShown(); }, std::chrono::seconds(30))) << veqora.Output();
    EXPECT_NE(veqprogram::LogText().find("Tray agent not found: " + TrayAgentPath()), std::string::npos);
    veqora.Signal(SIGINT);
    EXPECT_EQ(veqora.WaitForExit(), 0) << veqora.Output();
    EXPECT_EQ(veqora.Output().find("CRITICAL"), std::string::npos) << veqora.Output();
}

TEST_F(VeqoraEndToEnd, CtrlQQuitsOnceConnected) {
    ASSERT_TRUE(m_windows.Ok());
    veqprogram::BackgroundProgram veqora({Program()}, m_env);
    ASSERT_TRUE(veqtest::WaitFor([&]() { return WindowShown(); }, std::chrono::seconds(30))) << veqora.Output();
    // Connecting disables the focused controller field; the keys still arrive.
    ASSERT_TRUE(WaitForLog("Connected to 127.0.0.1")) << veqprogram::LogText();
    // Another control key does nothing.
    ASSERT_TRUE(m_windows.TypeKey("Veqora", XK_w, true));
    EXPECT_EQ(veqora.WaitForExit(std::chrono::seconds(2)), -2);
    ASSERT_TRUE(m_windows.TypeKey("Veqora", XK_q, true));
    EXPECT_EQ(veqora.WaitForExit(), 0) << veqora.Output();
    EXPECT_EQ(veqora.Output().find("CRITICAL"), std::string::npos) << veqora.Output();
}

}  // namespace
