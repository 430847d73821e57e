// libVEQServices' loader finds the real libVEQProbe.so where it is
// installed (beside libVEQServices.so in the build tree and in the staged
// bundle) and forwards to it. Each scenario is a process of its own; this
// program does not link libVEQProbe, so only the loader can bring it in.
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "../ProbeTestSupport.h"
#include "TestSupport.h"
#include "VEQAutomation.h"

using namespace probetest;
using Type = AutomationControl::Type;

namespace {

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? resolved : path;
}

// Where the loaded object that holds address, or that is named soname, lies.
std::string LoadedFrom(const char* soname) {
    void* handle = dlopen(soname, RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return "";
    link_map* map = nullptr;
    dlinfo(handle, RTLD_DI_LINKMAP, &map);
    const std::string path = map && map->l_name ? RealPath(map->l_name) : "";
    dlclose(handle);
    return path;
}

// The loader finds and forwards: a provider of the type asked, answering a
// request; one per owner; null for another type.
void ExpectForwarding(const std::string& libraryFolder) {
    EXPECT_EQ(LoadedFrom("libVEQServices.so"), RealPath(libraryFolder + "/libVEQServices.so"));
    EXPECT_EQ(LoadedFrom("libVEQProbe.so"), "") << "loaded only on first need";
    Windows windows;
    WindowOwner owner(windows.control);
    AutomationControl* provider = VEQAutomation::GetAutomationControl(Type::TreeControl, &owner);
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(LoadedFrom("libVEQProbe.so"), RealPath(libraryFolder + "/libVEQProbe.so"));
    EXPECT_EQ(provider->GetOwner(), &owner);
    wxMacAccNamedAttrEvent request = ViewRequest(windows.control, "AXRole");
    ExpectOutcome(Process(provider, request), true);
    ExpectString(request, "AXStaticText");  // the tree control's
    EXPECT_EQ(VEQAutomation::GetAutomationControl(Type::ListBox, &owner), provider);
    WindowOwner other(windows.control);
    EXPECT_EQ(VEQAutomation::GetAutomationControl(static_cast<Type>(4), &other), nullptr);
}

const char kScenarioVariable[] = "VEQ_TEST_PROBE_SCENARIO";

}  // namespace

TEST(ProbeLoader, FindsTheProbeBesideTheServicesInTheBuildTree) {
    ExpectForwarding(veqtest::BuildDir() + "/lib");
}

// The staged bundle's programs lie in Contents/MacOS and find Contents/lib
// through their RUNPATH; a copy of this program placed like them (beside a
// link to the bundle's lib/) loads the bundle's libraries the same way.
TEST(ProbeLoader, FindsTheProbeInTheStagedBundle) {
    const std::string bundleLib = veqtest::BuildDir() + "/root/Applications/Zelto/Veqora.app/Contents/lib";
    if (const char* folder = std::getenv(kScenarioVariable)) return ExpectForwarding(folder);
    ASSERT_TRUE(veqtest::FileExists(bundleLib + "/libVEQServices.so")) << "the bundle is staged with the build";
    ASSERT_TRUE(veqtest::FileExists(bundleLib + "/libVEQProbe.so"));
    veqtest::TempDir contents;
    ASSERT_EQ(mkdir((contents / "MacOS").c_str(), 0700), 0);
    ASSERT_EQ(symlink(bundleLib.c_str(), (contents / "lib").c_str()), 0);
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(length, 0);
    const std::string program = contents / "MacOS/probe_loader_test";
    veqtest::WriteFile(program, veqtest::ReadFile(std::string(self, length)));
    ASSERT_EQ(chmod(program.c_str(), 0700), 0);
    const veqtest::ChildResult result =
        veqtest::RunProgram({program, "--gtest_filter=ProbeLoader.FindsTheProbeInTheStagedBundle"},
                            {{kScenarioVariable, bundleLib}, {"LD_LIBRARY_PATH", ""}});
    EXPECT_TRUE(result.exited) << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("[  PASSED  ] 1 test."), std::string::npos) << result.output;
}
