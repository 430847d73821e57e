// The automation loader (missing library, library without the factory,
// forwarding) and the accessibility titles of native widgets.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/init.h>
#include <wx/log.h>

#include "FakeAutomationControl.h"
#include "TestSupport.h"
#include "VEQAutomation.h"

namespace {

using veqtest::ChildResult;
using veqtest::RunInChild;
using veqtest::TempDir;

// Where the loader looks. VEQAutomation::GetAutomationControl calls dlopen
// from inside libVEQServices, so the bare name "libVEQProbe.so" is searched
// in LD_LIBRARY_PATH, then in that library's RUNPATH ($ORIGIN/../lib and
// $ORIGIN), then in the system folders. The dynamic loader reads
// LD_LIBRARY_PATH only when a program starts, so each loader scenario runs
// as a new process of this test program: its folder <temp>/lib holds a
// private copy of libVEQServices.so and comes first in LD_LIBRARY_PATH. That
// copy is the process's libVEQServices, its RUNPATH names only <temp>/lib,
// and the scenario alone decides whether, and which, "libVEQProbe.so" lies
// there, whatever the build tree holds.
const char kProbeFolderVariable[] = "VEQ_TEST_PROBE_FOLDER";

std::string ProbeFolder() {
    const char* folder = std::getenv(kProbeFolderVariable);
    return folder ? folder : "";
}

bool InScenarioProcess() { return !ProbeFolder().empty(); }

std::string LoadedServicesPath() {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&VEQAutomation::GetAutomationControl), &info);
    return info.dli_fname ? info.dli_fname : "";
}

// Runs the current test again in a scenario process and reports its outcome.
void RunAsScenario() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string(test->test_suite_name()) + "." + test->name();
    TempDir dir;
    const std::string lib = dir / "lib";
    ASSERT_EQ(mkdir(lib.c_str(), 0700), 0);
    veqtest::WriteFile(lib + "/libVEQServices.so", veqtest::ReadFile(LoadedServicesPath()));
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(length, 0);
    const ChildResult result =
        veqtest::RunProgram({std::string(self, length), "--gtest_filter=" + filter},
                            {{"LD_LIBRARY_PATH", lib}, {kProbeFolderVariable, lib}});
    EXPECT_TRUE(result.exited) << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("[  PASSED  ] 1 test."), std::string::npos) << result.output;
}

std::string ProbePath() { return ProbeFolder() + "/libVEQProbe.so"; }

// Puts the library at path in the search folder as "libVEQProbe.so". A new
// file takes the name by rename, so a library already mapped is never
// overwritten in place.
void InstallProbe(const std::string& path) {
    const std::string staged = ProbeFolder() + "/staged.so";
    veqtest::WriteFile(staged, veqtest::ReadFile(path));
    ASSERT_EQ(std::rename(staged.c_str(), ProbePath().c_str()), 0);
}

// Checks that this scenario process really uses the private copy.
void ExpectPrivateServices() {
    ASSERT_EQ(LoadedServicesPath().rfind(ProbeFolder() + "/", 0), 0u) << LoadedServicesPath();
}

// The fake factory's call counter, read from the loaded "libVEQProbe.so".
int FactoryCalls() {
    void* probe = dlopen(ProbePath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!probe) return -1;
    auto calls = reinterpret_cast<int (*)()>(dlsym(probe, "FakeProbeFactoryCalls"));
    const int result = calls ? calls() : -1;
    dlclose(probe);
    return result;
}

// Counts what reaches the toolkit's log.
class CountingLog : public wxLog {
public:
    int messages = 0;

protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override { ++messages; }
};

class Owner : public Automation {
public:
    wxAny Get(const wxAny&, const wxAny&) const override { return wxAny(); }
};

AutomationControl* Get(AutomationControl::Type type, const Automation* owner) {
    return VEQAutomation::GetAutomationControl(type, owner);
}

const AutomationControl::Type kListControl = AutomationControl::Type::ListControl;

}  // namespace

