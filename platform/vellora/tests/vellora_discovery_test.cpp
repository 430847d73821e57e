// Discovery probes loopback only and reports each controller found once.
#include "ClientTestSupport.h"

#include <algorithm>
#include <cstring>
#include <set>

using namespace clienttest;

namespace {

struct Report {
    std::string address, name, product;
    bool hasDevice = false;
};

struct Found {
    std::mutex mutex;
    std::vector<Report> reports;
    std::set<std::thread::id> threads;
};

void OnFound(VelloraDiscoveryRecord* record, void* context) {
    auto* found = static_cast<Found*>(context);
    std::lock_guard<std::mutex> lock(found->mutex);
    Report r;
    r.address = record->address;
    r.name = record->name;
    r.hasDevice = record->device != nullptr;
    if (record->device && record->device->product) r.product = record->device->product;
    found->reports.push_back(r);
    found->threads.insert(std::this_thread::get_id());
}

bool Finished(VelloraNBTicket* ticket) {
    int result = 0, status = 0;
    NB_checkTicket(ticket, &result, 0, &status);
    return status != VELLORA_PENDING;
}

Json::Value Named(const char* name, const char* product) {
    Json::Value f = SmallFixture();
    f["name"] = name;
    f["product"] = product;
    return f;
}

TEST(Discovery, FindsTheControllersOnLoopbackAndNothingElse) {
    int port = veqtest::FreeLoopbackPort("127.0.0.2");
    ControllerOnPort second(Named("Second", "Zelto Varda"), "127.0.0.2", port);
    ControllerOnPort third(Named("Third", "Zelto Korvel"), "127.0.0.3", port);
    Found found;
    VelloraNBTicket ticket{};
    ASSERT_EQ(DISCOV_getZeltoList(0, 0, "127.0.0.1", "127.0.0.6", 0, OnFound, &found, 0, 0, &ticket), VELLORA_OK);
    ASSERT_TRUE(veqtest::WaitFor([&] { return Finished(&ticket); }));
    EXPECT_EQ(NB_cancel_block_destroy(&ticket), VELLORA_OK);
    std::lock_guard<std::mutex> lock(found.mutex);
    ASSERT_EQ(found.reports.size(), 2u);
    std::sort(found.reports.begin(), found.reports.end(),
              [](const Report& a, const Report& b) { return a.address < b.address; });
    EXPECT_EQ(found.reports[0].address, "127.0.0.2");
    EXPECT_EQ(found.reports[0].name, "Second");
    EXPECT_EQ(found.reports[0].product, "Zelto Varda");
    EXPECT_EQ(found.reports[1].address, "127.0.0.3");
    EXPECT_EQ(found.reports[1].product, "Zelto Korvel") << "leaving products out is the caller's choice";
    EXPECT_EQ(found.threads.count(std::this_thread::get_id()), 0u);
    EXPECT_EQ(second.sim.CallCount("DISCOV_getZeltoList"), 1u);
}

TEST(Discovery, RangesOutsideLoopbackAreNeverProbed) {
    Found found;
    VelloraNBTicket ticket{};
    veqtest::ScopedEnv env("VELLORA_PORT", std::to_string(veqtest::FreeLoopbackPort()).c_str());
    ASSERT_EQ(DISCOV_getZeltoList(0, 0, "10.0.0.1", "10.0.0.20", 0, OnFound, &found, 0, 0, &ticket), VELLORA_OK);
    ASSERT_TRUE(veqtest::WaitFor([&] { return Finished(&ticket); }, std::chrono::seconds(2)));
    EXPECT_TRUE(found.reports.empty());
    NB_cancel_block_destroy(&ticket);
    EXPECT_EQ(DISCOV_getZeltoList(0, 0, "not an address", nullptr, 0, OnFound, &found, 0, 0, &ticket),
              VELLORA_BAD_PARAM);
    EXPECT_EQ(DISCOV_getZeltoList(0, 0, "127.0.0.1", "127.0.9.0", 0, OnFound, &found, 0, 0, &ticket),
              VELLORA_BAD_PARAM) << "a range too large to probe";
    EXPECT_EQ(DISCOV_getZeltoList(0, 0, nullptr, nullptr, 0, nullptr, &found, 0, 0, &ticket),
              VELLORA_PARAMETER_MAY_NOT_BE_NULL);
}

TEST(Discovery, TheDefaultRangeCoversTheFirstSixteenLoopbackAddresses) {
    int port = veqtest::FreeLoopbackPort("127.0.0.16");
    ControllerOnPort last(Named("Last", "Zelto Varda"), "127.0.0.16", port);
    Found found;
    VelloraNBTicket ticket{};
    ASSERT_EQ(DISCOV_getZeltoList(0, 0, nullptr, nullptr, 0, OnFound, &found, 0, 0, &ticket), VELLORA_OK);
    ASSERT_TRUE(veqtest::WaitFor([&] { return Finished(&ticket); }));
    NB_cancel_block_destroy(&ticket);
    std::lock_guard<std::mutex> lock(found.mutex);
    bool sawLast = std::any_of(found.reports.begin(), found.reports.end(),
                               [](const Report& r) { return r.address == "127.0.0.16" && r.name == "Last"; });
    EXPECT_TRUE(sawLast);
}

TEST(Discovery, CancellingStopsReportsAndTheTicketEnds) {
    int port = veqtest::FreeLoopbackPort("127.0.0.2");
    ControllerOnPort hung(Named("Hung", "Zelto Varda"), "127.0.0.2", port);
    hung.sim.Hang();  // its probe waits for an answer that never comes
    Found found;
    VelloraNBTicket ticket{};
    ASSERT_EQ(DISCOV_getZeltoList(0, 0, "127.0.0.2", nullptr, 0, OnFound, &found, 0, 0, &ticket), VELLORA_OK);
    ASSERT_EQ(NB_cancel(&ticket), VELLORA_OK);
    ASSERT_TRUE(veqtest::WaitFor([&] { return Finished(&ticket); }, std::chrono::seconds(5)));
    EXPECT_EQ(NB_cancel_block_destroy(&ticket), VELLORA_OK);
    EXPECT_TRUE(found.reports.empty());
    hung.sim.Resume();
}

void OnDone(void* context) {
    auto* found = static_cast<Found*>(context);
    std::lock_guard<std::mutex> lock(found->mutex);
    found->threads.insert(std::this_thread::get_id());
}

TEST(Discovery, ACallbackRegisteredOnceDiscoveryIsDoneRunsOnAnotherThread) {
    Found found;
    VelloraNBTicket ticket{};
    veqtest::ScopedEnv env("VELLORA_PORT", std::to_string(veqtest::FreeLoopbackPort()).c_str());
    ASSERT_EQ(DISCOV_getZeltoList(0, 0, "127.0.0.1", nullptr, 0, OnFound, &found, 0, 0, &ticket), VELLORA_OK);
    ASSERT_TRUE(veqtest::WaitFor([&] { return Finished(&ticket); }));
    ASSERT_EQ(NB_registerCallback(&ticket, &found, OnDone), VELLORA_OK);
    ASSERT_TRUE(veqtest::WaitFor([&] {
        std::lock_guard<std::mutex> lock(found.mutex);
        return !found.threads.empty();
    }));
    EXPECT_EQ(NB_cancel_block_destroy(&ticket), VELLORA_OK);
    std::lock_guard<std::mutex> lock(found.mutex);
    EXPECT_EQ(found.threads.size(), 1u);
    EXPECT_EQ(found.threads.count(std::this_thread::get_id()), 0u) << "ran inside the caller's call";
}

}  // namespace
