#include "Segment.h"

#include <algorithm>
#include <cstring>

#include "Crc32.h"

namespace zeltosim::detail {

BytesSegment::BytesSegment(std::string bytes)
    : m_bytes(std::make_shared<const std::string>(std::move(bytes))), m_begin(0), m_length(m_bytes->size()) {}

BytesSegment::BytesSegment(std::shared_ptr<const std::string> bytes, size_t begin, size_t length)
    : m_bytes(std::move(bytes)), m_begin(begin), m_length(length) {}

void BytesSegment::Fill(uint64_t offset, uint8_t* out, size_t length) const {
    std::memcpy(out, m_bytes->data() + m_begin + offset, length);
}

uint32_t BytesSegment::Crc32() const {
    return Crc32Of(reinterpret_cast<const uint8_t*>(m_bytes->data()) + m_begin, m_length);
}

void ZeroSegment::Fill(uint64_t, uint8_t* out, size_t length) const {
    std::memset(out, 0, length);
}

uint32_t ZeroSegment::Crc32() const {
    const uint8_t zero = 0;
    return Crc32Repeat(Crc32Of(&zero, 1), 1, m_size);
}

SegmentList::SegmentList(std::vector<SegmentPtr> parts) : m_parts(std::move(parts)) {
    m_starts.reserve(m_parts.size());
    for (const auto& part : m_parts) {
        m_starts.push_back(m_size);
        m_size += part->Size();
    }
}

void SegmentList::Fill(uint64_t offset, uint8_t* out, size_t length) const {
    // The last part that starts at or before the offset (empty parts are skipped below).
    size_t index = static_cast<size_t>(std::upper_bound(m_starts.begin(), m_starts.end(), offset) - m_starts.begin()) - 1;
    while (length > 0) {
        const Segment& part = *m_parts[index];
        uint64_t inside = offset - m_starts[index];
        uint64_t available = part.Size() - inside;
        size_t take = static_cast<size_t>(std::min<uint64_t>(available, length));
        if (take > 0) part.Fill(inside, out, take);
        out += take;
        offset += take;
        length -= take;
        ++index;
    }
}

uint32_t SegmentList::Crc32() const {
    uint32_t crc = 0;
    for (const auto& part : m_parts) crc = Crc32Concat(crc, part->Crc32(), part->Size());
    return crc;
}

SegmentBuilder& SegmentBuilder::Append(const std::string& literal) {
    m_literal += literal;
    m_offset += literal.size();
    return *this;
}

SegmentBuilder& SegmentBuilder::Append(SegmentPtr segment) {
    if (segment->Size() == 0) return *this;
    FlushLiteral();
    m_offset += segment->Size();
    m_parts.push_back(std::move(segment));
    return *this;
}

void SegmentBuilder::FlushLiteral() {
    if (m_literal.empty()) return;
    m_parts.push_back(std::make_shared<BytesSegment>(std::move(m_literal)));
    m_literal.clear();
}

SegmentPtr SegmentBuilder::Finish() {
    FlushLiteral();
    if (m_parts.size() == 1) return m_parts.front();
    return std::make_shared<SegmentList>(std::move(m_parts));
}

}  // namespace zeltosim::detail