TEST(AutomationLoader, MissingLibraryGivesNullAndIsTriedAgainUntilFound) {
    if (!InScenarioProcess()) return RunAsScenario();
    ExpectPrivateServices();
    Owner owner;
    for (int attempt = 0; attempt < 3; ++attempt) EXPECT_EQ(Get(kListControl, &owner), nullptr);
    InstallProbe(VEQ_FAKE_PROBE_WITH_FACTORY);
    AutomationControl* provider = Get(kListControl, &owner);
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->GetOwner(), &owner);
    EXPECT_EQ(FactoryCalls(), 1);
}

TEST(AutomationLoader, LibraryWithoutFactoryGivesNullForGood) {
    if (!InScenarioProcess()) return RunAsScenario();
    ExpectPrivateServices();
    InstallProbe(VEQ_FAKE_PROBE_WITHOUT_FACTORY);
    Owner owner;
    EXPECT_EQ(Get(kListControl, &owner), nullptr);
    // Even once a library with the factory lies under the name, the loaded
    // one is kept and nothing is searched again.
    InstallProbe(VEQ_FAKE_PROBE_WITH_FACTORY);
    for (int attempt = 0; attempt < 3; ++attempt) {
        EXPECT_EQ(Get(AutomationControl::Type::TreeControl, &owner), nullptr);
    }
}

