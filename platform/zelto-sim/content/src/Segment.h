// A document is a tree of segments: stretches of bytes that know their size,
// produce any part of themselves on demand and give their CRC-32 without being
// held in memory. Segments are immutable once built, so reads may run in parallel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zeltosim::detail {

class Segment {
public:
    virtual ~Segment() = default;
    virtual uint64_t Size() const = 0;
    // Writes bytes [offset, offset + length) of the segment; the range lies inside it.
    virtual void Fill(uint64_t offset, uint8_t* out, size_t length) const = 0;
    // CRC-32 (as in ZIP) of the whole segment.
    virtual uint32_t Crc32() const = 0;
};

using SegmentPtr = std::shared_ptr<const Segment>;

// Bytes held in memory: document structure and small encoded parts.
class BytesSegment : public Segment {
public:
    explicit BytesSegment(std::string bytes);
    // A slice [begin, begin + length) of bytes shared with other segments.
    BytesSegment(std::shared_ptr<const std::string> bytes, size_t begin, size_t length);
    uint64_t Size() const override { return m_length; }
    void Fill(uint64_t offset, uint8_t* out, size_t length) const override;
    uint32_t Crc32() const override;

private:
    std::shared_ptr<const std::string> m_bytes;
    size_t m_begin;
    size_t m_length;
};

// A run of zero bytes (padding).
class ZeroSegment : public Segment {
public:
    explicit ZeroSegment(uint64_t size) : m_size(size) {}
    uint64_t Size() const override { return m_size; }
    void Fill(uint64_t offset, uint8_t* out, size_t length) const override;
    uint32_t Crc32() const override;

private:
    uint64_t m_size;
};

// Segments one after the other.
class SegmentList : public Segment {
public:
    explicit SegmentList(std::vector<SegmentPtr> parts);
    uint64_t Size() const override { return m_size; }
    void Fill(uint64_t offset, uint8_t* out, size_t length) const override;
    uint32_t Crc32() const override;

private:
    std::vector<SegmentPtr> m_parts;
    std::vector<uint64_t> m_starts;  // offset of each part
    uint64_t m_size = 0;
};

// Builds a SegmentList, merging adjacent literal text into one segment and
// keeping track of the offset reached, for layouts that point into themselves.
class SegmentBuilder {
public:
    SegmentBuilder& Append(const std::string& literal);
    SegmentBuilder& Append(SegmentPtr segment);
    uint64_t Offset() const { return m_offset; }
    SegmentPtr Finish();

private:
    void FlushLiteral();

    std::vector<SegmentPtr> m_parts;
    std::string m_literal;
    uint64_t m_offset = 0;
};

}  // namespace zeltosim::detail
