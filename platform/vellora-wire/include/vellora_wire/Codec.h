// Field encoding of frame bodies: big-endian integers, length-prefixed texts
// (0xFFFFFFFF = a null text) and counted lists of texts.
#pragma once

#include "vellora_wire/Frame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vwire {

using OptText = std::optional<std::string>;

// Builds one whole frame: header first, fields appended, Finish() fills the length.
class Writer {
public:
    Writer(Kind kind, uint16_t op, uint32_t id);
    Writer& I32(int32_t v);
    Writer& U32(uint32_t v);
    Writer& I64(int64_t v);
    Writer& Str(const std::string& v);
    Writer& OptStr(const OptText& v);
    Writer& StrList(const std::vector<std::string>& v);
    Writer& OptStrList(const std::vector<OptText>& v);
    Writer& Raw(const char* data, size_t size);
    void SetId(uint32_t id) { m_header.id = id; }
    size_t BodySize() const { return m_buffer.size() - kHeaderSize; }
    const char* BodyData() const { return m_buffer.data() + kHeaderSize; }
    // The frame, ready to send.
    const std::string& Finish();

private:
    FrameHeader m_header;
    std::string m_buffer;
};

// Reads fields from a body. Reading past the end, or a text or list longer than
// what is left, marks the reader failed; later reads then give empty values.
class Reader {
public:
    Reader(const char* data, size_t size) : m_data(data), m_size(size) {}
    explicit Reader(const std::string& body) : Reader(body.data(), body.size()) {}
    // The reader keeps a pointer to the bytes: a temporary text would be gone.
    explicit Reader(std::string&& body) = delete;
    int32_t I32();
    uint32_t U32();
    int64_t I64();
    std::string Str();
    OptText OptStr();
    std::vector<std::string> StrList();
    std::vector<OptText> OptStrList();
    bool Ok() const { return !m_failed; }
    // Every field read and nothing left over.
    bool Done() const { return !m_failed && m_pos == m_size; }

private:
    bool Need(size_t n);
    uint32_t ListCount(size_t minimumEntrySize);

    const char* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_failed = false;
};

}  // namespace vwire
