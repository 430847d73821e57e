// Malformed, oversized and truncated frames close the connection they came on,
// with a log line, and neither side crashes or stalls.
#include "ClientTestSupport.h"

#include "vellora_wire/Codec.h"
#include "vellora_wire/Net.h"
#include "vellora_wire/Ops.h"

#include <sys/socket.h>

using namespace clienttest;

namespace {

// A fake controller: answers the login, then answers the next request with the
// bytes a case gives.
class FakeController {
public:
    explicit FakeController(std::string answer) : m_answer(std::move(answer)) {
        std::string error;
        m_listener = vwire::ListenTcp("127.0.0.1", 0, m_port, error);
        m_thread = std::thread([this] { Serve(); });
    }
    ~FakeController() {
        m_listener.Shutdown();
        if (m_client.Valid()) m_client.Shutdown();
        m_thread.join();
    }
    int Port() const { return m_port; }

private:
    bool ReadRequest(uint32_t& id) {
        char raw[vwire::kHeaderSize];
        if (vwire::RecvExact(m_client.Fd(), raw, sizeof raw, vwire::Clock::time_point::max()) != vwire::Io::Ok)
            return false;
        vwire::FrameHeader h;
        std::string why;
        if (!vwire::DecodeHeader(raw, h, why)) return false;
        std::string body(h.bodyLength, '\0');
        if (!body.empty() && vwire::RecvExact(m_client.Fd(), &body[0], body.size(), vwire::Clock::time_point::max()) != vwire::Io::Ok)
            return false;
        id = h.id;
        return true;
    }
    void Serve() {
        m_client = vwire::Socket(::accept(m_listener.Fd(), nullptr, nullptr));
        if (!m_client.Valid()) return;
        uint32_t id = 0;
        if (!ReadRequest(id)) return;
        vwire::Writer hello(vwire::Kind::Reply, vwire::kOpHello, id);
        hello.I32(0).Str("Fake");
        const std::string& frame = hello.Finish();
        vwire::SendAll(m_client.Fd(), frame.data(), frame.size(), vwire::Clock::time_point::max());
        if (!ReadRequest(id)) return;
        std::string answer = m_answer;
        // The answer's id (bytes 8..11 of a header) is the request's, when it has a header.
        if (answer.size() >= vwire::kHeaderSize) {
            for (int i = 0; i < 4; ++i) answer[8 + i] = static_cast<char>(id >> (24 - 8 * i));
        }
        vwire::SendAll(m_client.Fd(), answer.data(), answer.size(), vwire::Clock::time_point::max());
        // Keep the connection open: a truncated answer must not stall the client.
        char sink[256];
        while (vwire::RecvSome(m_client.Fd(), sink, sizeof sink, 100) >= 0) {}
    }

    std::string m_answer;
    vwire::Socket m_listener, m_client;
    int m_port = 0;
    std::thread m_thread;
};

std::string Header(uint32_t length, uint16_t kind, uint16_t op) {
    std::string h(vwire::kHeaderSize, '\0');
    vwire::FrameHeader header;
    header.bodyLength = length;
    header.kind = static_cast<vwire::Kind>(kind);
    header.op = op;
    vwire::EncodeHeader(&h[0], header);
    return h;
}

struct BadAnswer {
    const char* name;
    std::string bytes;
};

class MalformedAnswerTest : public ::testing::TestWithParam<BadAnswer> {};

TEST_P(MalformedAnswerTest, ClosesTheConnectionAndFailsTheCall) {
    FakeController fake(GetParam().bytes);
    veqtest::ScopedEnv port("VELLORA_PORT", std::to_string(fake.Port()).c_str());
    VelloraServerHandle* h = nullptr;
    ASSERT_EQ(Connect(&h), VELLORA_OK);
    ASSERT_EQ(INIT_setTimeout(h, 1, 0), VELLORA_OK);
    VelloraNBTicket monitor{};
    // The monitor request is the one answered badly.
    int rc = INIT_monitorServer(h, 3, 60, &monitor);
    EXPECT_TRUE(rc == VELLORA_PROTOCOL_ERROR || rc == VELLORA_TIMEOUT) << rc;
    EXPECT_EQ(monitor.id, 0u) << "the call failed, so no ticket was made";
    // The connection is closed soon after, even when the answer stopped half-way.
    EXPECT_TRUE(veqtest::WaitFor([&] {
        char* value = nullptr;
        int r = QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0);
        return r == VELLORA_CONNECTION_FAILED || r == VELLORA_PROTOCOL_ERROR;
    }));
    EXPECT_EQ(INIT_disconnect(h, 0), VELLORA_OK);
}

