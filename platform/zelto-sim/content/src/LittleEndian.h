// Little-endian integers appended to a byte string (TIFF and ZIP structures).
#pragma once

#include <cstdint>
#include <string>

namespace zeltosim::detail {

inline void AppendLE16(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void AppendLE32(std::string& out, uint64_t value) {
    AppendLE16(out, static_cast<uint32_t>(value & 0xFFFF));
    AppendLE16(out, static_cast<uint32_t>((value >> 16) & 0xFFFF));
}

}  // namespace zeltosim::detail
