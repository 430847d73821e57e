// Requests built to hurt the simulator: a control command nested far too deep
// and a data request asking for more than one reply may hold. Each gets an
// answer, and the simulator serves on.
#include "ZeltoSim.h"

#include <gtest/gtest.h>

#include <string>

#include "vellora_wire/Codec.h"
#include "vellora_wire/Net.h"
#include "vellora_wire/Ops.h"

namespace {

class LimitsTest : public ::testing::Test {
protected:
    LimitsTest() { sim.Start("127.0.0.1", 0); }

    // A connection to the simulator; false when it could not be made.
    bool Connect() {
        vwire::Endpoint endpoint;
        int error = 0;
        if (!vwire::LoopbackEndpoint("127.0.0.1", sim.Port(), endpoint)) return false;
        socket = vwire::ConnectTcp(endpoint, 2000, error);
        return socket.Valid();
    }
    bool Send(vwire::Writer& frame) {
        const std::string& bytes = frame.Finish();
        return vwire::SendAll(socket.Fd(), bytes.data(), bytes.size(), Deadline()) == vwire::Io::Ok;
    }
    // The next frame: its header and body.
    bool Receive(vwire::FrameHeader& header, std::string& body) {
        char raw[vwire::kHeaderSize];
        std::string why;
        if (vwire::RecvExact(socket.Fd(), raw, sizeof raw, Deadline()) != vwire::Io::Ok ||
            !vwire::DecodeHeader(raw, header, why)) {
            return false;
        }
        body.assign(header.bodyLength, '\0');
        return body.empty() || vwire::RecvExact(socket.Fd(), &body[0], body.size(), Deadline()) == vwire::Io::Ok;
    }
    // Sends a control command text and returns the answer's text ("" when none came).
    std::string Control(const std::string& text) {
        vwire::Writer request(vwire::Kind::ControlRequest, 0, 7);
        request.Raw(text.data(), text.size());
        vwire::FrameHeader header;
        std::string body;
        if (!Send(request) || !Receive(header, body) || header.kind != vwire::Kind::ControlReply) return std::string();
        return body;
    }
    static vwire::Clock::time_point Deadline() { return vwire::Clock::now() + std::chrono::seconds(20); }

    zeltosim::Simulator sim;
    vwire::Socket socket;
};

TEST_F(LimitsTest, AControlCommandNestedTooDeepIsAnsweredAsNotJson) {
    ASSERT_TRUE(Connect());
    for (const std::size_t depth : {1001u, 100000u}) {
        SCOPED_TRACE(depth);
        const std::string answer = Control(std::string(depth, '[') + std::string(depth, ']'));
        EXPECT_NE(answer.find("\"ok\":false"), std::string::npos) << answer;
        EXPECT_NE(answer.find("not JSON"), std::string::npos) << answer;
    }
    EXPECT_NE(Control(R"({"command": "status"})").find("\"ok\":true"), std::string::npos);
}

TEST_F(LimitsTest, ADataRequestForMoreThanOneReplyHoldsIsAnsweredWithOneFullReply) {
    zeltosim::JobOptions job;
    job.id = 90;
    job.formats = {"PDF"};
    job.widthPx = 64;
    job.heightPx = 64;
    job.paddingBytesPerPage = vwire::kMaxDataChunk + (4u << 20);
    sim.AddJob(job);
    ASSERT_TRUE(Connect());
    vwire::Writer hello(vwire::Kind::Request, vwire::kOpHello, 1);
    hello.Str(vwire::kProtocolMagic).Str("guest").Str("").Str("limits test").Str("").Str("");
    vwire::FrameHeader header;
    std::string body;
    ASSERT_TRUE(Send(hello));
    ASSERT_TRUE(Receive(header, body));

    vwire::Writer data(vwire::Kind::Request, vwire::kOpGetData, 2);
    data.Str("").Str("").I32(90).StrList({}).StrList({}).I64(0).U32(0xFFFFFFFFu);
    ASSERT_TRUE(Send(data));
    ASSERT_TRUE(Receive(header, body));
    ASSERT_EQ(header.kind, vwire::Kind::DataReply);
    ASSERT_GE(body.size(), vwire::kDataReplyPrefix);
    vwire::Reader prefix(body.data(), vwire::kDataReplyPrefix);
    EXPECT_EQ(prefix.I32(), 0);
    EXPECT_EQ(prefix.U32(), vwire::kMaxDataChunk);
    EXPECT_EQ(body.size(), vwire::kDataReplyPrefix + vwire::kMaxDataChunk);
}

}  // namespace