std::string WithBody(std::string header, const std::string& body) { return header + body; }

INSTANTIATE_TEST_SUITE_P(
    Answers, MalformedAnswerTest,
    ::testing::Values(BadAnswer{"Garbage", std::string("\x01\x02\x03\x04garbage-bytes-here", 20)},
                      BadAnswer{"UnknownKind", Header(4, 99, vwire::kOpMonitor) + std::string(4, '\0')},
                      BadAnswer{"Oversized", Header(vwire::kMaxBody + 1, 2, vwire::kOpMonitor)},
                      BadAnswer{"ShortLength", std::string("\x00\x00\x00\x02xx", 6)},
                      BadAnswer{"Truncated", Header(100, 2, vwire::kOpMonitor) + std::string(10, '\0')},
                      BadAnswer{"NoResult", Header(2, 2, vwire::kOpMonitor) + std::string(2, '\0')},
                      BadAnswer{"DataCountMismatch",
                                WithBody(Header(8 + 4, 4, vwire::kOpGetData), std::string("\0\0\0\0\0\0\0\x09xxxx", 12))}),
    [](const ::testing::TestParamInfo<BadAnswer>& info) { return info.param.name; });

TEST(MalformedRequests, TheControllerClosesThatConnectionAndServesTheOthers) {
    ControllerOnPort controller;
    VelloraServerHandle* good = nullptr;
    ASSERT_EQ(Connect(&good), VELLORA_OK);
    const std::string cases[] = {
        Header(vwire::kMaxBody + 1, 1, vwire::kOpPing),                            // oversized
        std::string("\x00\x00\x00", 3),                                            // cut in its header
        Header(4, 7, 0) + "abcd",                                                   // unknown kind
        Header(4, 2, 0) + "abcd",                                                   // a reply sent by a client
        Header(0, 1, vwire::kOpHello),                                              // hello without its fields
        Header(50, 1, vwire::kOpPing) + "short",                                    // truncated, then closed
    };
    for (const auto& bytes : cases) {
        vwire::Endpoint endpoint;
        ASSERT_TRUE(vwire::LoopbackEndpoint("127.0.0.1", controller.sim.Port(), endpoint));
        int error = 0;
        vwire::Socket s = vwire::ConnectTcp(endpoint, 1000, error);
        ASSERT_TRUE(s.Valid());
        vwire::SendAll(s.Fd(), bytes.data(), bytes.size(), vwire::Clock::now() + std::chrono::seconds(2));
        ::shutdown(s.Fd(), SHUT_WR);
        char sink[64];
        long n;
        auto until = vwire::Clock::now() + std::chrono::seconds(5);
        while ((n = vwire::RecvSome(s.Fd(), sink, sizeof sink, 100)) >= 0 && vwire::Clock::now() < until) {}
        EXPECT_LT(n, 0) << "the controller closes the connection";
    }
    char* value = nullptr;
    ASSERT_EQ(QMVM_dictRead(good, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_OK);
    vellora_free(value);
    EXPECT_EQ(INIT_disconnect(good, 0), VELLORA_OK);
}

TEST(MalformedRequests, CallsBeforeALoginAreRefused) {
    ControllerOnPort controller;
    vwire::Endpoint endpoint;
    ASSERT_TRUE(vwire::LoopbackEndpoint("127.0.0.1", controller.sim.Port(), endpoint));
    int error = 0;
    vwire::Socket s = vwire::ConnectTcp(endpoint, 1000, error);
    vwire::Writer request(vwire::Kind::Request, vwire::kOpFeatures, 5);
    const std::string& frame = request.Finish();
    auto deadline = vwire::Clock::now() + std::chrono::seconds(5);
    ASSERT_EQ(vwire::SendAll(s.Fd(), frame.data(), frame.size(), deadline), vwire::Io::Ok);
    char raw[vwire::kHeaderSize + 4];
    ASSERT_EQ(vwire::RecvExact(s.Fd(), raw, sizeof raw, deadline), vwire::Io::Ok);
    vwire::Reader in(raw + vwire::kHeaderSize, 4);
    EXPECT_EQ(in.I32(), VELLORA_ACCESS_DENIED);
    EXPECT_EQ(controller.sim.CallCount("FEAT_getFeatureList"), 0u);
}

}  // namespace
