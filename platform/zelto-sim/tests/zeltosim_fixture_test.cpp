// Fixtures: what is refused with a clear message, and the demo controller.
#include "ZeltoSim.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

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
    EXPECT_NE(demo["timeZone"].asString(), "");
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

}  // namespace
