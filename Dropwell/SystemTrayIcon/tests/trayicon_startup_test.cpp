// The agent's start before any window: one per user, and the start-at-login
// setting obeyed only by a start without arguments. Each scenario runs in a
// child process, so that its log is complete when the child has ended.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <wx/init.h>

#include "TestSupport.h"
#include "TrayStartup.h"
#include "TrayTestSupport.h"

namespace {

using traytest::ConfigFolder;
using traytest::LogsIn;

// The agent's log folder and the configuration folder's own.
std::string AllLogs() {
    return LogsIn(ConfigFolder() + "TrayIcon/Logs") + LogsIn(ConfigFolder() + "Logs");
}

void WriteStartAtLogin(const char* value) {
    veqtest::WriteFile(std::string(getenv("HOME")) + "/.TrayIcon", std::string("StartAtLogin=") + value + "\n");
}

// The decision of a start with these arguments, made in a child process.
TrayStart StartInChild(const std::vector<wxString>& arguments) {
    const veqtest::ChildResult result = veqtest::RunInChild([&]() {
        wxInitializer toolkit;
        TrayStartup startup;
        return static_cast<int>(startup.Decide(arguments));
    });
    EXPECT_TRUE(result.exited) << result.output;
    return static_cast<TrayStart>(result.status);
}

TEST(TrayStartup, OnlyAStartWithoutArgumentsObeysStartAtLogin) {
    const struct {
        const char* setting;  // null: never written
        std::vector<wxString> arguments;
        TrayStart start;
    } cases[] = {
        {nullptr, {}, TrayStart::Run},
        {"1", {}, TrayStart::Run},
        {"0", {}, TrayStart::StartAtLoginOff},
        {"0", {"--args", "VEQAPP"}, TrayStart::Run},
        {"1", {"--args", "VEQAPP"}, TrayStart::Run},
    };
    for (const auto& c : cases) {
        if (c.setting) {
            WriteStartAtLogin(c.setting);
        }
        EXPECT_EQ(StartInChild(c.arguments), c.start) << (c.setting ? c.setting : "unset") << " "
                                                       << c.arguments.size();
    }
}

TEST(TrayStartup, StartAtLoginOffEndsWithItsDebugLineInTheAgentsLogFolder) {
    WriteStartAtLogin("0");
    ASSERT_EQ(StartInChild({}), TrayStart::StartAtLoginOff);
    const std::string logs = LogsIn(ConfigFolder() + "TrayIcon/Logs");
    EXPECT_NE(logs.find("<Debug> TrayStartup.cpp::Decide::"), std::string::npos) << logs;
    EXPECT_NE(logs.find(" StartAtLogin is false, exiting\n"), std::string::npos) << logs;
}

TEST(TrayStartup, ASecondAgentOfTheUserEndsSilentlyWhileTheFirstRuns) {
    WriteStartAtLogin("0");
    {
        wxInitializer toolkit;
        TrayStartup first;
        ASSERT_EQ(first.Decide({"--args", "VEQAPP"}), TrayStart::Run);
        EXPECT_EQ(StartInChild({}), TrayStart::AnotherInstance);
        EXPECT_EQ(StartInChild({"--args", "VEQAPP"}), TrayStart::AnotherInstance);
        EXPECT_EQ(AllLogs(), "");
    }
    // Once the first has ended, a start is its own again.
    EXPECT_EQ(StartInChild({"--args", "VEQAPP"}), TrayStart::Run);
}

}  // namespace
