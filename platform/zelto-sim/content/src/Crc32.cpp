#include "Crc32.h"

#include <zlib.h>

namespace zeltosim::detail {

uint32_t Crc32Of(const uint8_t* data, size_t length) {
    return static_cast<uint32_t>(crc32_z(0L, data, length));
}

uint32_t Crc32Concat(uint32_t crcA, uint32_t crcB, uint64_t lengthB) {
    static_assert(sizeof(z_off_t) >= 8, "lengths of large segments need a 64-bit z_off_t");
    return static_cast<uint32_t>(crc32_combine(crcA, crcB, static_cast<z_off_t>(lengthB)));
}

uint32_t Crc32Repeat(uint32_t blockCrc, uint64_t blockLength, uint64_t count) {
    uint32_t result = 0;  // CRC of nothing
    uint32_t power = blockCrc;
    uint64_t powerLength = blockLength;
    while (count > 0) {
        if (count & 1) result = Crc32Concat(result, power, powerLength);
        count >>= 1;
        if (count > 0) {
            power = Crc32Concat(power, power, powerLength);
            powerLength *= 2;
        }
    }
    return result;
}

}  // namespace zeltosim::detail
