// Frame headers, field encoding and the loopback-only address check.
#include "vellora_wire/Codec.h"
#include "vellora_wire/Frame.h"
#include "vellora_wire/Net.h"
#include "vellora_wire/Ops.h"

#include <gtest/gtest.h>

namespace {

TEST(Codec, FieldsComeBackAsTheyWereWritten) {
    vwire::Writer w(vwire::Kind::Request, vwire::kOpDictRead, 42);
    w.I32(-7).U32(0xdeadbeef).I64(-(int64_t(1) << 40)).Str("").Str(std::string("a\0b", 3))
        .OptStr(std::nullopt).OptStr(std::string("x")).StrList({"one", "two"})
        .OptStrList({std::string("v"), std::nullopt});
    const std::string& frame = w.Finish();
    vwire::FrameHeader h;
    std::string why;
    ASSERT_TRUE(vwire::DecodeHeader(frame.data(), h, why)) << why;
    EXPECT_EQ(h.kind, vwire::Kind::Request);
    EXPECT_EQ(h.op, vwire::kOpDictRead);
    EXPECT_EQ(h.id, 42u);
    ASSERT_EQ(h.bodyLength, frame.size() - vwire::kHeaderSize);
    vwire::Reader r(frame.data() + vwire::kHeaderSize, h.bodyLength);
    EXPECT_EQ(r.I32(), -7);
    EXPECT_EQ(r.U32(), 0xdeadbeefu);
    EXPECT_EQ(r.I64(), -(int64_t(1) << 40));
    EXPECT_EQ(r.Str(), "");
    EXPECT_EQ(r.Str(), std::string("a\0b", 3));
    EXPECT_FALSE(r.OptStr().has_value());
    EXPECT_EQ(r.OptStr().value(), "x");
    EXPECT_EQ(r.StrList(), (std::vector<std::string>{"one", "two"}));
    auto opt = r.OptStrList();
    ASSERT_EQ(opt.size(), 2u);
    EXPECT_EQ(opt[0].value(), "v");
    EXPECT_FALSE(opt[1].has_value());
    EXPECT_TRUE(r.Done());
}

TEST(Codec, ReadingPastTheEndFailsInsteadOfOverrunning) {
    struct Case {
        const char* name;
        std::string body;
    };
    const Case cases[] = {
        {"short integer", std::string("\x00\x01", 2)},
        {"text longer than the body", std::string("\x00\x00\x00\x10" "abc", 7)},
        {"list count beyond the body", std::string("\x7f\xff\xff\xff", 4)},
    };
    for (const auto& c : cases) {
        vwire::Reader r(c.body);
        if (std::string(c.name) == "short integer") r.I32();
        else if (std::string(c.name) == "text longer than the body") r.Str();
        else EXPECT_TRUE(r.StrList().empty());
        EXPECT_FALSE(r.Ok()) << c.name;
        EXPECT_FALSE(r.Done()) << c.name;
        EXPECT_EQ(r.I32(), 0) << "later reads give empty values";
    }
    const std::string fiveBytes("\0\0\0\1\0", 5);
    vwire::Reader leftover(fiveBytes);
    leftover.I32();
    EXPECT_TRUE(leftover.Ok());
    EXPECT_FALSE(leftover.Done()) << "bytes left over";
}

TEST(Frame, HeadersOutsideTheLimitsAreRefused) {
    auto header = [](uint32_t length, uint16_t kind) {
        std::string h(vwire::kHeaderSize, '\0');
        h[0] = static_cast<char>(length >> 24);
        h[1] = static_cast<char>(length >> 16);
        h[2] = static_cast<char>(length >> 8);
        h[3] = static_cast<char>(length);
        h[5] = static_cast<char>(kind);
        return h;
    };
    struct Case {
        uint32_t length;
        uint16_t kind;
        bool ok;
    };
    const Case cases[] = {{8, 1, true},
                          {7, 1, false},                                       // shorter than the header
                          {8, 0, false},                                       // no such kind
                          {8, 7, false},
                          {8 + vwire::kMaxBody, 2, true},
                          {9 + vwire::kMaxBody, 2, false},                     // body too large
                          {8 + 8 + vwire::kMaxDataChunk, 4, true},            // data replies may carry more
                          {9 + 8 + vwire::kMaxDataChunk, 4, false},
                          {8 + 4, 4, false}};                                  // data reply without its prefix
    for (const auto& c : cases) {
        vwire::FrameHeader h;
        std::string why;
        EXPECT_EQ(vwire::DecodeHeader(header(c.length, c.kind).data(), h, why), c.ok)
            << "length " << c.length << " kind " << c.kind;
        if (!c.ok) {
            EXPECT_FALSE(why.empty());
        }
    }
}

TEST(Net, OnlyLoopbackAddressesMakeEndpoints) {
    struct Case {
        const char* address;
        bool ok;
    };
    const Case cases[] = {{"127.0.0.1", true},  {"127.0.0.3", true},     {"127.255.255.254", true},
                          {"localhost", true},  {"::1", true},           {"[::1]", true},
                          {"10.0.0.5", false},  {"128.0.0.1", false},    {"0.0.0.0", false},
                          {"::", false},        {"::ffff:10.0.0.5", false}, {"example.com", false},
                          {"", false},          {"127.0.0.1:80", false}};
    for (const auto& c : cases) {
        vwire::Endpoint e;
        EXPECT_EQ(vwire::LoopbackEndpoint(c.address, 18630, e), c.ok) << c.address;
    }
    vwire::Endpoint e;
    EXPECT_FALSE(vwire::LoopbackEndpoint("127.0.0.1", 0, e));
    EXPECT_FALSE(vwire::LoopbackEndpoint("127.0.0.1", 70000, e));
}

}  // namespace
