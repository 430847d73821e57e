#include "vellora_wire/Codec.h"

namespace vwire {

namespace {
constexpr uint32_t kNullText = 0xFFFFFFFFu;
}

Writer::Writer(Kind kind, uint16_t op, uint32_t id) : m_buffer(kHeaderSize, '\0') {
    m_header.kind = kind;
    m_header.op = op;
    m_header.id = id;
}

Writer& Writer::U32(uint32_t v) {
    char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                 static_cast<char>(v)};
    m_buffer.append(b, 4);
    return *this;
}

Writer& Writer::I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }

Writer& Writer::I64(int64_t v) {
    U32(static_cast<uint32_t>(static_cast<uint64_t>(v) >> 32));
    return U32(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

Writer& Writer::Str(const std::string& v) {
    U32(static_cast<uint32_t>(v.size()));
    m_buffer.append(v);
    return *this;
}

Writer& Writer::OptStr(const OptText& v) {
    if (!v) return U32(kNullText);
    return Str(*v);
}

Writer& Writer::StrList(const std::vector<std::string>& v) {
    U32(static_cast<uint32_t>(v.size()));
    for (const auto& s : v) Str(s);
    return *this;
}

Writer& Writer::OptStrList(const std::vector<OptText>& v) {
    U32(static_cast<uint32_t>(v.size()));
    for (const auto& s : v) OptStr(s);
    return *this;
}

Writer& Writer::Raw(const char* data, size_t size) {
    m_buffer.append(data, size);
    return *this;
}

const std::string& Writer::Finish() {
    m_header.bodyLength = static_cast<uint32_t>(BodySize());
    EncodeHeader(&m_buffer[0], m_header);
    return m_buffer;
}

bool Reader::Need(size_t n) {
    if (m_failed || m_size - m_pos < n) {
        m_failed = true;
        return false;
    }
    return true;
}

uint32_t Reader::U32() {
    if (!Need(4)) return 0;
    auto b = reinterpret_cast<const unsigned char*>(m_data + m_pos);
    m_pos += 4;
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

int32_t Reader::I32() { return static_cast<int32_t>(U32()); }

int64_t Reader::I64() {
    uint64_t high = U32();
    uint64_t low = U32();
    return static_cast<int64_t>((high << 32) | low);
}

OptText Reader::OptStr() {
    uint32_t n = U32();
    if (m_failed) return std::nullopt;
    if (n == kNullText) return std::nullopt;
    if (!Need(n)) return std::nullopt;
    std::string s(m_data + m_pos, n);
    m_pos += n;
    return s;
}

std::string Reader::Str() {
    uint32_t n = U32();
    if (m_failed || !Need(n)) return std::string();
    std::string s(m_data + m_pos, n);
    m_pos += n;
    return s;
}

uint32_t Reader::ListCount(size_t minimumEntrySize) {
    uint32_t count = U32();
    if (m_failed) return 0;
    if (static_cast<uint64_t>(count) * minimumEntrySize > m_size - m_pos) {
        m_failed = true;
        return 0;
    }
    return count;
}

std::vector<std::string> Reader::StrList() {
    std::vector<std::string> v;
    uint32_t count = ListCount(4);
    v.reserve(count);
    for (uint32_t i = 0; i < count && !m_failed; ++i) v.push_back(Str());
    return v;
}

std::vector<OptText> Reader::OptStrList() {
    std::vector<OptText> v;
    uint32_t count = ListCount(4);
    v.reserve(count);
    for (uint32_t i = 0; i < count && !m_failed; ++i) v.push_back(OptStr());
    return v;
}

}  // namespace vwire
