// The service as the host runs it, when the mapping file is replaced by one
// nested far too deep: it refuses the file as unreadable, keeps the mappings it
// had (a job added later still arrives) and runs on until it is stopped.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <string>

#include "../StoreTestSupport.h"
#include "ServiceHarness.h"
#include "TestSupport.h"

namespace {

using veqtest::FileExists;
using veqtest::WaitFor;

constexpr auto kArrival = std::chrono::seconds(15);

TEST(HostileMappingFileInTheService, IsRefusedAndThePreviousMappingsKept) {
    Json::Value jobs(Json::arrayValue);
    jobs.append(dwtest::Job(1, "First", {"PDF"}));
    dwtest::SimulatorProcess sim(dwtest::Fixture({{"Scans", {"", jobs}}}));
    dwtest::HostProcess host(sim.Port());
    host.Start();
    veqtest::TempDir box;
    const std::string folder = box / "scans";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    dwtest::WriteMappings({{"127.0.0.1", "Scans", "", folder}});
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + "/First.PDF"); }, kArrival)) << dwtest::ServiceLog();

    const std::string deep = storetest::Repeated("<a>", 200000) + storetest::Repeated("</a>", 200000);
    veqtest::WriteFile(dwtest::ServiceFolder() + "/VEQ_Dropwell.xml", "<Dropwell>" + deep + "</Dropwell>");
    dwtest::SignalMappingChange();
    ASSERT_TRUE(WaitFor([] { return dwtest::ServiceLog().find("is not read: elements nested too deeply") !=
                                    std::string::npos; },
                        kArrival))
        << dwtest::ServiceLog();
    sim.Ctl({"add-job", "Scans", "name=Second", "formats=PDF"});

    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + "/Second.PDF"); }, kArrival)) << dwtest::ServiceLog();
    EXPECT_TRUE(host.Raw().Running());
    EXPECT_EQ(host.Stop(), 0) << host.Output();
}

}  // namespace
