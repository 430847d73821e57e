// Frames of the libvellora <-> zelto-sim protocol (docs/zelto-sim-protocol.md).
// Every frame is a 12-byte header followed by a body:
//   u32 length (bytes after this field: 8 + body), u16 kind, u16 op, u32 id,
// all big-endian. Bodies have a maximum size; data replies may carry more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vwire {

enum class Kind : uint16_t {
    Request = 1,         // client call; op = operation, id = call id
    Reply = 2,           // answer to a request with the same id
    Event = 3,           // pushed by the controller; op = event kind, id = 0
    DataReply = 4,       // answer to a data request: i32 result, u32 count, raw bytes
    ControlRequest = 5,  // JSON control command
    ControlReply = 6     // JSON answer
};

constexpr size_t kHeaderSize = 12;
constexpr uint32_t kMaxBody = 4u << 20;          // any frame but a data reply
constexpr uint32_t kMaxDataChunk = 16u << 20;    // raw bytes in one data reply
constexpr size_t kDataReplyPrefix = 8;           // i32 result, u32 count

struct FrameHeader {
    uint32_t bodyLength = 0;
    Kind kind = Kind::Request;
    uint16_t op = 0;
    uint32_t id = 0;
};

void EncodeHeader(char* out, const FrameHeader& header);

// Reads and checks a header: a known kind and a body within its limit. On
// failure error tells why (for the log line of the closed connection).
bool DecodeHeader(const char* in, FrameHeader& out, std::string& error);

}  // namespace vwire
