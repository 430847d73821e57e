// The entry points of libDropwell.so as a host calls them, each scenario in a
// process of its own with the library loaded by name.
#include "Logger.h"
#include "TestSupport.h"
#include "VEQServicesUtil.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Entry = void (*)();

struct Library {
    void* handle = nullptr;
    template <typename T>
    T Get(const char* name) const {
        return reinterpret_cast<T>(::dlsym(handle, name));
    }
};

Library Load() {
    Library library;
    library.handle = ::dlopen((veqtest::BuildDir() + "/lib/libDropwell.so").c_str(), RTLD_NOW);
    return library;
}

std::string ConfigFolder() {
    return std::string(VEQServicesUtil::GetConfigDirectory().utf8_str());
}

struct EntryCase {
    const char* symbol;
};

class LogFolderTest : public ::testing::TestWithParam<EntryCase> {};

// Whatever entry point comes first, the process logs into the service folder,
// never into the main application's log folder.
TEST_P(LogFolderTest, FirstEntryPointSetsTheServiceLogFolder) {
    const auto child = veqtest::RunInChild([] {
        const Library library = Load();
        if (!library.handle) return 10;
        if (std::string(GetParam().symbol) == "CanStartService") {
            auto canStart = library.Get<bool (*)()>("_Z15CanStartServicev");
            if (!canStart || !canStart()) return 11;
        } else {
            auto entry = library.Get<Entry>(GetParam().symbol);
            if (!entry) return 12;
            entry();
        }
        VEQLOG(Error) << "marker of the entry point test";
        return 0;
    });
    ASSERT_TRUE(child.exited && child.status == 0) << child.status << child.output;
    const std::string serviceLogs = ConfigFolder() + "Dropwell/Logs";
    const auto found = veqtest::RunProgram({"/bin/sh", "-c", "cat \"" + serviceLogs + "\"/*.log"});
    EXPECT_NE(found.output.find("marker of the entry point test"), std::string::npos) << found.output;
    // The common logger makes its default folder in any case; nothing may be written there.
    const auto mainLogs = veqtest::RunProgram({"/bin/sh", "-c", "ls -A \"" + ConfigFolder() + "Logs\" 2>/dev/null"});
    EXPECT_EQ(mainLogs.output, "");
}

INSTANTIATE_TEST_SUITE_P(EntryPoints, LogFolderTest,
                         ::testing::Values(EntryCase{"CanStartService"}, EntryCase{"Pause"}, EntryCase{"Resume"},
                                           EntryCase{"Stop"}),
                         [](const auto& info) { return std::string(info.param.symbol); });

TEST(EntryPoints, SecondStartReturnsAtOnceAndStopEndsTheFirst) {
    const auto child = veqtest::RunInChild([] {
        const Library library = Load();
        auto start = library.Get<Entry>("Start");
        auto stop = library.Get<Entry>("Stop");
        auto* wxInit = library.Get<std::atomic<bool>*>("bWxInit");
        auto* started = library.Get<std::atomic<bool>*>("bConThreadInitialized");
        if (!start || !stop || !wxInit || !started) return 10;
        std::atomic<int> result{0};
        // The host's shape: Start on this thread, the other calls from another.
        std::thread other([&] {
            if (!veqtest::WaitFor([&] { return started->load(); })) {
                result = 11;
            } else {
                const auto before = std::chrono::steady_clock::now();
                start();
                if (std::chrono::steady_clock::now() - before > std::chrono::seconds(2)) result = 12;
            }
            stop();
        });
        start();
        other.join();
        if (result != 0) return result.load();
        if (*wxInit) return 13;
        if (!*started) return 14;
        stop();  // a second stop does nothing
        return 0;
    });
    EXPECT_TRUE(child.exited) << child.output;
    EXPECT_EQ(child.status, 0) << child.output;
}

TEST(EntryPoints, StopWithoutStartDoesNothing) {
    const auto child = veqtest::RunInChild([] {
        const Library library = Load();
        auto stop = library.Get<Entry>("Stop");
        if (!stop) return 10;
        stop();
        return *library.Get<std::atomic<bool>*>("bConThreadInitialized") ? 11 : 0;
    });
    EXPECT_TRUE(child.exited && child.status == 0) << child.status << child.output;
}

}  // namespace