TEST(AutomationLoader, ForwardsTypeAndOwnerAndPassesNullOn) {
    if (!InScenarioProcess()) return RunAsScenario();
    ExpectPrivateServices();
    InstallProbe(VEQ_FAKE_PROBE_WITH_FACTORY);
    Owner first;
    Owner second;
    struct Case {
        std::int32_t type;
        const Automation* owner;
        bool expectProvider;
    };
    const std::vector<Case> cases = {
        {0, &first, true},  {1, &second, true}, {2, &first, true}, {3, &second, true},
        {3, nullptr, true}, {4, &first, false}, {-1, &first, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const auto type = static_cast<AutomationControl::Type>(c.type);
        AutomationControl* provider = Get(type, c.owner);
        if (!c.expectProvider) {
            EXPECT_EQ(provider, nullptr);
            continue;
        }
        ASSERT_NE(provider, nullptr);
        EXPECT_EQ(static_cast<FakeAutomationControl*>(provider)->GetType(), type);
        EXPECT_EQ(provider->GetOwner(), c.owner);
    }
    EXPECT_EQ(FactoryCalls(), static_cast<int>(cases.size()));
}

// A failed attempt, with no library or a library without the factory, with
// the toolkit's logging on or off beforehand.
struct FailedAttempt {
    const char* probe;  // "" for none
    bool loggingOn;
};

void PrintTo(const FailedAttempt& attempt, std::ostream* out) {
    *out << (*attempt.probe ? "no factory" : "no library") << ", logging "
         << (attempt.loggingOn ? "on" : "off");
}

class AutomationLoaderFailure : public ::testing::TestWithParam<FailedAttempt> {};

TEST_P(AutomationLoaderFailure, LeavesToolkitLoggingAsItWasAndSaysNothing) {
    if (!InScenarioProcess()) return RunAsScenario();
    ExpectPrivateServices();
    wxInitializer toolkit;  // the log then knows its main thread
    if (*GetParam().probe) InstallProbe(GetParam().probe);
    auto* log = new CountingLog;
    delete wxLog::SetActiveTarget(log);
    wxLog::EnableLogging(GetParam().loggingOn);
    Owner owner;
    EXPECT_EQ(Get(kListControl, &owner), nullptr);
    EXPECT_EQ(wxLog::IsEnabled(), GetParam().loggingOn);
    wxLog::EnableLogging(true);
    wxLog::FlushActive();
    EXPECT_EQ(log->messages, 0);
    wxLogMessage("the counter works");
    wxLog::FlushActive();
    EXPECT_EQ(log->messages, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Attempts, AutomationLoaderFailure,
    ::testing::Values(FailedAttempt{"", true}, FailedAttempt{"", false},
                      FailedAttempt{VEQ_FAKE_PROBE_WITHOUT_FACTORY, true},
                      FailedAttempt{VEQ_FAKE_PROBE_WITHOUT_FACTORY, false}),
    [](const ::testing::TestParamInfo<FailedAttempt>& info) {
        return std::string(*info.param.probe ? "NoFactory" : "NoLibrary") +
               (info.param.loggingOn ? "LoggingOn" : "LoggingOff");
    });

namespace {

void ExpectChildPassed(const ChildResult& result) {
    EXPECT_TRUE(result.exited) << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
}

}  // namespace

namespace {

WXWidget Widget(int index) {
    static char storage[4];
    return reinterpret_cast<WXWidget>(&storage[index]);
}

}  // namespace

TEST(AccessibilityTitle, KeptPerWidgetAndReplacedBySetting) {
    ExpectChildPassed(RunInChild([] {
        VEQAutomation::SetAccessibilityTitle(Widget(0), "Save as");
        VEQAutomation::SetAccessibilityTitle(Widget(1), "Numérisation");
        VEQAutomation::SetAccessibilityTitle(Widget(1), "Löschen");
        VEQAutomation::SetAccessibilityTitle(Widget(2), "");
        if (VEQAutomation::GetAccessibilityTitle(Widget(0)) != "Save as") return 1;
        if (VEQAutomation::GetAccessibilityTitle(Widget(1)) != wxString::FromUTF8("Löschen")) return 2;
        if (!VEQAutomation::GetAccessibilityTitle(Widget(2)).empty()) return 3;
        return VEQAutomation::GetAccessibilityTitle(Widget(3)).empty() ? 0 : 4;
    }));
}

TEST(AccessibilityTitle, NullTitleOrWidgetChangesNothingAndBadUtf8Clears) {
    ExpectChildPassed(RunInChild([] {
        VEQAutomation::SetAccessibilityTitle(Widget(0), "Refresh");
        VEQAutomation::SetAccessibilityTitle(Widget(0), nullptr);
        VEQAutomation::SetAccessibilityTitle(nullptr, "Nobody");
        if (VEQAutomation::GetAccessibilityTitle(Widget(0)) != "Refresh") return 1;
        if (!VEQAutomation::GetAccessibilityTitle(nullptr).empty()) return 2;
        VEQAutomation::SetAccessibilityTitle(Widget(0), "bad \xff\xfe text");
        return VEQAutomation::GetAccessibilityTitle(Widget(0)).empty() ? 0 : 3;
    }));
}

TEST(AccessibilityTitle, SetOnlyWhereTheSystemOffersTitles) {
    struct Case {
        const char* version;
        bool offersTitles;
    };
    for (const Case& c : {Case{"10.9", false}, Case{"10.10", true}, Case{"10.15", true},
                          Case{"11.0", true}}) {
        SCOPED_TRACE(c.version);
        ExpectChildPassed(RunInChild([c] {
            setenv("VEQ_MACOS_VERSION", c.version, 1);
            VEQAutomation::SetAccessibilityTitle(Widget(0), "Help");
            if (IsOSX10_10AndAbove() != c.offersTitles) return 1;
            const bool kept = VEQAutomation::GetAccessibilityTitle(Widget(0)) == "Help";
            return kept == c.offersTitles ? 0 : 2;
        }));
    }
}

TEST(AccessibilityTitle, SystemIsAskedOnceOnTheFirstCall) {
    ExpectChildPassed(RunInChild([] {
        setenv("VEQ_MACOS_VERSION", "10.9", 1);
        VEQAutomation::SetAccessibilityTitle(Widget(0), "Help");
        setenv("VEQ_MACOS_VERSION", "12.0", 1);
        VEQAutomation::SetAccessibilityTitle(Widget(0), "Help");
        if (IsOSX10_10AndAbove()) return 1;
        return VEQAutomation::GetAccessibilityTitle(Widget(0)).empty() ? 0 : 2;
    }));
}
