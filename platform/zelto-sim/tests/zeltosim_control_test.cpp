// The control interface as JSON commands (what `zelto-sim ctl` sends) and as C++.
#include "ZeltoSim.h"

#include <gtest/gtest.h>

namespace {

Json::Value Command(const std::string& name) {
    Json::Value c;
    c["command"] = name;
    return c;
}

class ControlTest : public ::testing::Test {
protected:
    zeltosim::Simulator sim;  // the demo controller, not listening
};

TEST_F(ControlTest, JobsAndMailboxesCanBeListedAddedAndDeleted) {
    Json::Value add = Command("add-job");
    add["mailbox"] = "Studio";
    add["job"]["name"] = "Added";
    add["job"]["pages"] = 3;
    add["job"]["formats"].append("TIFF");
    add["job"]["formats"].append("PDF");
    Json::Value answer = sim.Control(add);
    ASSERT_TRUE(answer["ok"].asBool()) << answer;
    int id = answer["id"].asInt();

    Json::Value list = Command("jobs");
    list["mailbox"] = "Studio";
    answer = sim.Control(list);
    bool found = false;
    for (const auto& j : answer["jobs"])
        if (j["id"].asInt() == id) {
            found = true;
            EXPECT_EQ(j["name"].asString(), "Added");
            EXPECT_EQ(j["pages"].asInt(), 3);
            EXPECT_EQ(j["defaultFormat"].asString(), "TIFF");
            EXPECT_GT(j["size"].asUInt64(), 0u);
        }
    EXPECT_TRUE(found);

    Json::Value del = Command("delete-job");
    del["id"] = id;
    EXPECT_TRUE(sim.Control(del)["ok"].asBool());
    EXPECT_FALSE(sim.HasJob(id));
    EXPECT_FALSE(sim.Control(del)["ok"].asBool()) << "a second deletion";

    Json::Value box = Command("add-mailbox");
    box["name"] = "New";
    box["password"] = "pw";
    EXPECT_TRUE(sim.Control(box)["ok"].asBool());
    EXPECT_FALSE(sim.Control(box)["ok"].asBool()) << "the name is taken";
    Json::Value boxes = sim.Control(Command("mailboxes"))["mailboxes"];
    bool hasNew = false;
    for (const auto& b : boxes) hasNew = hasNew || (b["name"] == "New" && b["password"] == "pw");
    EXPECT_TRUE(hasNew);
    Json::Value removeBox = Command("delete-mailbox");
    removeBox["name"] = "Accounting";
    EXPECT_TRUE(sim.Control(removeBox)["ok"].asBool());
    EXPECT_TRUE(sim.Jobs("Accounting").empty()) << "its jobs go with it";
}

TEST_F(ControlTest, BadCommandsAreAnsweredWithAnError) {
    Json::Value unknown = Command("explode");
    Json::Value noJob = Command("add-job");
    noJob["mailbox"] = "Nowhere";
    Json::Value badType = Command("inject");
    badType["function"] = "QMVM_dictRead";
    badType["result"] = "minus three";
    Json::Value badFormat = Command("add-job");
    badFormat["job"]["formats"].append("BMP");
    for (const auto& c : {Json::Value(5), Command(""), unknown, noJob, badType, badFormat}) {
        Json::Value answer = sim.Control(c);
        EXPECT_FALSE(answer["ok"].asBool()) << c;
        EXPECT_FALSE(answer["error"].asString().empty()) << c;
    }
}

TEST_F(ControlTest, StatusAndFaultCommandsAreAccepted) {
    Json::Value status = sim.Control(Command("status"));
    ASSERT_TRUE(status["ok"].asBool());
    EXPECT_EQ(status["name"].asString(), sim.ServerName());
    EXPECT_EQ(status["connections"].asInt(), 0);
    EXPECT_TRUE(sim.Control(Command("hang"))["ok"].asBool());
    EXPECT_TRUE(sim.Hung());
    EXPECT_TRUE(sim.Control(Command("status"))["hung"].asBool());
    EXPECT_TRUE(sim.Control(Command("resume"))["ok"].asBool());
    EXPECT_FALSE(sim.Hung());
    Json::Value fail = Command("fail-transfer");
    fail["jobId"] = 1;
    fail["afterChunks"] = 2;
    Json::Value slow = Command("slow-transfer");
    slow["jobId"] = 1;
    slow["bytesPerSecond"] = 1000;
    Json::Value scan = Command("scan-event");
    scan["type"] = 7;
    Json::Value alert = Command("alert");
    alert["text"] = "PAPER_JAM";
    for (const auto& c : {fail, slow, scan, alert, Command("clear-faults"), Command("drop-connections"),
                          Command("calls"), Command("clear-calls")})
        EXPECT_TRUE(sim.Control(c)["ok"].asBool()) << c;
}

TEST_F(ControlTest, TheCPlusPlusInterfaceRefusesBadJobs) {
    zeltosim::JobOptions job;
    job.mailbox = "Nowhere";
    EXPECT_THROW(sim.AddJob(job), std::invalid_argument);
    job.mailbox = "";
    job.formats = {"PDF"};
    job.defaultFormat = "JPEG";
    EXPECT_THROW(sim.AddJob(job), std::invalid_argument);
    job.defaultFormat.clear();
    job.id = sim.AllJobs().front().id;
    EXPECT_THROW(sim.AddJob(job), std::invalid_argument) << "an id in use";
    job.id = 0;
    job.attributes["N_PAGES"] = "0";
    job.removedAttributes.push_back("FINISH_TIME");
    int id = sim.AddJob(job);
    EXPECT_TRUE(sim.HasJob(id));
}

}  // namespace
