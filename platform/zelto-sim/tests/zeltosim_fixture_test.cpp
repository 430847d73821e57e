// Fixtures: what is refused with a clear message, and the demo controller.
#include "ZeltoSim.h"
#include "TestSupport.h"
#include "vellora.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

Json::Value Parse(const std::string& text) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value v;
    std::string errors;
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &v, &errors)) << errors;
    return v;
}

TEST(Fixture, BadFixturesAreRefusedWithTheirPlace) {
    struct Case {
        const char* json;
        const char* mentions;
    };
    const Case cases[] = {
        {R"([1, 2])", "must be an object"},
        {R"({"name": 5})", "name"},
        {R"({"users": {"guest": ""}})", "users"},
        {R"({"scanning": {"formats": ["PDF", "BMP"]}})", "BMP"},
        {R"({"scanning": {"pageDelayMs": -1}})", "pageDelayMs"},
        {R"({"mailboxes": [{"name": "A"}, {"name": "A"}]})", "two mailboxes"},
        {R"({"mailboxes": [{"name": "", "jobs": [{"name": "J", "formats": ["pdf"]}]}]})", "pdf"},
        {R"({"mailboxes": [{"name": "", "jobs": [{"name": "J", "pages": 0}]}]})", "pages"},
        {R"({"mailboxes": [{"name": "", "jobs": [{"id": 3}, {"id": 3}]}]})", "in use"},
        {R"({"mailboxes": [{"name": "", "jobs": [{"formats": ["PDF"], "defaultFormat": "TIFF"}]}]})", "TIFF"},
        {R"({"features": {"X": 1}})", "features.X"},
        {R"({"controllers": []})", "controllers"},
        {R"({"mailboxes": [{"name": "", "jobs": [{"name": "J", "dpi": 5}]}]})", "dpi"},
        {R"({"timeZone": "CET"})", "timeZone"},
        {R"({"timeZone": "+01:00"})", "timeZone"},
        {R"({"timeZone": "+0175"})", "timeZone"},
        {R"({"timeZone": "-1500"})", "timeZone"},
    };
    for (const auto& c : cases) {
        try {
            zeltosim::Simulator sim(Parse(c.json));
            ADD_FAILURE() << "accepted: " << c.json;
        } catch (const zeltosim::FixtureError& e) {
            EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
        }
    }
}

TEST(Fixture, AFileThatIsNotJsonIsRefused) {
    veqtest::TempDir dir;
    veqtest::WriteFile(dir / "bad.json", "{ not json");
    EXPECT_THROW(zeltosim::LoadFixtureFile(dir / "bad.json"), zeltosim::FixtureError);
    EXPECT_THROW(zeltosim::LoadFixtureFile(dir / "missing.json"), zeltosim::FixtureError);
    veqtest::WriteFile(dir / "deep.json", std::string(5000, '[') + std::string(5000, ']'));
    EXPECT_THROW(zeltosim::LoadFixtureFile(dir / "deep.json"), zeltosim::FixtureError);
}

TEST(Fixture, AJobIsALetterPageAtItsResolutionUnlessItsRasterIsGiven) {
    zeltosim::Simulator sim(Parse(R"({"mailboxes": [{"name": "", "jobs": [
        {"name": "plain"}, {"name": "fine", "dpi": 300}, {"name": "wide", "dpi": 75, "width": 1000}]}]})"));
    std::map<std::string, std::string> rasters;
    for (const auto& j : sim.AllJobs())
        rasters[j.name] = std::to_string(j.widthPx) + "x" + std::to_string(j.heightPx) + " at " + std::to_string(j.dpi);
    EXPECT_EQ(rasters["plain"], "850x1100 at 100");
    EXPECT_EQ(rasters["fine"], "2550x3300 at 300");
    EXPECT_EQ(rasters["wide"], "1000x825 at 75");
}

