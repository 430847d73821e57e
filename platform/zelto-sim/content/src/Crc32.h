// CRC-32 arithmetic for segments whose bytes are never held together: the CRC
// of a concatenation and of a block repeated many times, from the parts' CRCs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zeltosim::detail {

uint32_t Crc32Of(const uint8_t* data, size_t length);
// CRC of A followed by B, from CRC(A), CRC(B) and the length of B.
uint32_t Crc32Concat(uint32_t crcA, uint32_t crcB, uint64_t lengthB);
// CRC of a block repeated count times, in O(log count) steps.
uint32_t Crc32Repeat(uint32_t blockCrc, uint64_t blockLength, uint64_t count);

}  // namespace zeltosim::detail
