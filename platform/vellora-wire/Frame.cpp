#include "vellora_wire/Frame.h"

namespace vwire {

namespace {

void PutU32(char* p, uint32_t v) {
    p[0] = static_cast<char>(v >> 24);
    p[1] = static_cast<char>(v >> 16);
    p[2] = static_cast<char>(v >> 8);
    p[3] = static_cast<char>(v);
}

void PutU16(char* p, uint16_t v) {
    p[0] = static_cast<char>(v >> 8);
    p[1] = static_cast<char>(v);
}

uint32_t GetU32(const char* p) {
    auto b = reinterpret_cast<const unsigned char*>(p);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

uint16_t GetU16(const char* p) {
    auto b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}

}  // namespace

void EncodeHeader(char* out, const FrameHeader& header) {
    PutU32(out, header.bodyLength + 8);
    PutU16(out + 4, static_cast<uint16_t>(header.kind));
    PutU16(out + 6, header.op);
    PutU32(out + 8, header.id);
}

bool DecodeHeader(const char* in, FrameHeader& out, std::string& error) {
    uint32_t length = GetU32(in);
    if (length < 8) {
        error = "frame length " + std::to_string(length) + " below the header size";
        return false;
    }
    uint16_t kind = GetU16(in + 4);
    if (kind < static_cast<uint16_t>(Kind::Request) || kind > static_cast<uint16_t>(Kind::ControlReply)) {
        error = "unknown frame kind " + std::to_string(kind);
        return false;
    }
    out.bodyLength = length - 8;
    out.kind = static_cast<Kind>(kind);
    out.op = GetU16(in + 6);
    out.id = GetU32(in + 8);
    uint64_t limit = out.kind == Kind::DataReply ? kDataReplyPrefix + kMaxDataChunk : kMaxBody;
    if (out.bodyLength > limit) {
        error = "frame body of " + std::to_string(out.bodyLength) + " bytes exceeds the limit of " +
                std::to_string(limit);
        return false;
    }
    if (out.kind == Kind::DataReply && out.bodyLength < kDataReplyPrefix) {
        error = "data reply shorter than its prefix";
        return false;
    }
    return true;
}

}  // namespace vwire