TEST(Fixture, AControllerWithoutADefaultMailboxGetsOne) {
    zeltosim::Simulator sim(Parse(R"({"mailboxes": [{"name": "Only", "password": "p"}]})"));
    auto boxes = sim.Mailboxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].name, "") << "scans land there";
    EXPECT_EQ(boxes[1].name, "Only");
}

TEST(DemoFixture, IsAUsefulVersion10ControllerWithMailboxesAndJobs) {
    Json::Value demo = zeltosim::DemoFixture();
    EXPECT_EQ(demo["dictionary"]["WB3_SYSTEM"]["QMVSYSVERNUM"].asString(), "10");
    EXPECT_NE(demo["product"].asString(), "Zelto Korvel");
    EXPECT_FALSE(demo.isMember("timeZone")) << "the demo's clock is the machine's";
    zeltosim::Simulator sim;
    std::map<std::string, std::string> passwords;
    for (const auto& m : sim.Mailboxes()) passwords[m.name] = m.password;
    EXPECT_EQ(passwords.at(""), "");
    EXPECT_EQ(passwords.at("Accounting"), "1234");
    EXPECT_EQ(passwords.at("Studio"), "");
    std::set<std::string> formats;
    std::set<int> pageCounts;
    for (const auto& j : sim.AllJobs()) {
        formats.insert(j.defaultFormat);
        pageCounts.insert(j.pages);
        EXPECT_GT(j.size, 0u) << j.name;
    }
    EXPECT_GE(formats.size(), 3u);
    EXPECT_GE(pageCounts.size(), 3u);
    EXPECT_TRUE(demo["scanning"]["enabled"].asBool());
}

// The server time that a client reads (server information text 4).
std::string ServerTimeOf(zeltosim::Simulator& sim) {
    veqtest::ScopedEnv port("VELLORA_PORT", std::to_string(sim.Port()).c_str());
    VelloraServerHandle* h = nullptr;
    EXPECT_EQ(INIT_connectUTF8("127.0.0.1", "guest", "", "Veqora", "", "trpc", -1, -1, 1, 1, 0, &h, 0), VELLORA_OK);
    if (!h) return "";
    VelloraServerInfo* info = nullptr;
    std::string time;
    if (SERVER_getInfo(h, &info, 0) == VELLORA_OK && info->text[4]) time = info->text[4];
    if (info) SERVER_freeInfo(h, info, 0);
    INIT_disconnect(h, 0);
    return time;
}

TEST(Fixture, ServerTimeIsInTheMachinesZoneUnlessTheFixtureSetsOne) {
    struct Case {
        const char* fixture;
        const char* machineZone;  // TZ
        const char* expected;     // the time's zone
    };
    const Case cases[] = {
        {"{}", "UTC0", "+0000"},
        {"{}", "JST-9", "+0900"},
        {"{}", "<-0330>3:30", "-0330"},
        {R"({"timeZone": "+0530"})", "JST-9", "+0530"},
        {R"({"timeZone": "-0800"})", "UTC0", "-0800"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + " on a machine in " + c.machineZone);
        veqtest::ScopedEnv zone("TZ", c.machineZone);
        tzset();
        zeltosim::Simulator sim(Parse(c.fixture));
        sim.Start("127.0.0.1", 0);
        const std::time_t before = std::time(nullptr);
        const std::string time = ServerTimeOf(sim);
        ASSERT_EQ(time.size(), 25u) << time;
        EXPECT_EQ(time.substr(20), c.expected) << time;

        // The clock reads the present moment in that zone.
        std::tm parts{};
        ASSERT_NE(strptime(time.c_str(), "%Y-%m-%d %H:%M:%S", &parts), nullptr) << time;
        const int sign = time[20] == '-' ? -1 : 1;
        const long offset = sign * (std::stol(time.substr(21, 2)) * 3600 + std::stol(time.substr(23, 2)) * 60);
        const long moment = static_cast<long>(timegm(&parts)) - offset;
        EXPECT_LE(std::labs(moment - static_cast<long>(before)), 5L) << time;
    }
    tzset();
}

}  // namespace
